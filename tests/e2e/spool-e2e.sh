#!/usr/bin/env bash
# The spool file "Morvane.$$$" of Morvane.exe under Wine, as other programs
# in its folder meet it:
#  1. A second Morvane started in the folder of a running one says which
#     process has the folder and ends (status 1) before it opens a window;
#     the first one goes on, and its spool file holds its own bytes only.
#  2. A link planted at "Morvane.$$$" is never written through: the page is
#     not printed, the user is told once, the link's target is unchanged.
#  3. A run that spooled no page leaves no spool file it made itself.
#
# usage: spool-e2e.sh BUILD_DIR   (the Windows build directory)
# Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).
set -u
build=$(cd "${1:?usage: spool-e2e.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-prefix.sh"
need_tools wine wineserver
need_display "$0" "$@"

find_exe() { find "$build" -name "$1" -type f -print -quit; }
exe=$build/src/app/Morvane.exe
driver=$(find_exe e2e-driver.exe)
peer=$(find_exe serial-peer.exe)
printer_setup=$(find_exe wine-printer-setup.exe)
for f in "$exe" "$driver" "$peer" "$printer_setup"; do
  [ -n "$f" ] && [ -f "$f" ] || fail "missing program (build Morvane, e2e-driver, serial-peer, wine-printer-setup) in $build"
done

work=$build/spool-e2e
rm -rf "$work" && mkdir -p "$work"
export CUPS_SERVER=/nonexistent.sock WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEPREFIX=$build/e2e-wineprefix WINEARCH=win64
pid=
second=
keepalive=
cleanup() {
  [ -n "$second" ] && kill "$second" 2>/dev/null
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    wine "$driver" close-boxes >/dev/null 2>&1
    wine "$driver" close 10000 >/dev/null 2>&1
    kill "$pid" 2>/dev/null
  fi
  [ -n "$keepalive" ] && wine "$driver" stop-keepalive >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1
}
trap cleanup EXIT
ok() { echo "ok: $*"; }
drive() { wine "$driver" "$@" 2>&1 | tr -d '\r'; }
settings() {  # settings FOLDER LINE
  mkdir -p "$1"
  printf '[Morvane]\r\nleft=0\r\ntop=0\r\nwidth=700\r\nheight=500\r\nlyn=%s\r\ncom=0\r\nprinterenable=0\r\n' "$2" > "$1/Morvane.ini"
}
send() {  # send LINE BYTES(printf format)
  printf "$2" > "$work/peer-input"
  timeout 30 wine "$peer" --line "$1" --drain --timeout 10 "$work/peer-input" >/dev/null 2>&1 \
    || fail "serial-peer could not deliver its bytes on line $1"
}
start_first() {  # start_first FOLDER
  (cd "$1" && exec wine "$exe") &
  pid=$!
  drive wait-window 30000 >/dev/null || fail "no Morvane window within 30 s"
}
stop_first() {
  drive close-boxes >/dev/null
  drive close 20000 >/dev/null || fail "the window did not close"
  local code=0
  wait "$pid" || code=$?
  pid=
  [ "$code" = 0 ] || fail "Morvane exited with code $code"
}
spool_is() { printf "$2" | cmp -s - "$1/Morvane.\$\$\$"; }

wine_prefix_ready || fail "wineboot"
wine "$driver" keepalive >/dev/null 2>&1 &
keepalive=$!
# A default printer (printing stays off: the printer is only measured).
wine "$printer_setup" "Morvane E2E" "$work/printed.ps" letter >/dev/null 2>&1 \
  || fail "could not make the file printer (wine-printer-setup)"

# --- 1. two programs in one folder ----------------------------------------
line=41
run=$work/shared
settings "$run" $line
start_first "$run"
first_pid=$(drive pid)
(cd "$run" && exec wine "$exe") &
second=$!
wait_until 30 "the second program's message box" sh -c "wine '$driver' boxes | grep -q 'in use'"
said=$(drive boxes)
case $said in
  *"in use by Morvane (process $first_pid)"*) ;;
  *) fail "the second program did not name the first one's process $first_pid: $said" ;;
esac
drive close-boxes >/dev/null
code=0
wait "$second" || code=$?
second=
[ "$code" = 1 ] || fail "the second program ended with status $code, expected 1"
[ "$(drive title)" = "Morvane - Lyn$line Printer: Disabled" ] || fail "the first program's window is gone"
send $line 'FIRST ONLY\r\n'
wait_until 10 "the first program's bytes in its spool file" spool_is "$run" 'FIRST ONLY\r\n'
stop_first
ok "a second program in the folder names process $first_pid and ends with status 1; the first spools its own bytes"

# --- 2. a link planted at the spool file's name --------------------------
run=$work/linked
settings "$run" $line
printf 'precious' > "$work/victim"
ln -s "$work/victim" "$run/Morvane.\$\$\$"
start_first "$run"
send $line 'THROUGH A LINK?\r\n\f'
wait_until 15 "the message that the spool file cannot be written" sh -c "wine '$driver' boxes | grep -q 'spool file'"
said=$(drive boxes)
drive close-boxes >/dev/null
send $line 'AGAIN\f'
sleep 1
[ -z "$(drive boxes)" ] || fail "told again at the next page: $(drive boxes)"
stop_first
[ "$(cat "$work/victim")" = precious ] || fail "the link's target was written: $(od -c "$work/victim" | head -3)"
[ -L "$run/Morvane.\$\$\$" ] || fail "the link was replaced"
ok "a planted link is not written through; told once: $said"

# --- 3. no page, no spool file --------------------------------------------
run=$work/idle
settings "$run" $line
start_first "$run"
stop_first
[ -e "$run/Morvane.\$\$\$" ] && fail "a run without pages left a spool file"
ok "a run without pages leaves no spool file"
echo "spool e2e: passed"
