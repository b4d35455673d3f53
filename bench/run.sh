#!/usr/bin/env bash
# The benchmarks: installs whatever is missing, builds the optimised Linux build
# (linux-release) and measures what a user waits for against its references, one
# line a measure. Not part of the tests; takes five minutes or so on two cores.
#   bench/run.sh            the whole suite
#   bench/run.sh --quick    fewer runs and smaller files, to try it out
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake --preset linux-release >/dev/null
cmake --build --preset linux-release
python3 bench/bench.py build/linux-release "$@"
