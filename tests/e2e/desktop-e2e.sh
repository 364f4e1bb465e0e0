#!/usr/bin/env bash
# End-to-end checks of Morvane.exe's everyday rough edges under Wine and Xvfb,
# in a prefix of its own without "Courier New":
#  - a saved window position that no screen shows (a removed monitor) opens
#    the window on the work area, and that position is the one saved;
#  - every label and button of every dialog (and of the progress window)
#    fits its box on one line ("Flow Control" in "Comport settings");
#  - the font chooser opens on the face the page is drawn in at the page
#    font's size, and OK keeps that size (never a 6-point page font);
#  - another font or another printer chosen while a page is open: the
#    printed page shows what the sheet shows, without the wiped lines.
# usage: desktop-e2e.sh BUILD_DIR   (the Windows build directory)
set -u -o pipefail
build=$(cd "${1:?usage: desktop-e2e.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-prefix.sh"
need_tools wine xwd xwdtopnm gs python3
need_display "$0" "$@"

desktop_e2e_start "$build" desktop-e2e "Morvane Desktop File"
line=7

pid=
close_program_at_exit "$probe" close-main
p() { wine "$probe" "$@" | tr -d '\r'; }
send() { printf "$1" | wine "$peer" --line $line --drain --timeout 10 >/dev/null 2>&1 || fail "serial peer"; }
ini_value() {  # ini_value [SECTION] KEY
  local section=Morvane
  [ $# = 2 ] && section=$1 && shift
  tr -d '\r' < "$run/Morvane.ini" | sed -n "/^\[$section\]/,/^\[/s/^$1=//p" | head -n 1
}

start() {  # start INI_LINES...: Morvane in a fresh folder with these settings
  run=$work/run
  rm -rf "$run" && mkdir -p "$run"
  printf '%s\r\n' "[Morvane]" "lyn=$line" "com=0" "$@" > "$run/Morvane.ini"
  (cd "$run" && exec wine "$exe") &
  pid=$!
  p wait-window 60000 >/dev/null || fail "no main window"
}
stop() {
  p close-main 20000 || fail "the main window did not close"
  wait "$pid" || fail "Morvane exited with status $?"
  pid=
}

# --- the window on a work area ------------------------------------------------
start "left=40" "top=40" "width=600" "height=432"
read -r wl wt wr wb < <(p work-areas | head -n 1)
read -r l t r b < <(p main-rect)
[ "$l $t" = "40 40" ] || fail "a place on the screen moved: $l $t"
stop
[ "$(ini_value left) $(ini_value top)" = "40 40" ] || fail "saved $(ini_value left) $(ini_value top), not 40 40"
# Saved on a second monitor that is gone (right, left, below, above), and a
# "top" missing beside a "left" (the system's default for it is far above).
for place in "left=3000 top=300" "left=-2500 top=200" "left=200 top=4000" "left=200 top=-3000" "left=300"; do
  start $place "width=600" "height=432"
  read -r l t r b < <(p main-rect)
  # The caption can be grabbed: at least 48 pixels of its width and its top
  # edge lie on the work area.
  [ "$t" -ge "$wt" ] && [ "$t" -lt $((wb - 20)) ] && [ "$l" -lt $((wr - 48)) ] && [ "$r" -gt $((wl + 48)) ] ||
    fail "saved at $place, the window opens at $l $t $r $b, off the work area $wl $wt $wr $wb"
  stop
  [ "$(ini_value left) $(ini_value top)" = "$l $t" ] ||
    fail "saved at $place, shown at $l $t, but saved again at $(ini_value left) $(ini_value top)"
done
echo "ok: a window place off every screen opens on the work area and is saved there"

# --- labels fit their dialogs ---------------------------------------------------
start "left=40" "top=40" "printerenable=1" "closedocument=0"
sleep 3.5  # the splash screen goes
fits() {  # fits CAPTION
  local clipped
  clipped=$(p labels "$1") || fail "no dialog \"$1\""
  [ -z "$clipped" ] || fail "in \"$1\" a text does not fit its box: $clipped"
}
p command 110 && p wait "Connection setup" 10000 || fail "no Connection setup"
fits "Connection setup"
p select "Connection setup" 1037 1
p click "Connection setup" 1040 && p wait "Comport settings" 10000 || fail "no Comport settings"
fits "Comport settings"
p click "Comport settings" 2 && p gone "Comport settings" 10000
p click "Connection setup" 2 && p gone "Connection setup" 10000
p command 112 && p wait "Serialport status" 10000 || fail "no Serialport status"
fits "Serialport status"
p close "Serialport status" && p gone "Serialport status" 10000
p command 113 && p wait "Page setup" 10000 || fail "no Page setup"
fits "Page setup"
p click "Page setup" 1 && p gone "Page setup" 10000
send 'ONE PAGE\r\n\f'
wait_until 15 "the progress window of the open document" sh -c "[ \"\$(wine '$probe' text Morvane 1083 2>/dev/null | tr -d '\r')\" = 'Abort printing' ]"
fits Morvane
p command 40013  # Close document now
stop
echo "ok: every label and button fits its box"

# --- the font chooser without "Courier New" -------------------------------------
start "left=40" "top=40" "[font]" "height=-24" "name=Courier New"
sleep 3.5
p command 113 && p wait "Page setup" 10000 || fail "no Page setup"
p click "Page setup" 1070 && p wait Font 10000 || fail "the font chooser did not open"
IFS='|' read -r face size < <(p font-chooser)
# The face the page is drawn in stands in for the missing one: fixed pitch.
[ "$(p font "$face" | sed 's/.* //')" = fixed ] || fail "the chooser opens on \"$face\", not a fixed-pitch face"
[ "$size" = 18 ] || fail "the chooser opens at size '$size', not 18 (the page font's 24 units)"
p click Font 1 && p gone Font 10000 || fail "the font chooser did not close"
[ "$(p text "Page setup" 1083)" = "$face" ] || fail "after OK the page font is \"$(p text "Page setup" 1083)\""
[ "$(p text "Page setup" 1084)" = 24 ] || fail "after OK the font size is $(p text "Page setup" 1084), not 24"
p click "Page setup" 1 && p gone "Page setup" 10000
stop
[ "$(ini_value font height)" = -24 ] && [ "$(ini_value font name)" = "$face" ] ||
  fail "saved font: $(ini_value font name) $(ini_value font height)"
echo "ok: the font chooser opens on $face at 18 points and keeps that size"

# --- a font or a printer chosen while a page is open ----------------------------
# Original size: one pixel per page unit on the sheet as on the rendered paper.
start "left=0" "top=0" "width=900" "height=700" "printerview=1" "printerenable=1" "closedocument=1"
sleep 3.5
read -r px py pw ph < <(wine "$driver" paper-rect | tr -d '\r') || fail "no paper window"
ink_below() {  # ink_below IMAGE Y X_ORIGIN Y_ORIGIN: dark pixels of the sheet below page unit Y
  python3 "$here/dark_pixels.py" "$1" $(($3 + 20)) $(($4 + $2)) $(($3 + 800)) $(($4 + 600))
}
ink_above() {
  python3 "$here/dark_pixels.py" "$1" $(($3 + 20)) $(($4 + 20)) $(($3 + 800)) $(($4 + $2))
}
check_page() {  # check_page WHAT: the sheet and the printed page hold one text line at the top
  local shot=$work/sheet.ppm printed=$work/printed.ppm
  xwd -root -silent | xwdtopnm 2>/dev/null > "$shot" || fail "screenshot"
  command -v pnmtopng >/dev/null && pnmtopng "$shot" > "${shot%.ppm}.png" 2>/dev/null
  [ "$(ink_above "$shot" 60 $px $py)" -gt 20 ] || fail "$1: no new text at the top of the sheet"
  [ "$(ink_below "$shot" 60 $px $py)" = 0 ] || fail "$1: the sheet holds more than the new line"
  rm -f "$job"
  send '\f'
  wait_until 15 "the page printed after $1" test -s "$job"
  sleep 0.5
  gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r100 -sOutputFile="$printed" "$job" >/dev/null 2>&1 ||
    fail "ghostscript cannot render the page printed after $1"
  [ "$(ink_above "$printed" 60 0 0)" -gt 20 ] || fail "$1: the printed page lacks the new text"
  [ "$(ink_below "$printed" 60 0 0)" = 0 ] || fail "$1: the printed page holds the wiped lines ($(ink_below "$printed" 60 0 0) dark pixels below the new line)"
}
send 'WIPED LINE ONE\r\nWIPED LINE TWO\r\nWIPED LINE THREE\r\n'
p command 113 && p wait "Page setup" 10000 || fail "no Page setup"
p click "Page setup" 1070 && p wait Font 10000 || fail "the font chooser did not open"
p choose Font 1138 14 || fail "no size 14 in the font chooser"
p click Font 1 && p gone Font 10000 || fail "the font chooser did not close"
p click "Page setup" 1 && p gone "Page setup" 10000
send 'NEW FONT\r\n'
sleep 0.5
check_page "a font chosen part-way"
send 'WIPED AGAIN\r\nAND AGAIN\r\nAND AGAIN\r\n'
p command 40014 && p wait "Print Setup" 10000 || fail "no Print Setup"
p click "Print Setup" 1 && p gone "Print Setup" 10000 || fail "Print Setup did not close"
send 'NEW PRINTER\r\n'
sleep 0.5
check_page "a printer chosen part-way"
stop
echo "ok: after a font or printer chosen part-way the paper shows what the sheet shows"
echo "all desktop checks passed"
