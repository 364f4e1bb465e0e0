# Sourced by the end-to-end scripts: starts the Wine server of $WINEPREFIX,
# makes the prefix on first use, and turns off window management (Xvfb has
# no window manager; without this every window close waits about 2 s).
wine_prefix_ready() {
  wineserver -p >/dev/null 2>&1
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 || return 1
  fi
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  return 0
}
