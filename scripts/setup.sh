#!/usr/bin/env bash
# Installs what the build and the tests need (Debian 12), then configures and builds.
# Usage: scripts/setup.sh [build-dir]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}

packages=(
  cmake ninja-build g++ pkg-config clang-format clang libclang-rt-14-dev
  qt6-base-dev qt6-5compat-dev qcoro-qt6-dev libgl-dev qt6-webengine-dev
  libxml2-dev libzip-dev
  libgtest-dev
  fp-utils libchm-bin python3-chm epubcheck default-jre-headless
  hugo cmark libcmark-dev
  xvfb xauth fonts-noto-cjk qt6-translations-l10n
  xdotool imagemagick x11-utils   # scripts/screenshot.sh
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${PELLOMAR_CMAKE_ARGS:-}
cmake --build "$build"
