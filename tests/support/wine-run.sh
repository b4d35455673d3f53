#!/usr/bin/env bash
# Runs a Windows program under Wine in the test session's prefix and display
# (see wine-session.sh). Used as the Windows build's test emulator.
# The session folder comes from QUENZ_WINE_STATE; QUENZ_WINE_LOADER names Wine's
# loader (wine, the default, or the 64-bit one alone for a 64-bit build).
set -euo pipefail

state=$(realpath -m "${QUENZ_WINE_STATE:?QUENZ_WINE_STATE names the Wine test session folder}")

export WINEPREFIX="$state/wine-prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
export DISPLAY=":$(cat "$state/display")"

exec "${QUENZ_WINE_LOADER:-wine}" "$@"
