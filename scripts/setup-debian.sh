#!/usr/bin/env bash
# Installs the Debian packages that building, testing, packaging and running
# velt need.
set -euo pipefail

packages=(
  cmake ninja-build g++ ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev libgl-dev
  libsqlite3-dev libical-dev libgtest-dev libbenchmark-dev
  xvfb xauth
  dpkg-dev help2man librsvg2-bin lintian desktop-file-utils
  fonts-dejavu-core poppler-utils
  clang libclang-rt-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
