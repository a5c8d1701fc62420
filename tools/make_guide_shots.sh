#!/usr/bin/env bash
# Takes the screenshots of the user guide (docs/guide-ja.md) and the README
# from the program itself, under Xvfb, on its demonstration drive, so that
# the pictures stay what the program shows.
#
#   bash tools/make_guide_shots.sh [build-dir] [output-dir]
#
# build-dir defaults to build, output-dir to docs/images. Needs the program
# and make_ecg_drive built, and xvfb, xdotool, imagemagick and x11-utils
# (VELUNOR_DEV_TOOLS=1 bash tools/setup.sh). Nothing of the user's is read or
# written: the data home and the configuration are temporary folders.
#
# One function per picture (shot_<name>), run in the order of SHOTS. To add a
# window: write a function that opens it from the main window, takes the shot
# with `shot NAME [WINDOW]`, and closes it again; then add its name to SHOTS.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
out=$(realpath -m "${2:-docs/images}")
program="$build/bin/Velunor2.0"
generate="$build/bin/make_ecg_drive"
for tool in "$program" "$generate"; do
  [ -x "$tool" ] || { echo "no $tool: build it first" >&2; exit 1; }
done
mkdir -p "$out"

SHOTS=(main calendar image_dialog department lead_site finding arrhythmia search list_view1
       list_view2 print_range zoom image_list detail patient_register patient_list
       patient_search patient_bulk guide first_start sort_progress sort_missing compare history
       backup_dialog check_report workstations)
# VELUNOR_SHOTS="main calendar" takes only those.
[ -n "${VELUNOR_SHOTS:-}" ] && read -r -a SHOTS <<<"$VELUNOR_SHOTS"

display=:${VELUNOR_DISPLAY:-98}
size=${VELUNOR_SHOT_SIZE:-1366x768}
home=$(mktemp -d /tmp/vg.XXXX)  # short: its paths appear in a picture
# A server on the display that is still going away would answer for a moment.
for _ in $(seq 50); do [ -e "/tmp/.X${display#:}-lock" ] || break; sleep 0.1; done
Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null && wait "$app" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
if ! xdpyinfo >/dev/null 2>&1 || ! kill -0 "$xvfb" 2>/dev/null; then
  echo "Xvfb $display did not start (display in use?)" >&2
  exit 1
fi
# A home of its own: the program's data and settings go there, and the
# pictures show the usual ~/.local/share/velunor2/... paths.
export HOME="$home" XDG_RUNTIME_DIR="$home/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset XDG_DATA_HOME XDG_CONFIG_HOME VELUNOR_DRIVE_C VELUNOR_COMPONENT_REGISTRY

# The newest visible window whose title is exactly $1 (a pattern).
window() {
  local id=""
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1 || true)
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || { echo "no window \"$1\"" >&2; exit 1; }
  echo "$id"
}
focus() { xdotool windowfocus --sync "$1"; sleep 0.3; }
taken=()
# shot NAME [WINDOW]: the whole screen, or one window, as NAME.png.
shot() {
  taken+=("$1")
  sleep 0.8
  if [ -n "${2:-}" ]; then
    import -window "$2" "$out/$1.png"
  else
    import -window root "$out/$1.png"
  fi
  echo "$out/$1.png"
}
# Starts the program with the given options and waits for its main window:
# the window "Velunor2.0" that fills the screen (the progress window of a
# first --demo start and the message boxes have the same title).
start() {
  kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb $display has ended" >&2; exit 1; }
  "$program" "$@" >>"$home/program.log" 2>&1 &
  app=$!
  main=""
  local screen_width id width
  screen_width=$(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1]}')
  local deadline=$((SECONDS + 120))  # a first --demo start draws 200 pictures
  while [ $SECONDS -lt $deadline ]; do
    for id in $(xdotool search --onlyvisible --name '^Velunor2\.0$' 2>/dev/null || true); do
      width=$(xdotool getwindowgeometry "$id" 2>/dev/null | awk '/Geometry:/ {split($2, g, "x"); print g[1]}')
      [ "${width:-0}" -ge "$screen_width" ] && main=$id
    done
    [ -n "$main" ] && break
    sleep 0.1
  done
  if [ -z "$main" ]; then
    import -window root "$out/failed-start.png"
    echo "the main window did not appear (screen: $out/failed-start.png)" >&2
    cat "$home/program.log" >&2
    exit 1
  fi
  focus "$main"
}
stop() {
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  app=""
}
# Opens a vocabulary window with its shortcut, takes it, closes it (閉じる).
vocabulary() {
  focus "$main"
  xdotool key "$2"
  local id
  id=$(window "$3")
  focus "$id"
  shot "$1"
  xdotool key alt+e
  sleep 0.3
}

shot_main() { focus "$main"; shot main; }
shot_calendar() {
  focus "$main"
  xdotool key F12
  shot calendar
  xdotool key F12
}
shot_image_dialog() {
  focus "$main"
  xdotool key F3
  local id
  id=$(window '画像読み込み')
  focus "$id"
  # The new recordings: the folder tree is the second control, SCAN the
  # second folder under the root, the file list the third control.
  xdotool key Tab Down Down
  sleep 0.3
  xdotool key Tab Home
  shot image_dialog "$id"
  xdotool key Escape
  sleep 0.3
}
shot_department() { vocabulary vocabulary_department ctrl+a '所属登録'; }
shot_lead_site() { vocabulary vocabulary_lead_site ctrl+u '誘導部位登録'; }
shot_finding() { vocabulary vocabulary_finding ctrl+i '異常所見登録'; }
shot_arrhythmia() { vocabulary vocabulary_arrhythmia ctrl+f '不整脈登録'; }
# The search dialog with a year typed in, put away again (ｷｬﾝｾﾙ).
shot_search() {
  focus "$main"
  xdotool key F7
  local id
  id=$(window '検索条件')
  focus "$id"
  xdotool type 2024
  xdotool key Tab
  shot search "$id"
  xdotool key Escape
  sleep 0.3
}
# The first list view of every examination (一覧, F8), left open for the next.
shot_list_view1() {
  focus "$main"
  xdotool key F8
  list1=$(window '一覧①')
  focus "$list1"
  shot list_view1
}
# The second list view (the menu item 一覧② of the first, clicked), left open
# for the print range.
shot_list_view2() {
  [ -n "${list1:-}" ] || { focus "$main"; xdotool key F8; list1=$(window '一覧①'); }
  focus "$list1"
  xdotool mousemove --window "$list1" 103 10 click 1
  list2=$(window '一覧②')
  focus "$list2"
  shot list_view2
}
# 印刷 of a list view: the print range dialog, cancelled; the list closed.
shot_print_range() {
  [ -n "${list2:-}" ] || { focus "$main"; xdotool key F8; list2=$(window '一覧①'); }
  focus "$list2"
  xdotool key alt+p
  local id
  id=$(window '印刷範囲指定')
  focus "$id"
  shot print_range "$id"
  xdotool key Escape
  sleep 0.3
  focus "$list2"
  xdotool key alt+e
  sleep 0.3
  list1="" list2=""
}
# 拡大 (Ctrl+D) of the picture on the main window, with the crosshair over
# it; closed again (閉じる).
shot_zoom() {
  focus "$main"
  xdotool key ctrl+d
  local id
  id=$(window '画像/拡大')
  focus "$id"
  local WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(WIDTH|HEIGHT)=')"
  xdotool mousemove --window "$id" $((WIDTH * 45 / 100)) $((HEIGHT * 40 / 100))
  sleep 0.3
  xdotool mousemove_relative 3 2
  shot zoom "$id"
  xdotool mousemove 0 0
  xdotool key alt+e
  sleep 0.3
}
# 画像一覧 (Ctrl+R): the first six pictures, left open for the detail view.
# 過去の検査と比較 (F6) on the examination shown at start (a patient with
# several examinations), zoomed once with the crosshair over the left picture;
# closed again (閉じる).
shot_compare() {
  focus "$main"
  xdotool key F6
  local id
  id=$(window '過去の検査と比較')
  focus "$id"
  local WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(WIDTH|HEIGHT)=')"
  xdotool mousemove --window "$id" $((WIDTH * 25 / 100)) $((HEIGHT * 52 / 100))
  sleep 0.3
  xdotool click 4
  sleep 0.3
  xdotool mousemove_relative 3 2
  shot compare "$id"
  xdotool mousemove 0 0
  xdotool key alt+e
  sleep 0.3
}
shot_image_list() {
  focus "$main"
  xdotool key ctrl+r
  images=$(window '画像一覧')
  focus "$images"
  shot image_list
}
# A click on the first picture of the image list: the detail view of that
# examination. Both closed again.
shot_detail() {
  [ -n "${images:-}" ] || { focus "$main"; xdotool key ctrl+r; images=$(window '画像一覧'); }
  focus "$images"
  # The list is drawn at the design size 960 x 704 scaled to the window,
  # centred across and at the top; the first picture's middle is (328, 88).
  local WIDTH HEIGHT scale
  eval "$(xdotool getwindowgeometry --shell "$images" | grep -E '^(WIDTH|HEIGHT)=')"
  scale=$(awk -v w="$WIDTH" -v h="$HEIGHT" \
    'BEGIN { s = w / 960; if (h / 704 < s) s = h / 704; print int(s * 100) / 100 }')
  read -r x y < <(awk -v w="$WIDTH" -v s="$scale" \
    'BEGIN { printf "%d %d\n", (w - 960 * s) / 2 + 328 * s, 88 * s }')
  xdotool mousemove --window "$images" "$x" "$y" click 1
  local id
  id=$(window '詳細表示')
  xdotool mousemove 0 0
  focus "$id"
  shot detail "$id"
  xdotool key Escape
  sleep 0.3
  focus "$images"
  xdotool key Escape
  sleep 0.3
  images=""
}
# The ID of the patient in record $1 of the demonstration master.
patient_id() {
  local master
  master=$(find "$home" -iname KANJYA.MASTA | head -n 1)
  dd if="$master" bs=1 skip=$((($1 - 1) * 127 + 10)) count=6 status=none
}
# 新規登録 (Ctrl+O) with the ID of a stored patient typed in: leaving the ID
# box shows that patient. Closed again (閉じる).
shot_patient_register() {
  focus "$main"
  xdotool key ctrl+o
  local id
  id=$(window '患者マスタ/新規登録')
  focus "$id"
  xdotool type "$(patient_id 12 | sed 's/^0*//')"
  xdotool key Tab
  sleep 0.3
  shot patient_register
  xdotool key alt+e
  sleep 0.3
}
# 一覧 (Ctrl+B): the whole master, fifteen to a page. Closed again.
shot_patient_list() {
  focus "$main"
  xdotool key ctrl+b
  local id
  id=$(window '患者マスタ/一覧')
  focus "$id"
  shot patient_list
  xdotool key alt+e
  sleep 0.3
}
# 検索 (Ctrl+C) by name (氏名, the option below カルテNO) with a surname
# typed in; put away again (ｷｬﾝｾﾙ).
shot_patient_search() {
  focus "$main"
  xdotool key ctrl+c
  local id
  id=$(window '患者マスタ/検索')
  focus "$id"
  # Back from the chart-number box to the last option (ﾖﾐｶﾀ), up to 氏名,
  # and the space bar chooses it.
  xdotool key shift+Tab Up space
  sleep 0.3
  xdotool type '佐藤'
  shot patient_search "$id"
  xdotool key Escape
  sleep 0.3
}
# 一括登録 (Ctrl+L) with a new patient typed into the first row; closed
# without registering it (閉じる).
shot_patient_bulk() {
  focus "$main"
  xdotool key ctrl+l
  local id
  id=$(window '患者マスタ/一括登録')
  focus "$id"
  xdotool type 990001
  xdotool key Tab
  xdotool type '見本　花子'
  xdotool key Tab
  xdotool type 'ﾐﾎﾝ ﾊﾅｺ'
  xdotool key Tab F
  xdotool key Tab
  xdotool type 1980/4/1
  xdotool key Tab Down Tab
  sleep 0.3
  shot patient_bulk
  xdotool key alt+e
  sleep 0.3
}
# F1 in the search dialog: the guide window at the dialog's chapter (Esc closes both).
shot_guide() {
  focus "$main"
  xdotool key F7
  local search guide
  search=$(window '検索条件')
  focus "$search"
  xdotool key F1
  guide=$(window '使い方ガイド')
  shot guide "$guide"
  focus "$guide"
  xdotool key Escape
  focus "$search"
  xdotool key Escape
  sleep 0.3
}
# A fresh, empty drive: the hint about the built-in vocabularies.
shot_first_start() {
  stop
  VELUNOR_DRIVE_C="$home/fresh" start
  shot first_start
  stop
}
# 100,000 examinations sorted by ID: the progress while the data file is read
# and written again.
shot_sort_progress() {
  stop
  "$generate" "$home/large" 100000 1 >/dev/null  # the picture of the last one
  VELUNOR_DRIVE_C="$home/large" start
  xdotool key ctrl+h
  local box
  box=$(window 'Velunor2\.0')  # the question, above the main window
  focus "$box"
  xdotool key Return
  # Taken while the progress window is up: the window "Velunor2.0" 659
  # pixels wide (9885 twips).
  progress_shown() {
    local id width
    for id in $(xdotool search --onlyvisible --name '^Velunor2\.0$' 2>/dev/null || true); do
      [ "$id" = "$main" ] && continue
      width=$(xdotool getwindowgeometry "$id" 2>/dev/null | awk '/Geometry:/ {split($2, g, "x"); print g[1]}')
      [ "${width:-0}" -eq 659 ] && return 0
    done
    return 1
  }
  for _ in $(seq 400); do
    if progress_shown; then
      # 100,000 records take well under a second: the program is held still
      # (SIGSTOP) for each picture; the last one with the window up is kept.
      for _ in $(seq 12); do
        kill -STOP "$app"
        progress_shown || { kill -CONT "$app"; break; }
        import -window root "$home/sort.png"
        kill -CONT "$app"
        sleep 0.02
      done
      break
    fi
  done
  [ -f "$home/sort.png" ] || import -window root "$home/sort.png"
  mv "$home/sort.png" "$out/sort_progress.png"
  taken+=(sort_progress)
  echo "$out/sort_progress.png"
  # "終了。" when it is done.
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name '^Velunor2\.0$' 2>/dev/null | tail -n 1 || true)
    [ -n "$id" ] && [ "$id" != "$main" ] && break
    sleep 0.1
  done
  stop
}

# A copy of the program with no sort component beside it and a registry entry
# left by a deleted build tree: the message of a sort.
shot_sort_missing() {
  stop
  mkdir -p "$home/velunor2/bin"
  cp "$program" "$home/velunor2/bin/"
  printf '[{05D53E3B-D103-4962-9E45-97309C189F9A}]\nInprocServer=%s\n' \
    "$home/old-build/lib/ZUVASORTMEM2.so" >"$home/registry.ini"
  local saved=$program
  program="$home/velunor2/bin/Velunor2.0"
  VELUNOR_COMPONENT_REGISTRY="$home/registry.ini" start --demo
  program=$saved
  xdotool key ctrl+h
  local box
  box=$(window 'Velunor2\.0')
  focus "$box"
  xdotool key Return
  sleep 1
  box=$(window 'Velunor2\.0')
  shot sort_missing "$box"
  focus "$box"
  xdotool key Return
  stop
}
# 変更履歴: the heart rate of the examination on screen overwritten, then
# F9: both versions, the changed field marked.
shot_history() {
  focus "$main"
  xdotool mousemove 525 45 click --repeat 3 1
  xdotool type 88
  xdotool key ctrl+s
  local box
  box=$(window 'Velunor2\.0')
  focus "$box"
  xdotool key shift+Tab Return
  sleep 0.5
  focus "$main"
  xdotool key F9
  local id
  id=$(window '変更履歴')
  focus "$id"
  shot history "$id"
  xdotool key alt+x
  sleep 0.3
}

# ファイル(F) → バックアップ作成…: the dialog with the folder it suggests.
shot_backup_dialog() {
  focus "$main"
  xdotool key alt+f Return
  local id
  id=$(window 'バックアップ作成')
  focus "$id"
  shot backup_dialog "$id"
  xdotool key Escape
  sleep 0.3
}
# ファイル(F) → データの点検 on the demonstration drive with a picture no
# examination names.
shot_check_report() {
  local gazou="$home/.local/share/velunor2/demo/VLN2/GAZOU"
  cp "$(ls "$gazou"/*.jpg | head -n 1)" "$gazou/OLD0001.jpg"
  focus "$main"
  xdotool key alt+f Down Down Down Return
  local id
  id=$(window 'データの点検')
  focus "$id"
  shot check_report "$id"
  xdotool key Escape
  rm -f "$gazou/OLD0001.jpg"
  sleep 0.3
}

# Two workstations on one drive, side by side: a second program (a home and
# runtime folder of its own, the first one's drive) shows the last page of
# its list of every record; the first registers an examination with a
# picture, and the second's list shows it within 2 s, no key pressed. Each
# program is taken on its own and the two put side by side with a caption.
shot_workstations() {
  local drive="$home/.local/share/velunor2/demo" other="$home/ws2"
  mkdir -p "$other/run" && chmod 700 "$other/run"
  HOME="$other" XDG_RUNTIME_DIR="$other/run" "$program" --drive-c "$drive" \
    >>"$home/program.log" 2>&1 &
  local second=$! id width second_main="" list dialog
  local deadline=$((SECONDS + 30))
  while [ -z "$second_main" ] && [ $SECONDS -lt $deadline ]; do
    sleep 0.5
    for id in $(xdotool search --onlyvisible --pid "$second" --name '^Velunor2\.0$' 2>/dev/null || true); do
      width=$(xdotool getwindowgeometry "$id" | awk '/Geometry:/ {split($2, g, "x"); print g[1]}')
      [ "${width:-0}" -ge 1000 ] && second_main=$id
    done
  done
  [ -n "$second_main" ] || { echo "the second program did not start" >&2; exit 1; }
  sleep 1
  # Its notices (boxes with the main window's title) answered.
  for id in $(xdotool search --onlyvisible --pid "$second" --name '^Velunor2\.0$' 2>/dev/null || true); do
    [ "$id" = "$second_main" ] && continue
    focus "$id"
    xdotool key Return
  done
  focus "$second_main"
  xdotool key F8
  list=$(window '一覧①')
  focus "$list"
  xdotool mousemove 148 736 click 1 key End
  sleep 0.5

  xdotool windowraise "$main"
  focus "$main"
  xdotool key ctrl+n
  sleep 0.3
  xdotool type 001573
  xdotool key Return
  sleep 0.3
  xdotool type 72
  xdotool key Return
  xdotool type NSR
  xdotool key F3
  dialog=$(window '画像読み込み')
  focus "$dialog"
  xdotool key Tab Down Down
  sleep 0.3
  xdotool key Tab Home Return
  sleep 0.5
  focus "$main"
  xdotool key ctrl+s
  sleep 0.5
  # 元の画像を削除しますか？: いいえ, the scan stays.
  id=$(window 'Velunor2\.0')
  focus "$id"
  xdotool key Return
  sleep 2.5
  xdotool windowraise "$list"
  shot ws_second "$list"
  focus "$main"
  xdotool key alt+b
  xdotool windowraise "$main"
  xdotool mousemove 1360 760
  shot ws_first "$main"
  kill "$second" 2>/dev/null || true
  wait "$second" 2>/dev/null || true

  local font
  font=$(fc-match -f '%{file}' 'IPAGothic')
  caption() {
    convert "$1" -resize 60% -bordercolor '#888' -border 1 \
      \( -size 822x34 -background white -fill black -font "$font" -pointsize 20 \
      -gravity west label:" $2" \) +swap -append "$3"
  }
  caption "$out/ws_first.png" "端末 1（心電図室）：検査を登録する" "$home/left.png"
  caption "$out/ws_second.png" "端末 2（診察室）：2 秒以内に一覧に出る" "$home/right.png"
  convert "$home/left.png" \( -size 16x1 xc:white \) "$home/right.png" +append \
    -bordercolor white -border 8 +repage -depth 8 -strip "$out/workstations.png"
  rm -f "$out/ws_first.png" "$out/ws_second.png"
  taken=("${taken[@]/ws_first/}")
  taken=("${taken[@]/ws_second/}")
  taken+=(workstations)
}

start --demo
for name in "${SHOTS[@]}"; do
  [ -n "$app" ] || start --demo
  "shot_$name"
done
stop
# 256 colours: a third of the size, no visible difference.
for name in "${taken[@]}"; do
  [ -n "$name" ] || continue
  convert "$out/$name.png" -dither None -colors 256 "PNG8:$out/$name.png"
done
echo "screenshots in $out"
