#!/usr/bin/env bash
# End-to-end checks of the configuration dialogs of Morvane.exe under Wine and
# Xvfb, driven by caption and control id with dialog-probe:
#  - "Connection setup": the lists show the settings, "Settings" and the line
#    list follow the port choice, OK with "GEEN" and line 12 reopens the serial
#    line as NH_SCOM12;
#  - "Comport settings": OK with 19k2, 7, even parity, 2 stop bits, hardware
#    flow stores 8, 0, 2, 2, 2; Cancel changes nothing;
#  - "Serialport status": asked for twice it stays one window; OK and the close
#    box both close it;
#  - "Page setup": the measured values of a 300-dpi Letter printer, the
#    characters spaced as a fixed-pitch face advances, the font chooser opens
#    and cancels without changes;
#  - "Print Setup": cancelled it changes nothing, confirmed it measures the
#    chosen printer again;
#  - every dialog opens centred on the window it belongs to;
#  - Morvane.ini written at exit holds "lyn" 12 and the five port settings.
# usage: dialogs-e2e.sh BUILD_DIR   (the Windows build directory)
set -u -o pipefail
build=$(cd "${1:?usage: dialogs-e2e.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-prefix.sh"
need_tools wine
need_display "$0" "$@"

exe=$build/src/app/Morvane.exe
probe=${DIALOG_PROBE:-$build/tests/e2e/dialog-probe.exe}
peer=$build/tools/serial-peer.exe
printer_setup=${WINE_PRINTER_SETUP:-$(find "$build/tools" -name wine-printer-setup.exe 2>/dev/null | head -n 1)}
for f in "$exe" "$probe" "$peer" "$printer_setup"; do [ -f "$f" ] || fail "missing ${f:-wine-printer-setup.exe}"; done

work=$build/dialogs-e2e
mkdir -p "$work"
export CUPS_SERVER=/nonexistent.sock WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX=$work/wineprefix WINEARCH=win64
fi
wine_prefix_ready || fail "wineboot"
wine "$printer_setup" "Morvane File" "$work/job.ps" letter >/dev/null 2>&1 || fail "printer setup"

run=$work/run
rm -rf "$run" && mkdir -p "$run"
cat > "$run/Morvane.ini" <<INI
[Morvane]
left=40
top=40
width=600
height=500
lyn=5
com=0
printerenable=1
INI

pid=
close_program_at_exit "$probe" close-main

p() { wine "$probe" "$@" | tr -d '\r'; }
expect() {  # expect WHAT WANTED ACTION ARGS...
  local what=$1 want=$2 got
  shift 2
  got=$(p "$@")
  [ "$got" = "$want" ] || fail "$what: got '$got', expected '$want'"
}
open_dialog() {  # open_dialog COMMAND CAPTION
  p command "$1" || fail "command $1"
  p wait "$2" 10000 || fail "\"$2\" did not open"
}
# A dialog opens centred on the window it belongs to (one pixel of rounding).
centred() {  # centred CAPTION OWNER|- [OVER]
  local dx dy owner
  read -r dx dy owner < <(p placement "$1" ${3:+"$3"}) || fail "no placement of \"$1\""
  case $owner in $2*) ;; *) fail "\"$1\" is owned by '$owner', expected '$2'";; esac
  [ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ] || fail "\"$1\" is off the centre of ${3:-its owner} by $dx, $dy"
}
click_closes() {  # click_closes CAPTION ID
  p click "$1" "$2" || fail "click $2 in \"$1\""
  p gone "$1" 10000 || fail "\"$1\" still open after button $2"
}

(cd "$run" && exec wine "$exe") &
pid=$!
p wait-window 60000 >/dev/null || fail "no main window"
# The splash screen goes after 3 s; dialogs are tried after that.
sleep 3.5

# --- Connection setup --------------------------------------------------------
C="Connection setup"
open_dialog 110 "$C"
centred "$C" "Morvane - "
expect "line list entries" 99 entries "$C" 1011
expect "port list entries" 21 entries "$C" 1037
expect "line list shows line 5" 5 text "$C" 1011
expect "port list shows the serial line" GEEN text "$C" 1037
expect "Settings disabled with the serial line" 0 enabled "$C" 1040
expect "line list enabled with the serial line" 1 enabled "$C" 1011
p select "$C" 1037 2
expect "COM2: chosen" "COM2:" text "$C" 1037
expect "Settings enabled for a port" 1 enabled "$C" 1040
expect "line list disabled for a port" 0 enabled "$C" 1011
p select "$C" 1037 0
expect "Settings disabled again" 0 enabled "$C" 1040
expect "line list enabled again" 1 enabled "$C" 1011
echo "ok: connection setup shows the settings and follows the port choice"

# --- Comport settings through "Settings" -------------------------------------
P="Comport settings"
p select "$C" 1037 1
p click "$C" 1040
p wait "$P" 10000 || fail "\"$P\" did not open"
centred "$P" "$C"
expect "baud rate list" 9600 text "$P" 1041
expect "data bits list" 8 text "$P" 1042
expect "parity list" "No Parity" text "$P" 1043
expect "stop bits list" "1 stopbit" text "$P" 1044
expect "flow list" None text "$P" 1045
for sel in "1041 8" "1042 0" "1043 2" "1044 2" "1045 2"; do p select "$P" $sel; done
click_closes "$P" 1
echo "ok: comport settings chosen"

p select "$C" 1037 0
p select "$C" 1011 11
expect "line 12 chosen" 12 text "$C" 1011
click_closes "$C" 1
title=$(p title)
case $title in *"Lyn12 "*) ;; *) fail "title after OK: $title";; esac
# Line 12 has a reader now, line 5 has none.
printf 'line 12\r\n' | wine "$peer" --line 12 --drain --timeout 5 >/dev/null 2>&1 ||
  fail "nobody reads serial line 12"
printf 'line 5\r\n' | wine "$peer" --line 5 --drain --timeout 2 >/dev/null 2>&1 &&
  fail "serial line 5 is still read"
echo "ok: serial line reopened as line 12 ($title)"

# Reopened: the lists show what OK stored; Cancel in both keeps it.
open_dialog 110 "$C"
expect "line list after OK" 12 text "$C" 1011
p select "$C" 1037 3
p click "$C" 1040
p wait "$P" 10000 || fail "\"$P\" did not reopen"
expect "baud rate kept" 19k2 text "$P" 1041
expect "data bits kept" 7 text "$P" 1042
expect "parity kept" "Even parity" text "$P" 1043
expect "stop bits kept" "2 stopbits" text "$P" 1044
expect "flow kept" Hardware text "$P" 1045
p select "$P" 1041 0
click_closes "$P" 2
click_closes "$C" 2
title2=$(p title)
[ "$title2" = "$title" ] || fail "Cancel changed the title: $title2"
echo "ok: cancel leaves the connection as it was"

# --- Serialport status -------------------------------------------------------
S="Serialport status"
open_dialog 112 "$S"
centred "$S" "Morvane - "
p command 112
sleep 0.5
expect "status windows after asking twice" 1 count "$S"
expect "status window in front" 1 foreground "$S"
for id in 1031 1032 1033 1034 1035 1036; do expect "indicator $id without a port" 0 checked "$S" $id; done
click_closes "$S" 1
open_dialog 112 "$S"
expect "a fresh status window" 1 count "$S"
p close "$S"
p gone "$S" 10000 || fail "close box left the status window open"
echo "ok: one status window, closed by OK and by the close box"

# --- Page setup --------------------------------------------------------------
G="Page setup"
check_page_setup() {  # check_page_setup WHEN
  expect "$1: printer" "Morvane File" text "$G" 1082
  expect "$1: font" "Courier New" text "$G" 1083
  expect "$1: font size" 12 text "$G" 1084
  for id in 1080 1081; do expect "$1: resolution $id" 300 text "$G" $id; done
  expect "$1: paper width" 8.50 text "$G" 1071
  expect "$1: paper height" 11.00 text "$G" 1072
  for id in 1075 1076 1077 1078; do expect "$1: margin $id" 0.25 text "$G" $id; done
  check_spacing "$1"
}
# Lines and characters follow from the printable area (1050 x 800 page units).
# The characters are as far apart as a fixed-pitch face advances, about 0.6
# of the font size, whatever face the prefix has for the font named.
check_spacing() {  # check_spacing WHEN; sets line_units
  local cw size
  line_units=$(p text "$G" 1079 | tr -d .)
  cw=$(p text "$G" 1085 | tr -d .)
  size=$(p text "$G" 1084)
  line_units=$((10#$line_units)) cw=$((10#$cw))
  [ "$line_units" -gt 0 ] && [ "$cw" -gt 0 ] || fail "$1: spacing $line_units x $cw"
  [ $((cw * 10)) -le $((size * 7 + 10)) ] || fail "$1: characters $cw units apart in a $size-unit font (not a fixed-pitch face?)"
  expect "$1: lines per page" $((1050 / line_units)) text "$G" 1073
  expect "$1: characters per line" $((800 / cw)) text "$G" 1074
}
open_dialog 113 "$G"
centred "$G" "Morvane - "
check_page_setup "page setup"
p click "$G" 1070
p wait Font 10000 || fail "the font chooser did not open"
centred Font - "$G"
click_closes Font 2
check_page_setup "after cancelling the font chooser"
click_closes "$G" 1
echo "ok: page setup shows the measured printer"

# --- Printer setup -----------------------------------------------------------
R="Print Setup"
open_dialog 40014 "$R"
centred "$R" "Morvane - "
click_closes "$R" 2
p command 40014
p wait "$R" 10000 || fail "\"$R\" did not reopen"
click_closes "$R" 1
open_dialog 113 "$G"
check_page_setup "after choosing the printer"
# The close box (a Cancel command) closes it too.
p close "$G"
p gone "$G" 10000 || fail "\"$G\" still open after its close box"
echo "ok: printer setup cancelled and confirmed"

# --- A larger font -----------------------------------------------------------
open_dialog 113 "$G"
check_spacing "before the font change"
small_lines=$line_units
p click "$G" 1070
p wait Font 10000 || fail "the font chooser did not reopen"
sizes=$(p entries Font 1138) || fail "no size list in the font chooser"
p select Font 1138 $((sizes - 1))
click_closes Font 1
font_name=$(p text "$G" 1083)
font_size=$(p text "$G" 1084)
[ -n "$font_name" ] && [ "$font_size" -gt 12 ] || fail "font after the chooser: '$font_name' $font_size"
check_spacing "after the font change"
[ "$line_units" -gt "$small_lines" ] || fail "line spacing $line_units not above $small_lines"
click_closes "$G" 1
echo "ok: a larger font ($font_name, $font_size) measured again"

# --- Settings file at exit ---------------------------------------------------
p close-main 20000 || fail "main window did not close"
wait "$pid"
pid=
ini=$(tr -d '\r' < "$run/Morvane.ini")
for kv in lyn=12 com=0 baudrate=8 bytesize=0 parity=2 stopbits=2 flowctrl=2; do
  grep -qx "$kv" <<<"$ini" || fail "Morvane.ini lacks $kv: $(tr '\n' ' ' <<<"$ini")"
done
echo "ok: settings file holds line 12 and the port settings 8,0,2,2,2"
font=$(sed -n '/^\[font\]/,$p' <<<"$ini")
for kv in "height=-$font_size" "name=$font_name" weight=400 italic=0; do
  grep -qx "$kv" <<<"$font" || fail "font section lacks $kv: $(tr '\n' ' ' <<<"$font")"
done
echo "ok: settings file holds the chosen font"
echo "all dialog checks passed"
