#!/usr/bin/env bash
# Runs a Windows program under Wine in the test session's prefix and display
# (see wine-session.sh). Used as the Windows build's test emulator.
# The session folder comes from QUENZ_WINE_STATE.
set -euo pipefail

state=$(realpath -m "${QUENZ_WINE_STATE:?QUENZ_WINE_STATE names the Wine test session folder}")

export WINEPREFIX="$state/wine-prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
export DISPLAY=":$(cat "$state/display")"

exec wine "$@"
