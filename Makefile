# Set-up and everyday commands. Each target installs what is missing first.
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: deps configure build test run bench fuzz asan clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake --preset default >/dev/null

build: configure
	@cmake --build --preset default -j $(JOBS)

test: build
	@ctest --preset default -j $(JOBS)

run: build
	@bash scripts/run-demo.sh build/default $(ARGS)

asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan -j $(JOBS)

bench: deps
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench -j $(JOBS)
	@for b in build/bench/bench/*_bench; do echo "== $$b"; "$$b"; done

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS)
	@for f in build/fuzz/fuzz/fuzz_*; do \
	  name=$$(basename $$f); mkdir -p build/fuzz/corpus/$$name; \
	  echo "== $$name ($(FUZZ_SECONDS) s)"; \
	  "$$f" -max_total_time=$(FUZZ_SECONDS) build/fuzz/corpus/$$name fuzz/corpus/$$name 2>&1 | tail -n 3 || exit 1; \
	done

clean:
	@rm -rf build
