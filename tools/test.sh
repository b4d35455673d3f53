#!/usr/bin/env bash
# Installs whatever is missing, builds both presets and runs every test: the
# Linux tests natively, the Windows tests under Wine on a display of their own.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

for preset in linux windows; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

status=0
ctest --preset linux || status=1
ctest --preset windows || status=1

echo "Screenshots and other artefacts: build/linux/artefacts, build/windows/artefacts"
exit $status
