#!/usr/bin/env bash
# qel-render as the docs and pixel checks use it: components and form files into PNGs, and a
# clear refusal (exit 2) for an unknown class, property, value or method.
# usage: qel_render.sh PATH/TO/qel-render PATH/TO/libqeltest_ticker.so PATH/TO/libqelwidgets.so
set -euo pipefail
render=$1
ticker=$2
widgets=$3
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

# A form's menu opened: its drop-down with the items' captions.
cat >"$work/menu.json" <<'JSON'
{"qelform": 1, "root": {"class": "TForm", "name": "Form1", "properties": {"ClientWidth": 160, "ClientHeight": 60, "Menu": "MainMenu1"},
 "components": [{"class": "TMainMenu", "name": "MainMenu1", "properties": {}},
  {"class": "TMenuItem", "name": "FileMenu", "properties": {"Caption": "&File", "ParentItem": "MainMenu1"}},
  {"class": "TMenuItem", "name": "OpenItem", "properties": {"Caption": "&Open", "ParentItem": "FileMenu"}},
  {"class": "TMenuItem", "name": "QuitItem", "properties": {"Caption": "&Quit", "ParentItem": "FileMenu", "MenuIndex": 1}}]}}
JSON
"$render" --form "$work/menu.json" --menu FileMenu -o "$work/menu.png" >/dev/null
[ "$(identify -format '%h' "$work/menu.png")" -gt 30 ] || fail "the opened menu is too low for two items"

refused() {  # WORDS, then arguments
  local words=$1 rc=0
  shift
  "$render" "$@" -o "$work/x.png" >"$work/out.txt" 2>"$work/err.txt" || rc=$?
  [ "$rc" -eq 2 ] || { cat "$work/err.txt" >&2; fail "exit $rc, not 2, for: $*"; }
  grep -qF -- "$words" "$work/err.txt" || { cat "$work/err.txt" >&2; fail "no '$words' for: $*"; }
}
refused "has no sub-items" --form "$work/menu.json" --menu OpenItem
refused "no menu item" --form "$work/menu.json" --menu Nothing
refused "unknown class TNoSuch" --class TNoSuch
refused "no such published property" --class TPanel --set NoSuch=1
refused "is not one of" --class TPanel --set BevelOuter=bvNoSuch
refused "not a number or a known constant" --class TPanel --set Color=clNoSuch
refused "no invokable method" --class TPanel --call NoSuch
refused "give either --class or --form" --size 10x10

# Pictures from files, into TImage's Picture: a BMP made by convert, and a PNG made by the tool.
convert -size 20x10 xc:'#ff0000' "BMP3:$work/red.bmp"
"$render" --class TImage --size 40x20 --set Picture=@"$work/red.bmp" --parent-color clWhite -o "$work/bmp.png" >/dev/null
[ "$(pixel "$work/bmp.png" 19 9)" = "255,0,0" ] || fail "the BMP is not drawn: $(pixel "$work/bmp.png" 19 9)"
[ "$(pixel "$work/bmp.png" 30 15)" = "255,255,255" ] || fail "the BMP spread past its 20x10"
"$render" --class TImage --size 60x20 --set Picture=@"$work/panel.png" -o "$work/png.png" >/dev/null
[ "$(pixel "$work/png.png" 59 19)" = "0,255,255" ] || fail "the PNG is not drawn: $(pixel "$work/png.png" 59 19)"
refused "$work/none.png" --class TImage --set Picture=@"$work/none.png"
echo "not a picture" >"$work/text.png"
refused "$work/text.png" --class TImage --set Picture=@"$work/text.png"
# Text that starts with @ stays text where the property is no picture.
"$render" --class TPanel --set Caption=@home -o "$work/at.png" >/dev/null

# A control from a package. Its picture (see tests/framework/gui/package/TestTicker.cpp): a black
# bar as wide as the clock's seconds (y 0..9), a green block per timer tick (y 15..24), and the
# level of SetLevel (y 30..39, red when filled, blue when not).
refused "unknown class TTestTicker" --class TTestTicker
tick() { "$render" --package "$ticker" --class TTestTicker --parent-color clWhite "$@" -o "$work/tick.png" >/dev/null; }
tick --tick 3 --now "2026-01-05 10:20:30"
[ "$(identify -format '%w %h' "$work/tick.png")" = "100 40" ] || fail "the ticker is not 100x40"
for x in 4 14 24; do
  [ "$(pixel "$work/tick.png" $x 20)" = "0,255,0" ] || fail "no tick drawn at x=$x: $(pixel "$work/tick.png" $x 20)"
done
[ "$(pixel "$work/tick.png" 34 20)" = "255,255,255" ] || fail "a fourth tick was drawn"
[ "$(pixel "$work/tick.png" 29 5)" = "0,0,0" ] || fail "the clock's 30 s are not drawn"
[ "$(pixel "$work/tick.png" 30 5)" = "255,255,255" ] || fail "the clock bar is longer than 30 s"
[ "$(pixel "$work/tick.png" 5 35)" = "255,255,255" ] || fail "a level is drawn without SetLevel"
tick --now "2026-01-05 10:20:07" --call SetLevel:5,true
[ "$(pixel "$work/tick.png" 6 5)" = "0,0,0" ] || fail "the clock's 7 s are not drawn"
[ "$(pixel "$work/tick.png" 7 5)" = "255,255,255" ] || fail "--now did not move the clock bar"
[ "$(pixel "$work/tick.png" 4 20)" = "255,255,255" ] || fail "a tick was drawn without --tick"
[ "$(pixel "$work/tick.png" 49 35)" = "255,0,0" ] || fail "SetLevel:5,true did not draw a red level of 50"
[ "$(pixel "$work/tick.png" 50 35)" = "255,255,255" ] || fail "the level is longer than 50"
tick --call SetLevel:2,false
[ "$(pixel "$work/tick.png" 19 35)" = "0,0,255" ] || fail "SetLevel:2,false did not draw a blue level of 20"

# A component that paints its background and then draws with its timer: the first digit of the
# clock at midnight (cell at 28,13: pass A yellow one pixel left and down, pass B black on it).
clock() { "$render" --package "$widgets" --class TQELClock --size 120x36 --now "2000-01-01 00:00:00" "$@" -o "$work/clock.png" >/dev/null; }
clock --tick 1
[ "$(pixel "$work/clock.png" 27 14)" = "255,255,0" ] || fail "the clock's tick drew no digit: $(pixel "$work/clock.png" 27 14)"
[ "$(pixel "$work/clock.png" 28 13)" = "0,0,0" ] || fail "the digit's second pass is missing"
clock
[ "$(pixel "$work/clock.png" 27 14)" = "0,128,128" ] || fail "a digit was drawn without a tick"
refused "no invokable method SetLevel:5" --package "$ticker" --class TTestTicker --call SetLevel:5
refused "no invokable method SetLevel:5,true,1" --package "$ticker" --class TTestTicker --call SetLevel:5,true,1
refused "no invokable method SetLevel:five,true" --package "$ticker" --class TTestTicker --call SetLevel:five,true
refused "no invokable method SetLevel:5,maybe" --package "$ticker" --class TTestTicker --call SetLevel:5,maybe
echo "qel_render: passed"
