#!/usr/bin/env bash
# Installs whatever is missing, builds the program and starts it.
#   run.sh             the Linux build
#   run.sh --windows   the Windows exe under Wine, in a prefix inside the build tree
# Without a display the program runs on a virtual one for a few seconds, and a
# screenshot of it is saved; the path is printed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

target=linux
[ "${1:-}" = "--windows" ] && target=windows

bash tools/install-deps.sh
cmake --preset "$target" >/dev/null
cmake --build --preset "$target"

artefacts="$PWD/build/$target/artefacts"
mkdir -p "$artefacts"

if [ "$target" = windows ]; then
    state="$PWD/build/windows/run-session"
    if [ -n "${DISPLAY:-}" ]; then
        export WINEPREFIX="$state/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
        mkdir -p "$state"
        exec wine build/windows/QuenzInstall.exe
    fi

    bash tests/support/wine-session.sh start "$state"
    trap 'bash tests/support/wine-session.sh stop "$state"' EXIT
    QUENZ_WINE_STATE="$state" tests/support/wine-run.sh build/windows/QuenzInstall.exe &
    display=":$(cat "$state/display")"
else
    if [ -n "${DISPLAY:-}" ]; then
        exec build/linux/QuenzInstall
    fi

    exec 3>"$artefacts/.display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    exec 3>&-
    trap 'kill $xvfb 2>/dev/null || true' EXIT
    for _ in $(seq 100); do [ -s "$artefacts/.display" ] && break; sleep 0.1; done
    display=":$(cat "$artefacts/.display")"
    DISPLAY="$display" build/linux/QuenzInstall &
fi

program=$!
sleep 8
import -display "$display" -window root "$artefacts/screenshot.png"
kill "$program" 2>/dev/null || true
wait "$program" 2>/dev/null || true
echo "No display here: the program ran on a virtual one. Screenshot: $artefacts/screenshot.png"
