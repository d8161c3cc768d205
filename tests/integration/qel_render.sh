#!/usr/bin/env bash
# qel-render as the docs and pixel checks use it: components and form files into PNGs, and a
# clear refusal (exit 2) for an unknown class, property, value or method.
# usage: qel_render.sh PATH/TO/qel-render
set -euo pipefail
render=$1
work=$(mktemp -d /tmp/qel.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "qel_render: $*" >&2; exit 1; }
export QT_QPA_PLATFORM=offscreen
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }

"$render" --class TPanel --size 120x40 --set Color=clAqua --set BevelOuter=bvNone --set Caption= -o "$work/panel.png" >/dev/null
[ "$(identify -format '%w %h' "$work/panel.png")" = "120 40" ] || fail "the panel is not 120x40"
[ "$(pixel "$work/panel.png" 60 20)" = "0,255,255" ] || fail "the panel is not aqua: $(pixel "$work/panel.png" 60 20)"

# Colours by number (0xBBGGRR) and a font by its properties.
"$render" --class TLabel --set Caption=Wide --set Font.Height=-30 --set Color=0x0000FF -o "$work/label.png" >/dev/null
[ "$(pixel "$work/label.png" 0 0)" = "255,0,0" ] || fail "0x0000FF is not red: $(pixel "$work/label.png" 0 0)"
[ "$(identify -format '%h' "$work/label.png")" -ge 30 ] || fail "the label did not grow with its font"

# A form file with nested controls.
cat >"$work/form.json" <<'JSON'
{"qelform": 1, "root": {"class": "TForm", "name": "Form1", "properties": {"ClientWidth": 160, "ClientHeight": 90, "Color": 65535},
 "components": [{"class": "TPanel", "name": "Panel1", "properties": {"Parent": "Form1", "Left": 10, "Top": 10,
   "Width": 100, "Height": 50, "Color": 16711680, "BevelOuter": "bvNone", "Caption": ""}}]}}
JSON
"$render" --form "$work/form.json" -o "$work/form.png" >/dev/null
[ "$(identify -format '%w %h' "$work/form.png")" = "160 90" ] || fail "the form is not 160x90"
[ "$(pixel "$work/form.png" 5 5)" = "255,255,0" ] || fail "the form is not yellow"
[ "$(pixel "$work/form.png" 50 30)" = "0,0,255" ] || fail "the panel inside is not blue"

refused() {  # WORDS, then arguments
  local words=$1 rc=0
  shift
  "$render" "$@" -o "$work/x.png" >"$work/out.txt" 2>"$work/err.txt" || rc=$?
  [ "$rc" -eq 2 ] || { cat "$work/err.txt" >&2; fail "exit $rc, not 2, for: $*"; }
  grep -qF -- "$words" "$work/err.txt" || { cat "$work/err.txt" >&2; fail "no '$words' for: $*"; }
}
refused "unknown class TNoSuch" --class TNoSuch
refused "no such published property" --class TPanel --set NoSuch=1
refused "is not one of" --class TPanel --set BevelOuter=bvNoSuch
refused "not a number or a known constant" --class TPanel --set Color=clNoSuch
refused "no invokable method" --class TPanel --call NoSuch
refused "give either --class or --form" --size 10x10
echo "qel_render: passed"
