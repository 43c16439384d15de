#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config libsdl2-dev libx11-dev libgl-dev libgl1-mesa-dri
  libfltk1.3-dev libpng-dev zlib1g-dev libjpeg-dev libvorbis-dev libogg-dev libgtest-dev
  libbenchmark-dev xvfb xauth xdotool x11-utils x11-apps imagemagick python3 python3-xlib python3-pil vorbis-tools
  clang clang-format libclang-rt-14-dev
  dpkg-dev desktop-file-utils appstream)
if [ "${1:-}" = "--game-only" ]; then
  packages=(build-essential cmake ninja-build pkg-config libsdl2-dev libx11-dev libgl-dev libgl1-mesa-dri
    libfltk1.3-dev libpng-dev zlib1g-dev libjpeg-dev libvorbis-dev libogg-dev xvfb xauth)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
