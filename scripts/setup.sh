#!/usr/bin/env bash
# Installs what building and testing need on Debian 12; a quick no-op when all is there.
set -u
PACKAGES=(cmake ninja-build g++ libgtest-dev libgmock-dev clang-format ccache
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine32:i386 wine64
    xvfb xauth x11-apps locales midicsv imagemagick fonts-ipafont-gothic
    clang libclang-rt-14-dev python3 planetblupi-music-midi timidity fp-utils libchm-bin
    chromium)

missing=()
dpkg --print-foreign-architectures 2>/dev/null | grep -qx i386 || missing+=("architecture i386")
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' || missing+=("locale ja_JP.UTF-8")
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" != 0 ]; then
    echo "missing: ${missing[*]}" >&2
    echo "run as root: sudo $(cd "$(dirname "$0")" && pwd)/setup.sh" >&2
    exit 1
fi

set -e
echo "setup: installing ${missing[*]}"
dpkg --add-architecture i386
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${PACKAGES[@]}" >/dev/null
grep -qx 'ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
locale-gen >/dev/null
echo "setup: done"
