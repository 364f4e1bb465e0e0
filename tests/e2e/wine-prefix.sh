# Sourced by the end-to-end scripts: starts the Wine server of $WINEPREFIX,
# makes the prefix on first use, and turns off window management (Xvfb has
# no window manager; without this every window close waits about 2 s).
# Also: how a script ends the program it started and the Wine server, and
# what every script checks first (tools, a display), and how it waits.
wine_prefix_ready() {
  wineserver -p >/dev/null 2>&1
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 || return 1
  fi
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  return 0
}

# At the script's exit the program started as $pid (if it still runs) is
# closed with the probe's close action, else killed, and the Wine server ends.
close_program_at_exit() {  # close_program_at_exit PROBE CLOSE_ACTION
  e2e_close_probe=$1 e2e_close_action=$2
  trap e2e_close_program EXIT
}
e2e_close_program() {
  if [ -n "${pid:-}" ] && kill -0 "$pid" 2>/dev/null; then
    wine "$e2e_close_probe" "$e2e_close_action" 20000 >/dev/null 2>&1
    kill "$pid" 2>/dev/null
  fi
  wineserver -k >/dev/null 2>&1
}

# How a script says it cannot run here (77: skipped) or that a check failed.
skip() { echo "skipped: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }
# Polls a command until it succeeds; fails the script after SECONDS:
# wait_until SECONDS WHAT COMMAND...
wait_until() {
  local limit=$(($(date +%s%N) / 1000000 + $1 * 1000)) what=$2
  shift 2
  until "$@"; do
    [ $(($(date +%s%N) / 1000000)) -lt "$limit" ] || fail "timed out waiting: $what"
    sleep 0.1
  done
}
# Skips the script unless every named tool is installed.
need_tools() {
  local tool
  for tool in "$@"; do command -v "$tool" >/dev/null || skip "$tool is not installed"; done
}
# Without a display the script runs again on a private Xvfb:
# need_display "$0" "$@".
need_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  command -v xvfb-run >/dev/null || skip "no display and no xvfb-run"
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$@"
}

# The desktop scripts' start: the Windows build's programs ($exe, $probe,
# $driver, $peer, $printer_setup), a work folder $work under the build with
# a Wine prefix of its own, and a printer that writes PostScript to $job.
desktop_e2e_start() {  # desktop_e2e_start BUILD_DIR WORK_NAME PRINTER_NAME
  local f build=$1
  exe=$build/src/app/Morvane.exe
  probe=$build/tests/e2e/dialog-probe.exe
  driver=$build/tests/e2e/e2e-driver.exe
  peer=$build/tools/serial-peer.exe
  printer_setup=$(find "$build/tools" -name wine-printer-setup.exe 2>/dev/null | head -n 1)
  for f in "$exe" "$probe" "$driver" "$peer" "$printer_setup"; do
    [ -f "$f" ] || fail "missing ${f:-wine-printer-setup.exe}"
  done
  work=$build/$2
  mkdir -p "$work"
  export CUPS_SERVER=/nonexistent.sock WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
  export WINEPREFIX=$work/wineprefix WINEARCH=win64
  wine_prefix_ready || fail "wineboot"
  job=$work/job.ps
  rm -f "$job"
  wine "$printer_setup" "$3" "$job" letter >/dev/null 2>&1 || fail "printer setup"
}
