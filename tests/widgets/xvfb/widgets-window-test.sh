#!/usr/bin/env bash
# The display components on a real X screen (Xvfb), driven by clicks.
# Usage: widgets-window-test.sh PROGRAM OUTDIR. Exit 77 (skipped) without xvfb-run.
set -euo pipefail
prog=$1 out=$2
command -v xvfb-run >/dev/null || { echo "xvfb-run missing"; exit 77; }
mkdir -p "$out"
env -u QT_QPA_PLATFORM QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1024x768x24' "$prog" "$out/widgets.png"
