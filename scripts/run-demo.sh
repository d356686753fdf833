#!/usr/bin/env bash
# The built-in demo: checks and dumps the sample restrictions file with the command-line tool.
set -euo pipefail
build=${1:-build/default}
sample=res/samples/demo.res
"$build/src/tools/vexilor-cli" res check "$sample" && echo "$sample reads cleanly."
"$build/src/tools/vexilor-cli" res dump "$sample"
