#!/bin/bash
# Installs what the build and the tests need on a Debian 12 machine (run as
# root). Idempotent and quiet: when every package is already installed and
# the Japanese locale exists, it touches nothing and returns at once.
set -euo pipefail

PACKAGES=(
  cmake g++ pkg-config
  clang-14 libclang-rt-14-dev llvm-14
  googletest libgtest-dev
  libmspack-dev mscompress gcab
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine wine64
  fonts-ipafont-gothic
  locales
)

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: must run as root" >&2
  exit 1
fi

# 32-bit Wine only where this machine runs 32-bit code: it is the i686
# lane's, which cannot run anywhere else (testbed/wine/lanes.sh).
. "$(dirname "$0")/../testbed/wine/lanes.sh"
if runs_32bit_code; then
  PACKAGES+=(wine32:i386)
fi

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing=()
for package in "${PACKAGES[@]}"; do
  installed "$package" || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  # wine32 is an i386 package.
  if [[ " ${missing[*]} " == *" wine32:i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Code page 932 under Wine comes from a Japanese UTF-8 locale.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8\|ja_JP.UTF-8'; then
  echo "install-deps: generating ja_JP.UTF-8"
  localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
