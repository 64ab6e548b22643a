#!/usr/bin/env bash
# Prepares a working build of ВОЛМ: installs the Debian packages that the build
# and the tests need and that are missing, configures build/ with Ninja and
# builds everything (the program folder build/bin included).
# Used by ./run.sh and ./test.sh. VOLM_BUILD_DIR overrides the build folder.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${VOLM_BUILD_DIR:-$ROOT/build}"

PACKAGES=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-translations-l10n
  libqcustomplot-dev libqcustomplot2.1-qt6
  libxlsxwriter-dev libkainjow-mustache-dev libsqlite3-dev
  libgtest-dev libbenchmark-dev python3-openpyxl
  xvfb xauth fonts-dejavu-core poppler-utils shared-mime-info
  dpkg-dev
)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing=()
for p in "${PACKAGES[@]}"; do
  installed "$p" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing missing packages: ${missing[*]}"
  SUDO=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
      SUDO=(sudo)
    else
      echo "Packages are missing and this is not root and there is no sudo: ${missing[*]}" >&2
      exit 1
    fi
  fi
  "${SUDO[@]}" apt-get update
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

if [ -f "$BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S "$ROOT" -B "$BUILD_DIR"
else
  launcher=()
  if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
fi
cmake --build "$BUILD_DIR" -j "$(nproc)"
