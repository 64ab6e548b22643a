#!/usr/bin/env bash
# Builds ВОЛМ (installing what is missing) and runs every test; windows are
# tested offscreen. Extra arguments go to ctest (for example -R Template).
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
cd "${VOLM_BUILD_DIR:-$PWD/build}"
ctest --output-on-failure --timeout 300 "$@"
