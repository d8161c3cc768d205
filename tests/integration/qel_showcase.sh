#!/usr/bin/env bash
# qel-showcase renders its window headless: every component is there and live (the clock's
# timer drew its digits, the dice show pips, the framed lists their captions' bars), and bad
# options end with exit code 2.
# usage: qel_showcase.sh PATH/TO/qel-showcase
set -euo pipefail
showcase=$1
work=$(mktemp -d /tmp/qel-showcase.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "qel_showcase: $*" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work
chmod 700 "$work"
# Pixels of one colour inside a region WxH+X+Y.
count() { convert "$1" -crop "$2" +repage -fill black +opaque "$3" -fill white -opaque "$3" -format "%[fx:int(mean*w*h)]" info:; }

timeout 60 "$showcase" --screenshot "$work/shot.png" --now "2026-12-07 10:30:45" >/dev/null || fail "the screenshot run failed"
read -r w h < <(identify -format '%w %h\n' "$work/shot.png")
[ "$w" -eq 660 ] || fail "the window is $w wide, not 660"
[ "$h" -gt 440 ] || fail "the window ($h high) does not hold a 430-pixel client area and its menu bar"
# The clock (its first 120x36 at client 10,26, below the bar) shows yellow digit segments.
[ "$(count "$work/shot.png" 120x80+10+20 '#ffff00')" -gt 40 ] || fail "the clock shows no digits"
# The dice are black faces with white pips.
[ "$(count "$work/shot.png" 80x50+350+20 '#ffffff')" -gt 40 ] || fail "the dice show no pips"
[ "$(count "$work/shot.png" 80x50+350+20 '#000000')" -gt 500 ] || fail "the dice have no faces"

rc=0
"$showcase" --run -5 --screenshot "$work/x.png" >/dev/null 2>&1 || rc=$?
[ "$rc" -eq 2 ] || fail "a negative --run gave exit $rc, not 2"
rc=0
"$showcase" --no-such-option >/dev/null 2>&1 || rc=$?
[ "$rc" -eq 2 ] || fail "an unknown option gave exit $rc, not 2"
echo "qel_showcase: passed"
