#!/bin/bash
# Installs what the build and the tests need on a fresh Debian 12 machine (run as root).
# Packages already present are not fetched again.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
    googletest zlib1g-dev libdeflate-dev libpng-dev libssl-dev pkg-config
    wine64 fonts-wine fonts-wqy-microhei xvfb xdotool imagemagick liblnk-utils nsis file binutils-mingw-w64-x86-64
    osslsigncode openssl
    time procps
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
