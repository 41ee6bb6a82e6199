#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail

build_packages=(
  cmake ninja-build g++ pkg-config
  qtbase5-dev qtdeclarative5-dev qttools5-dev qttools5-dev-tools
  qml-module-qtquick2 qml-module-qtquick-window2 qml-module-qtquick-controls
  qml-module-qtquick-layouts qml-module-qtqml-models2 qml-module-qtquick-xmllistmodel
  qml-module-qtgraphicaleffects qml-module-qtquick-dialogs fonts-roboto-unhinted
  libtiff-dev libraw-dev liblcms2-dev libeigen3-dev libnlopt-dev libnlopt-cxx-dev libssl-dev
  libpng-dev libxcb1-dev fonts-dejavu-core qttranslations5-l10n argyll-ref
)
test_packages=(
  libgtest-dev clang libclang-rt-14-dev
  qtdeclarative5-dev-tools qml-module-qttest
  argyll icc-profiles-free colord-data rawtherapee-data
  libimage-exiftool-perl dcraw
  xvfb xauth libgl1-mesa-dri xdotool imagemagick
)

wanted=("${build_packages[@]}")
if [ "${1:-}" = "--tests" ]; then
  wanted+=("${test_packages[@]}")
fi

missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
