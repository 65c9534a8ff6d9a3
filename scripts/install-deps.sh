#!/usr/bin/env bash
# Installs every Debian 12 package Tavimo needs to build, run, test, benchmark and package
# (rsvg-convert renders the PNG icons; CPack runs dpkg-shlibdeps over what `file` finds).
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
packages=(
  build-essential cmake ninja-build pkg-config clang clang-format libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev libegl-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  libmpv-dev libturbojpeg0-dev libmigemo-dev cmigemo-common
  libgtest-dev libgmock-dev
  fonts-ipafont-gothic
  ffmpeg ffmpegthumbnailer xvfb xauth xdotool x11-utils qt6-qpa-plugins
  desktop-file-utils
  librsvg2-bin man-db
  file appstream lintian
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
