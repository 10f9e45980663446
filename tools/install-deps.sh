#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when missing.
set -euo pipefail

packages=(
    cmake make g++ python3 googletest libgtest-dev valgrind
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    wine wine64 xvfb xauth imagemagick fonts-wine
    clang libclang-rt-14-dev time locales
    qt6-base-dev qt6-qpa-plugins libgl-dev libxcb1-dev pkg-config fonts-dejavu-core
)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
