#!/usr/bin/env bash
# Drives one whole registration under Xvfb as a user would: 新規入力, the
# fields typed, a picture chosen in the image-load dialog, 登録, the question
# about the source picture. Screenshots go to the output directory; the data
# file and the image directory are checked at the end.
#
#   bash tools/walkthrough_register.sh [build-dir] [output-dir]
#
# Needs xvfb, xdotool and imagemagick (VELUNOR_DEV_TOOLS=1 bash tools/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-/tmp/velunor-walkthrough}
program="$build/bin/Velunor2.0"
[ -x "$program" ] || { echo "no $program: build it first" >&2; exit 1; }
mkdir -p "$out"
rm -f "$out"/*.png

display=:${VELUNOR_DISPLAY:-97}
drive=$(mktemp -d /tmp/velunor-walk-XXXXXX)
Xvfb "$display" -screen 0 1920x1080x24 >/dev/null 2>&1 &
xvfb=$!
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$drive"
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# An ECG-like strip as a Windows bitmap, at the root of the data drive, where
# the image-load dialog opens.
convert -size 640x240 xc:white -stroke '#f4b0b0' \
  -draw "path 'M 0,40 L 640,40 M 0,80 L 640,80 M 0,120 L 640,120 M 0,160 L 640,160 M 0,200 L 640,200'" \
  -stroke black -strokewidth 2 -fill none \
  -draw "polyline 0,140 60,140 70,130 80,140 100,140 110,60 120,190 130,140 160,140 180,120 200,140 260,140 270,130 280,140 300,140 310,60 320,190 330,140 360,140 380,120 400,140 460,140 470,130 480,140 500,140 510,60 520,190 530,140 560,140 580,120 600,140 640,140" \
  BMP3:"$drive/ecg_scan.bmp"

shot() { sleep 0.7; import -window root "$out/$1.png"; echo "screenshot $out/$1.png"; }
window() {  # the newest visible window whose title is exactly $1
  local id=""
  for _ in $(seq 50); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1 || true)
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || { echo "no window \"$1\"" >&2; exit 1; }
  echo "$id"
}
focus() { xdotool windowfocus --sync "$1"; sleep 0.3; }

VELUNOR_DRIVE_C="$drive" "$program" &
app=$!
main=$(window 'Velunor2\.0')
focus "$main"
shot 1-start

# 新規入力, then the fields: ID (looked up, fills the image name), name, sex,
# age; Enter moves on from field to field.
xdotool key ctrl+n
sleep 0.3
xdotool type --delay 40 '45'
xdotool key Return
sleep 0.3
xdotool type --delay 40 'yamada'
xdotool key Return
xdotool type --delay 40 'M'
xdotool key Return
xdotool type --delay 40 '52'
xdotool key Return Return
xdotool type --delay 40 '68'
xdotool key Return
shot 2-typed

# 読み込み: the dialog opens on the data drive's root; the file list is the
# third control (drive list, folder tree, file list).
xdotool key F3
dialog=$(window '画像読み込み')
focus "$dialog"
xdotool key Tab Tab Home
shot 3-dialog
xdotool key Tab Return  # OK
sleep 0.5
focus "$main"
shot 4-loaded

# 登録, then "元の画像を削除しますか？": No (Esc) keeps the scan.
xdotool key ctrl+s
box=$(window 'Velunor2\.0')
if [ "$box" != "$main" ]; then
  shot 5-question
  focus "$box"
  xdotool key Escape
fi
sleep 0.5
focus "$main"
shot 6-registered

size=$(stat -c %s "$drive/VLN2/VLN2.ekg")
echo "VLN2.ekg: $size bytes ($((size / 579)) record(s))"
head -c 16 "$drive/VLN2/VLN2.ekg" | od -c | head -n 2
ls -l "$drive/VLN2/GAZOU/"
file "$drive/VLN2/GAZOU/"*.jpg 2>/dev/null || true
[ "$size" -eq 579 ] && [ -f "$drive/VLN2/GAZOU/000045.jpg" ] && [ -f "$drive/ecg_scan.bmp" ]
echo "walk-through passed"
