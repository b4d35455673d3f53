#!/usr/bin/env bash
# Runs one fuzzer of the fuzz build for a number of inputs or for a time, starting
# from its seed corpus, and prints libFuzzer's closing figures.
# Usage: tools/fuzz.sh [--build DIR] catalogue|picture|archive COUNT|SECONDSs
#   tools/fuzz.sh catalogue 10000000     ten million inputs
#   tools/fuzz.sh picture 60s            one minute
# Without --build it builds the fuzz preset first (build/fuzz).
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)

build=""
if [ "${1:-}" = "--build" ]; then
    build=$(realpath -m "$2")
    shift 2
fi
name=${1:?name a fuzzer: catalogue, picture or archive}
amount=${2:?give a number of inputs, or seconds as 60s}

if [ -z "$build" ]; then
    build="$source_dir/build/fuzz"
    (cd "$source_dir" && cmake --preset fuzz >/dev/null && cmake --build --preset fuzz)
fi

case "$name" in
    catalogue) max_len=16384 ;;
    picture)   max_len=65536 ;;
    archive)   max_len=65536 ;;
    *) echo "no fuzzer named $name" >&2; exit 2 ;;
esac

case "$amount" in
    *s) limit=(-max_total_time="${amount%s}") ;;
    *)  limit=(-runs="$amount") ;;
esac

corpus="$build/tests/fuzz/corpus-$name"
mkdir -p "$corpus"
cd "$build/tests/fuzz"
exec "./${name}_fuzzer" "${limit[@]}" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    "$corpus" "$source_dir/tests/fuzz/corpus/$name"
