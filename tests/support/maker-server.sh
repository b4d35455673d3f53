#!/usr/bin/env bash
# Starts or stops the stand-in for the maker's servers that the tests use.
# Usage: maker-server.sh start|stop STATE_DIR
#   start: makes a test CA and a certificate for localhost, adds the CA to the
#          system's trust store (libcurl trusts nothing else), and starts the
#          server on a free port serving STATE_DIR/www. STATE_DIR/url then holds
#          "https://localhost:PORT", STATE_DIR/requests.log every request.
#   stop:  stops the server and takes the CA out of the trust store again.
set -euo pipefail

action=$1
state=$(realpath -m "$2")
server="$(cd "$(dirname "$0")/../.." && pwd)/tools/maker-server/maker_server.py"
trusted="/usr/local/share/ca-certificates/quenz-test-ca-$(echo -n "$state" | md5sum | cut -c1-12).crt"

stop_server()
{
    if [ -f "$state/server.pid" ]; then
        kill "$(cat "$state/server.pid")" 2>/dev/null || true
        rm -f "$state/server.pid"
    fi
    if [ -f "$trusted" ]; then
        rm -f "$trusted"
        update-ca-certificates >/dev/null 2>&1
    fi
}

case "$action" in
    start)
        stop_server
        rm -rf "$state"
        mkdir -p "$state/www"
        cd "$state"

        openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Quenz Install Test CA $(basename "$trusted" .crt)" \
                -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
                -keyout ca.key -out ca.pem 2>/dev/null
        openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout server.key -out server.csr 2>/dev/null
        printf '%s\n' "subjectAltName=DNS:localhost,IP:127.0.0.1" "basicConstraints=CA:FALSE" \
               "keyUsage=critical,digitalSignature,keyEncipherment" "extendedKeyUsage=serverAuth" > server.ext
        openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 30 \
                -extfile server.ext -out server.pem 2>/dev/null

        cp ca.pem "$trusted"
        update-ca-certificates >/dev/null 2>&1

        setsid python3 "$server" --root www --cert server.pem --key server.key \
               --port-file port --request-log requests.log >server.log 2>&1 </dev/null &
        echo $! > server.pid
        for _ in $(seq 100); do
            [ -s port ] && break
            sleep 0.1
        done
        [ -s port ] || { echo "the server did not start" >&2; cat server.log >&2; exit 1; }
        echo "https://localhost:$(cat port)" > url
        echo "Maker's servers at $(cat url), serving $state/www"
        ;;
    stop)
        stop_server
        ;;
    *)
        echo "usage: $0 start|stop STATE_DIR" >&2
        exit 2
        ;;
esac
