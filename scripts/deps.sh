#!/usr/bin/env bash
# Installs the Debian 12 packages Brindlex needs to build, run and test, when missing.
set -euo pipefail
packages=(
  build-essential
  cmake
  ninja-build
  pkg-config
  qt6-base-dev
  qt6-base-dev-tools
  libgl1-mesa-dev
  libgtest-dev
  libgmock-dev
  googletest
  libbenchmark-dev
  libicu-dev
  clang
  libclang-rt-14-dev
  clang-format
  xvfb
  xauth
  x11-utils
  imagemagick
  fonts-dejavu-core
  python3
  python3-bs4
  librsvg2-bin
  desktop-file-utils
  appstream
  libxml2-utils
  shared-mime-info
  libglib2.0-bin
  debootstrap
  man-db
  groff-base
  file
  dpkg-dev
  fakeroot
  lintian
  nlohmann-json3-dev
  libsqlite3-dev
  chromium
  firefox-esr
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
