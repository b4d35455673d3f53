#!/usr/bin/env bash
# Builds static libpng and libjpeg for mingw from Debian's own source packages
# and installs them into PREFIX. JUCE as packaged by Debian leaves these
# libraries out, and Debian ships no mingw build of them.
# Usage: build-mingw-libs.sh PREFIX [ARCH]   (ARCH: i686, the default, or x86_64)
set -euo pipefail

prefix=$(realpath -m "$1")
arch=${2:-i686}
sourceDir=$(cd "$(dirname "$0")/.." && pwd)
[ -f "$prefix/.complete" ] && exit 0

work="$prefix.work"
rm -rf "$work" "$prefix"
mkdir -p "$work" "$prefix"
cd "$work"

# apt-get source needs deb-src entries: mirror the machine's own deb entries.
sources_list=/etc/apt/sources.list.d/quenz-deb-src.sources
if [ -z "$(apt-cache showsrc libpng1.6 2>/dev/null)" ]; then
    {
        for f in /etc/apt/sources.list.d/*.sources; do
            [ -f "$f" ] && [ "$f" != "$sources_list" ] || continue
            sed -e 's/^Types:.*/Types: deb-src/' "$f"
            echo
        done
    } > "$sources_list"
    if [ -f /etc/apt/sources.list ]; then
        grep -E '^deb ' /etc/apt/sources.list | sed -e 's/^deb /deb-src /' > /etc/apt/sources.list.d/quenz-deb-src.list || true
    fi
    apt-get update -q
fi

# The newest version listed is not always on the mirror: take the newest that is.
fetch_source()
{
    local version
    for version in $(apt-cache showsrc "$1" | sed -n 's/^Version: //p' | sort -rV | uniq); do
        apt-get source -q --download-only "$1=$version" >/dev/null 2>&1 && return 0
    done
    echo "No source of $1 could be fetched" >&2
    return 1
}

fetch_source libpng1.6
fetch_source libjpeg-turbo
for dsc in *.dsc; do dpkg-source -x --no-check "$dsc" >/dev/null; done

toolchain="$sourceDir/cmake/MingwToolchain.cmake"
common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQUENZ_MINGW_ARCH="$arch" -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix")

cmake -S libjpeg-turbo-*/ -B jpeg-build "${common[@]}" \
      -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF >/dev/null
cmake --build jpeg-build >/dev/null
cmake --install jpeg-build >/dev/null
# JUCE reads jpeglib.h inside a namespace of its own after rpcndr.h has declared
# ::boolean; the library's own typedef must be there too, so make it unconditional.
sed -i -e 's|^#ifndef __RPCNDR_H__.*$|#if 1|' "$prefix/include/jconfig.h"
# JUCE asks for the library's internals, as Debian's libjpeg-dev provides them.
cp libjpeg-turbo-*/jpegint.h "$prefix/include/"

cmake -S libpng1.6-*/ -B png-build "${common[@]}" \
      -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
      -DZLIB_LIBRARY="/usr/$arch-w64-mingw32/lib/libz.a" -DZLIB_INCLUDE_DIR="/usr/$arch-w64-mingw32/include" >/dev/null
cmake --build png-build >/dev/null
cmake --install png-build >/dev/null

cd /
rm -rf "$work"
touch "$prefix/.complete"
