#!/usr/bin/env bash
# Installs every Debian package needed to build, run and test the program.
# Idempotent and non-interactive; runs `apt-get update` once per call, and
# only when something is missing.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
  libavformat-dev libavcodec-dev libavfilter-dev libswscale-dev
  libswresample-dev libavutil-dev libavdevice-dev
  libsdl2-dev
  libsimpleini-dev libcli11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  ffmpeg
  xvfb xauth imagemagick
  fonts-dejavu-core fontconfig
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
