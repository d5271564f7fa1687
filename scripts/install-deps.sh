#!/usr/bin/env bash
# Installs every package the build and all tests need. Safe to run again. wine32 installs also
# where the kernel cannot execute it; the tests then use wine64 alone (scripts/wine_env.sh).
set -euo pipefail

packages=(
  cmake make g++ libgtest-dev clang libclang-rt-14-dev clang-format
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 xvfb x11-utils liblnk-utils imagemagick jq gnuplot-nox nsis
  libgcab-dev pkg-config osslsigncode openssl python3-yaml
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
