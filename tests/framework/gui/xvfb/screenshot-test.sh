#!/usr/bin/env bash
# A form on a real X screen (Xvfb) shows exactly the pixels of its headless render.
# Usage: screenshot-test.sh PROGRAM FORMFILE OUTDIR. Exit 77 (skipped) without xvfb-run or compare.
set -euo pipefail
prog=$1 form=$2 out=$3
command -v xvfb-run >/dev/null && command -v compare >/dev/null || { echo "xvfb-run or compare missing"; exit 77; }
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen "$prog" --render "$form" "$out/offscreen.png"
env -u QT_QPA_PLATFORM QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1024x768x24' "$prog" --screen "$form" "$out/screen.png"
diff=$(compare -metric AE "$out/offscreen.png" "$out/screen.png" "$out/diff.png" 2>&1) || true
echo "differing pixels: $diff"
[ "$diff" = "0" ]
