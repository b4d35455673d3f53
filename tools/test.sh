#!/usr/bin/env bash
# Installs whatever is missing, builds every preset and runs every test: the
# Linux tests natively, the Windows tests under Wine on a display of their own,
# and the catalogue parser under libFuzzer for a minute.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

for preset in linux windows fuzz; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

status=0
ctest --preset fuzz || status=1
ctest --preset linux || status=1
ctest --preset windows || status=1

echo "Screenshots and other artefacts: build/linux/artefacts, build/windows/artefacts"
exit $status
