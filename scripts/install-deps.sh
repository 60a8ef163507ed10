#!/usr/bin/env bash
# Installs the Debian packages that building and testing kvchecks needs,
# and only those that are missing. Usage: install-deps.sh native|all
set -euo pipefail

native=(cmake ninja-build g++ libgtest-dev libtomlplusplus-dev python3 clang libclang-rt-14-dev clang-format)
windows=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
         wine wine64 wine32:i386 wixl osslsigncode openssl icoutils zip)

packages=("${native[@]}")
if [ "${1:-all}" = all ]; then
  packages+=("${windows[@]}")
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "missing Debian packages: ${missing[*]} (run as root to install them)" >&2
  exit 1
fi
for package in "${missing[@]}"; do
  case "$package" in
    *:i386) dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 ;;
  esac
done
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
