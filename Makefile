# Set-up and everyday commands. Each target installs what is missing first.
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: deps configure build test run bench fuzz asan clean windows-deps windows windows-test windows-package

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

# Windows: cross-built with mingw-w64 against Qt for Windows (scripts/windows-qt.sh), tested under Wine.
windows-deps: deps
	@bash scripts/install-deps.sh --windows

windows: windows-deps
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows -j $(JOBS)

# Under Wine so far: the core's test programs (the CLI, end-to-end and GUI programs build with
# `make windows` but do not all pass under Wine yet).
WINDOWS_TEST_TARGETS ?= vexilor vexilor-cli vexilor-icomsim core_text_tests core_intercom_tests core_restrictions_tests core_comms_tests
WINDOWS_TEST_LABELS ?= core

windows-test: windows-deps
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows -j $(JOBS) --target $(WINDOWS_TEST_TARGETS)
	@JOBS=$(JOBS) bash scripts/windows-test.sh build/windows -L '$(WINDOWS_TEST_LABELS)'

windows-package: windows
	@bash scripts/windows-package.sh build/windows

clean:
	@rm -rf build
