#!/usr/bin/env bash
# Installs whatever is missing, builds every preset and runs every test: the
# Linux tests natively and under the address and undefined-behaviour sanitizers,
# the Windows tests under Wine on a display of their own, and each fuzzer for a
# minute.
#
# The Windows tests run the product's 32-bit exe. A machine whose kernel cannot
# run 32-bit programs cannot run 32-bit Wine either; there they run the same
# code built as a 64-bit exe (the windows-x64 preset), and say so.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

windows_tests=windows
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    windows_tests=windows-x64
    echo "This machine cannot run 32-bit programs: the Windows tests run the 64-bit build of the same code."
fi

# windows-release is the product as shipped; the Windows tests run on a build
# with the test seams.
presets=(linux linux-asan windows-release fuzz "$windows_tests")

for preset in "${presets[@]}"; do
    options=()
    # The shipped build is configured only with the maker's catalogue host and
    # signer; the tests build it with theirs.
    [ "$preset" = windows-release ] && options=(-DQUENZ_CATALOGUE_HOST=localhost
                                                "-DQUENZ_INSTALLER_SIGNER=Quenz Test Maker 测试厂商")
    cmake --preset "$preset" "${options[@]}" >/dev/null
    cmake --build --preset "$preset"
done

status=0
ctest --preset fuzz || status=1
ctest --preset linux || status=1
ctest --preset linux-asan || status=1
ctest --preset "$windows_tests" || status=1

echo "Screenshots and other artefacts: build/linux/artefacts, build/$windows_tests/artefacts"
exit $status
