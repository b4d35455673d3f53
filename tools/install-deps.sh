#!/usr/bin/env bash
# Installs every Debian package the builds and tests need. Safe to run again:
# it does nothing when everything is already there.
set -euo pipefail

packages=(
    cmake ninja-build pkg-config g++ clang libclang-rt-14-dev dpkg-dev clang-format libgtest-dev googletest
    juce-modules-source juce-tools
    libcurl4-gnutls-dev libfreetype-dev libfontconfig1-dev libpng-dev libjpeg-dev zlib1g-dev
    libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev libxext-dev
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    mingw-w64-tools libz-mingw-w64-dev
    wine wine64 wine32 fonts-wine libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386
    xvfb xdotool x11-utils imagemagick umockdev fonts-wqy-zenhei
    python3 openssl ca-certificates curl unzip osslsigncode
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
