#!/usr/bin/env bash
# Starts or stops the display and Wine prefix that the Windows tests share.
# Usage: wine-session.sh start STATE_DIR [TRUST_TOOL.exe CA.pem...]
#        wine-session.sh stop STATE_DIR
#   start: an Xvfb server of its own, and a fresh Wine prefix copied from a
#          template that is made once (wineboot takes a while). Given the
#          trust_ca tool and CA certificates, the prefix trusts those CAs.
#   stop:  ends every Wine process of the prefix and the Xvfb server.
set -euo pipefail

action=$1
state=$(realpath -m "$2")
template="$state/wine-template"
prefix="$state/wine-prefix"

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
wine=${QUENZ_WINE_LOADER:-wine}

stop_session()
{
    if [ -d "$prefix" ]; then
        WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    fi
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
        rm -f "$state/xvfb.pid" "$state/display"
    fi
}

case "$action" in
    start)
        mkdir -p "$state"
        stop_session

        # setsid and plain files for its output: the test runner must not wait on it.
        exec 3>"$state/display"
        setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$state/xvfb.log" 2>&1 &
        echo $! > "$state/xvfb.pid"
        exec 3>&-
        for _ in $(seq 100); do
            [ -s "$state/display" ] && break
            sleep 0.1
        done
        [ -s "$state/display" ] || { echo "Xvfb did not start" >&2; cat "$state/xvfb.log" >&2; exit 1; }
        export DISPLAY=":$(cat "$state/display")"

        if [ ! -f "$template/.complete" ]; then
            rm -rf "$template"
            WINEPREFIX="$template" "$wine" wineboot -i >/dev/null 2>&1
            # A virtual desktop: Wine then draws title bars and frames itself, as
            # Windows would, without a window manager on the X server.
            WINEPREFIX="$template" "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
            WINEPREFIX="$template" "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
            WINEPREFIX="$template" wineserver -w
            # Wine draws the caption buttons with Marlett, which it does not find on its own here.
            cp /usr/share/wine/fonts/marlett.ttf "$template/drive_c/windows/Fonts/"
            touch "$template/.complete"
        fi

        rm -rf "$prefix"
        # Hard links keep the copy quick; the registry files are rewritten in place, so they are copied.
        cp -al "$template" "$prefix"
        for registry in "$template"/*.reg; do
            rm "$prefix/$(basename "$registry")"
            cp "$registry" "$prefix/"
        done
        # Start the prefix's server and desktop now, detached, so that no test's
        # output pipe is inherited by them.
        WINEPREFIX="$prefix" setsid wineserver -p >/dev/null 2>&1 </dev/null
        WINEPREFIX="$prefix" setsid "$wine" wineboot >/dev/null 2>&1 </dev/null
        # "user:CA.pem" goes to the user's own root store, as a user's program may put it.
        for authority in "${@:4}"; do
            case "$authority" in
                user:*) WINEPREFIX="$prefix" "$wine" "$3" --user "${authority#user:}" ;;
                *) WINEPREFIX="$prefix" "$wine" "$3" "$authority" ;;
            esac
        done
        echo "Wine prefix $prefix on display $DISPLAY"
        ;;
    stop)
        stop_session
        ;;
    *)
        echo "usage: $0 start STATE_DIR [TRUST_TOOL.exe CA.pem...] | stop STATE_DIR" >&2
        exit 2
        ;;
esac
