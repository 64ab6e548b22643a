#!/usr/bin/env bash
# Builds ВОЛМ (installing what is missing) and starts it from build/bin.
# Without a display it computes an example calculation with the headless
# runner instead.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh

BIN="${VOLM_BUILD_DIR:-$PWD/build}/bin"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$BIN/VOLM"
fi

echo "No display (\$DISPLAY and \$WAYLAND_DISPLAY are empty): the window cannot be shown."
example=""
if [ -d "$BIN/examples" ]; then
  example="$(find "$BIN/examples" -maxdepth 1 -name '*.mdb' | sort | head -n 1)"
fi
if [ -z "$example" ]; then
  echo "No example calculation in $BIN/examples to compute headless."
  exit 0
fi

# The runner stores its results in the calculation: work on a copy outside the
# program folder, so that the shipped example stays as it is.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$example" "$work/"
calc="$work/$(basename "$example")"
echo "Computing $(basename "$example") with volm-run:"
status=0
"$BIN/volm-run" "$calc" || status=$?
echo "volm-run exit status: $status"
exit "$status"
