#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Voltrim
# need; does nothing when all of them are there already. With "bench", also
# those that only the benchmark needs (the native peer it measures beside).
set -euo pipefail

packages=(
  cmake make
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  googletest
  wine wine64 fonts-wine
  xvfb xauth x11-utils imagemagick
  procps python3
)
if [ "${1:-}" = bench ]; then
  packages+=(xbattbar)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
