#!/usr/bin/env bash
# Installs every Debian package the project needs to build and test. Safe to run again: it only installs what is
# missing, and it never asks a question (CI has no standard input).
set -euo pipefail

packages=(
    mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
    cmake make googletest
    wine wine64 wine64-tools fonts-wine
    xvfb xauth x11-apps x11-utils openbox imagemagick
    ghostscript pdftk-java qpdf poppler-utils
    libz-mingw-w64-dev
    clang clang-format libclang-rt-dev zlib1g-dev
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -q
    $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
echo "setup: all packages present"
