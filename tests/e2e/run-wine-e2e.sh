#!/usr/bin/env bash
# End-to-end checks of Morvane.exe under Wine and Xvfb, driven from outside:
# the serial-line test peer sends the bytes, e2e-driver posts menu commands
# and closes the window, a Wine printer writes the printed pages to a file.
#
#  1. A first run without "Morvane.ini" writes all twenty keys in order.
#  2. Bytes the peer writes are read (its ring drains), stand in "Morvane.$$$"
#     and show on the sheet where the bytes put them (screenshot).
#  3. A form feed ends the page: the spool file holds exactly that page's
#     bytes, the page is printed (rendered with ghostscript) and the sheet is
#     cleared.
#  4. "Clear page" clears the sheet and starts a new spool file; "Print page
#     now" ends and prints the page; toggling the printer changes the title
#     and a disabled printer prints nothing; a pen command feeds its bytes.
#  5. Quitting with a page in progress deletes its spool file; the settings
#     file keeps the values of the run.
# Then the companion scripts beside this one (toolbar and bar, dialogs,
# printing, everyday desktop points) run, unless MORVANE_E2E_ONLY_MAIN=1.
#
# usage: run-wine-e2e.sh BUILD_DIR   (the Windows build directory)
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -u
build=$(cd "${1:?usage: run-wine-e2e.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-prefix.sh"
need_tools wine wineserver xwd xwdtopnm gs python3
need_display "$0" "$@"

find_exe() { find "$build" -name "$1" -type f -print -quit; }
exe=$build/src/app/Morvane.exe
driver=$(find_exe e2e-driver.exe)
peer=$(find_exe serial-peer.exe)
printer_setup=$(find_exe wine-printer-setup.exe)
for f in "$exe" "$driver" "$peer" "$printer_setup"; do
  [ -n "$f" ] && [ -f "$f" ] || { echo "FAILED: missing program (build Morvane, e2e-driver, serial-peer, wine-printer-setup) in $build"; exit 1; }
done

work=$build/wine-e2e
mkdir -p "$work"
export CUPS_SERVER=/nonexistent.sock WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
# A private prefix under the build directory, made once and reused; the
# companion scripts below run in it too.
export WINEPREFIX=$build/e2e-wineprefix WINEARCH=win64
started=$(date +%s)

pid=
keepalive=
run=
failed=0
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    wine "$driver" close 10000 >/dev/null 2>&1
    kill "$pid" 2>/dev/null
  fi
  [ -n "$keepalive" ] && wine "$driver" stop-keepalive >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*"
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    echo "  open message boxes: $(wine "$driver" boxes 2>/dev/null | tr -d '\r')"
  fi
  [ -n "$run" ] && echo "  working directory: $run ($(ls "$run" 2>/dev/null | tr '\n' ' '))"
  exit 1
}
ok() { echo "ok: $*"; }

drive() { wine "$driver" "$@" 2>&1 | tr -d '\r'; }

# Sends bytes through the serial line and waits until Morvane has read them all.
send() {  # send LINE BYTES(printf format)
  printf "$2" > "$work/peer-input"
  timeout 30 wine "$peer" --line "$1" --drain --timeout 10 "$work/peer-input" >/dev/null 2>&1 \
    || fail "serial-peer could not deliver its bytes on line $1 (ring not drained)"
}

spool_is() { printf "$1" | cmp -s - "$run/Morvane.\$\$\$"; }
wait_spool() {  # wait_spool BYTES(printf format) WHAT
  wait_until 5 "$2 (spool file: $(od -An -c "$run/Morvane.\$\$\$" 2>/dev/null | tr -s ' ' | head -c 200))" spool_is "$1"
}

start_morvane() {  # start_morvane EXPECTED_TITLE
  (cd "$run" && exec wine "$exe") &
  pid=$!
  local title
  title=$(wine "$driver" wait-window 30000 | tr -d '\r') || fail "no Morvane window within 30 s"
  [ "$title" = "$1" ] || fail "title at start is \"$title\", expected \"$1\""
}

stop_morvane() {
  drive close 20000 >/dev/null || fail "the window did not close"
  local code=0
  wait "$pid" || code=$?
  pid=
  [ "$code" = 0 ] || fail "Morvane exited with code $code"
}

title_is() { [ "$(drive title)" = "$1" ]; }

# Screenshot of the paper window: sets shot (PPM) and the paper origin px, py.
screenshot() {  # screenshot NAME
  read -r px py pw ph < <(drive paper-rect) || fail "no paper window"
  shot=$work/$1.ppm
  xwd -root -silent | xwdtopnm 2>/dev/null > "$shot" || fail "screenshot"
  command -v pnmtopng >/dev/null && pnmtopng "$shot" > "$work/$1.png" 2>/dev/null
}
# Dark pixels (or pixels of colour RRGGBB) in a rectangle of the paper
# window's client area (page units = pixels in the original-size view).
dark_on_sheet() {  # dark_on_sheet X0 Y0 X1 Y1 [RRGGBB]
  python3 "$here/dark_pixels.py" "$shot" $((px + $1)) $((py + $2)) $((px + $3)) $((py + $4)) ${5:-}
}

# --- prefix, printer -------------------------------------------------------
wine_prefix_ready || fail "wineboot"
# A small windowed process keeps Wine's desktop up between the programs.
wine "$driver" keepalive >/dev/null 2>&1 &
keepalive=$!
printed=$work/printed.ps
rm -f "$printed"
wine "$printer_setup" "Morvane E2E" "$printed" letter >/dev/null 2>&1 \
  || fail "could not make the file printer (wine-printer-setup)"

# --- 1. first run: the settings file is written in full --------------------
run=$work/first
rm -rf "$run" && mkdir -p "$run"
start_morvane "Morvane - Lyn1 Printer: Enabled"
# Fit to window (the default): the Letter sheet, 850 x 1100, is scaled to
# the client height; the rest of the window shows the background grey.
screenshot fit
sw=$((850 * ph / 1100))
grey=$(dark_on_sheet $((sw + 4)) 4 $((pw - 4)) $((ph - 4)) C6C3C6)
[ "$grey" = $(((pw - 8 - sw) * (ph - 8))) ] || fail "fit to window: not all grey right of the sheet ($grey, see $work/fit.png)"
white=$(dark_on_sheet 4 4 $((sw - 4)) 20 FFFFFF)
[ "$white" -gt $(((sw - 8) * 16 * 8 / 10)) ] || fail "fit to window: no white sheet at the left ($white)"
drive command 40004 >/dev/null  # Original size
sleep 0.5
screenshot original
white=$(dark_on_sheet $((sw + 4)) 4 $((pw - 4)) 20 FFFFFF)
[ "$white" -gt $(((pw - 8 - sw) * 16 * 8 / 10)) ] || fail "original size: the sheet does not fill the window's width ($white, see $work/original.png)"
ok "view modes: fitted sheet beside a grey background, original size fills the window"
drive command 102 >/dev/null  # About
# The about box shows the major and minor numbers of the project's version.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=\([0-9]*\.[0-9]*\).*/\1/p' "$build/CMakeCache.txt")
wait_until 5 "the about box" sh -c "wine '$driver' boxes | grep -qF 'Version ${version}a 20040408'"
drive close-boxes >/dev/null
wait_until 5 "the about box to close" sh -c "! wine '$driver' boxes | grep -q Version"
ok "about box shows Version ${version}a 20040408"
stop_morvane
grep -q '^printerview=1' "$run/Morvane.ini" || fail "the view mode chosen was not saved"
[ -f "$run/Morvane.ini" ] || fail "no Morvane.ini after the first run"
keys=$(tr -d '\r' < "$run/Morvane.ini" | sed -n 's/^\([A-Za-z]*\)=.*/\1/p; s/^\[\(.*\)\]$/[\1]/p' | tr '\n' ' ')
want="[Morvane] left top width height open lyn com parity stopbits baudrate bytesize flowctrl printertype printerview printerenable closedocument [font] italic height weight name "
[ "$keys" = "$want" ] || fail "settings keys after the first run: $keys"
grep -q '^name=Courier New' "$run/Morvane.ini" || fail "font name not written"
ok "first run: title, exit code 0, twenty keys in order"

# --- 2. bytes from the serial line -----------------------------------------
line=23
run=$work/second
rm -rf "$run" && mkdir -p "$run"
cat > "$run/Morvane.ini" <<INI
[Morvane]
left=0
top=0
width=900
height=700
lyn=$line
com=0
printertype=0
printerview=1
printerenable=1
closedocument=1
INI
start_morvane "Morvane - Lyn$line Printer: Enabled"
screenshot before
# The splash screen may cover the middle of the screen: bands stay left of it.
[ "$(dark_on_sheet 20 15 400 80)" = 0 ] || fail "the sheet is not blank at start (see $work/before.png)"

page1='MORVANE E2E TEST\r\nSECOND LINE OF TEXT\r\n'
send $line "$page1"
wait_spool "$page1" "the received bytes in Morvane.\$\$\$"
[ -f "$printed" ] && fail "a page was printed before it ended"
screenshot received
top_band=$(dark_on_sheet 20 15 400 80)
below=$(dark_on_sheet 20 150 400 500)
[ "$top_band" -gt 50 ] || fail "no text in the top lines of the sheet ($top_band dark pixels, see $work/received.png)"
[ "$below" = 0 ] || fail "dark pixels below the two lines ($below, see $work/received.png)"
ok "received bytes spooled and drawn at the top of the sheet ($top_band dark pixels)"

# --- 3. a form feed ends and prints the page -------------------------------
send $line '\f'
wait_until 15 "the printed page in $printed" test -s "$printed"
wait_spool "$page1\f" "the spool file holding exactly the page"
sleep 0.3
render=$work/printed.ppm
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r100 -dFirstPage=1 -dLastPage=1 \
  -sOutputFile="$render" "$printed" >/dev/null 2>&1 || fail "ghostscript cannot render $printed"
printed_top=$(python3 "$here/dark_pixels.py" "$render" 20 20 600 110)
printed_rest=$(python3 "$here/dark_pixels.py" "$render" 0 200 850 1100)
[ "$printed_top" -gt 50 ] || fail "the printed page has no text at its top ($printed_top)"
[ "$printed_rest" = 0 ] || fail "the printed page has marks below the text ($printed_rest)"
screenshot after_ff
[ "$(dark_on_sheet 20 15 400 80)" = 0 ] || fail "the sheet was not cleared after the form feed"
ok "form feed: page printed ($printed_top dark pixels at its top), spool file is that page, sheet cleared"

# --- 4. commands ------------------------------------------------------------
send $line 'JUNK\r\n'
wait_spool 'JUNK\r\n' "the bytes before Clear page"
drive command 40015 >/dev/null  # Clear page
sleep 0.5
screenshot cleared
[ "$(dark_on_sheet 20 15 400 80)" = 0 ] || fail "Clear page left text on the sheet"
send $line 'AFTER CLEAR\r\n'
wait_spool 'AFTER CLEAR\r\n' "a new spool file after Clear page"
ok "Clear page: sheet cleared, the next bytes start a new spool file"

rm -f "$printed"
drive command 40012 >/dev/null  # Print page now
wait_until 15 "the page printed by Print page now" test -s "$printed"
wait_spool 'AFTER CLEAR\r\n\f' "the form feed of Print page now in the spool file"
ok "Print page now: the page ends with a form feed and is printed"

drive command 40009 >/dev/null  # Enable printer: off
wait_until 5 "title after disabling the printer" title_is "Morvane - Lyn$line Printer: Disabled"
rm -f "$printed"
send $line 'NOT PRINTED\r\n'
wait_spool 'NOT PRINTED\r\n' "bytes with the printer disabled"
drive command 40012 >/dev/null
wait_spool 'NOT PRINTED\r\n\f' "the form feed with the printer disabled"
sleep 1
[ -f "$printed" ] && fail "a page was printed with the printer disabled"
drive command 40009 >/dev/null  # and on again
wait_until 5 "title after enabling the printer" title_is "Morvane - Lyn$line Printer: Enabled"
ok "Enable printer: title follows, nothing printed while disabled"

drive command 40007 >/dev/null  # Sony emulation
drive command 40017 >/dev/null  # Blue pen
wait_spool '\033C1\r\n' "the text-mode pen command ESC C1 CR LF"
drive command 40006 >/dev/null  # back to the Brother emulation
[ "$(drive title)" = "Morvane - Lyn$line Printer: Enabled" ] || fail "choosing an emulation changed the title"
ok "pen command in text mode fed as ESC C 1 CR LF"

# --- 5. quitting ------------------------------------------------------------
send $line 'UNFINISHED'
wait_spool '\033C1\r\nUNFINISHED' "the unfinished page after the pen command"
stop_morvane
[ -f "$run/Morvane.\$\$\$" ] && fail "the spool file of the unfinished page was left behind"
tr -d '\r' < "$run/Morvane.ini" | grep -qx "lyn=$line" || fail "lyn not kept in Morvane.ini"
tr -d '\r' < "$run/Morvane.ini" | grep -qx "printerview=1" || fail "printerview not kept"
tr -d '\r' < "$run/Morvane.ini" | grep -qx "printertype=0" || fail "printertype not kept"
ok "quit: exit code 0, unfinished spool file deleted, settings kept"
echo "Morvane end-to-end: passed in $(($(date +%s) - started)) s"

# --- companion scripts ------------------------------------------------------
if [ "${MORVANE_E2E_ONLY_MAIN:-0}" != 1 ]; then
  wine "$driver" stop-keepalive >/dev/null 2>&1
  keepalive=
  wineserver -k >/dev/null 2>&1
  run=
  for script in "$here/bar-toolbar-e2e.sh" "$here/dialogs-e2e.sh" "$here/printing-e2e.sh" "$here/desktop-e2e.sh" "$here/spool-e2e.sh"; do
    [ -f "$script" ] || continue
    code=0
    bash "$script" "$build" || code=$?
    case $code in
      0) ok "$(basename "$script")" ;;
      77) echo "skipped: $(basename "$script")" ;;
      *) echo "FAILED: $(basename "$script") (exit $code)"; failed=1 ;;
    esac
  done
fi
exit $failed
