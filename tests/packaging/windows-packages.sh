#!/usr/bin/env bash
# Checks the Windows packages that scripts/package wrote, in a fresh Wine
# prefix under Xvfb:
#
#  1. The zip holds one folder, morvane-VERSION-windows-x64, with exactly the
#     three programs, the help page, README.txt, LICENSE.txt and the samples,
#     no two names that differ only in case; its programs run from there.
#  2. The installer, run silently (/S), puts the same files and an
#     uninstaller into Program Files, registers the uninstaller with Windows,
#     and makes a Start menu shortcut to Morvane.exe whose working folder is a
#     folder of the user's own (read from the .lnk by lnk_info.py).
#  3. Morvane.exe started through that shortcut, from another directory,
#     opens its window and at exit writes "Morvane.ini" into that folder.
#  4. The uninstaller (/S) removes the install folder, the shortcut and the
#     registration, and leaves the user's settings.
#
# usage: windows-packages.sh DIST_DIR WINDOWS_BUILD_DIR
# (the build directory gives the version and the test helpers e2e-driver.exe
# and wine-printer-setup.exe). Exit status: 0 passed, 1 failed.
set -u
dist=$(cd "${1:?usage: windows-packages.sh DIST_DIR WINDOWS_BUILD_DIR}" && pwd)
build=$(cd "${2:?usage: windows-packages.sh DIST_DIR WINDOWS_BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)

fail() { echo "FAILED: $*"; exit 1; }
ok() { echo "ok: $*"; }

for tool in wine wineserver python3; do
  command -v $tool >/dev/null || fail "$tool is not installed (scripts/setup installs it)"
done
if [ -z "${DISPLAY:-}" ]; then
  command -v xvfb-run >/dev/null || fail "no display and no xvfb-run"
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
zip=$dist/morvane-$version-windows-x64.zip
installer=$dist/morvane-$version-windows-x64-setup.exe
driver=$(find "$build" -name e2e-driver.exe -type f -print -quit)
printer_setup=$(find "$build" -name wine-printer-setup.exe -type f -print -quit)
for f in "$zip" "$installer" "$driver" "$printer_setup"; do
  [ -n "$f" ] && [ -f "$f" ] || fail "missing $f (run scripts/package; build e2e-driver, wine-printer-setup)"
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/morvane-packages.XXXXXX")
export WINEPREFIX=$tmp/prefix WINEARCH=win64 WINEDEBUG=-all CUPS_SERVER=/nonexistent.sock
# No Mono or Gecko installer, and no Linux menu entries for the shortcut.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
keepalive=
launcher=
cleanup() {
  [ -n "$launcher" ] && kill "$launcher" 2>/dev/null
  [ -n "$keepalive" ] && wine "$driver" stop-keepalive >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1
  rm -rf "$tmp"
}
trap cleanup EXIT
started=$(date +%s)

win() { wine "$@" 2>/dev/null | tr -d '\r'; }

# --- 1. the zip ----------------------------------------------------------------
top=morvane-$version-windows-x64
expected=$(
  printf '%s\n' Morvane.exe morvane-cli.exe serial-peer.exe morvane.html README.txt LICENSE.txt
  (cd "$source_dir" && ls samples/*.bin)
)
listing=$(python3 - "$zip" "$top" <<'EOF'
import sys, zipfile
path, top = sys.argv[1], sys.argv[2] + "/"
names = [n for n in zipfile.ZipFile(path).namelist() if not n.endswith("/")]
outside = [n for n in names if not n.startswith(top)]
if outside:
    sys.exit(f"entries outside {top}: {outside}")
inside = [n[len(top):] for n in names]
folded = {}
for n in inside:
    folded.setdefault(n.lower(), []).append(n)
clashes = [v for v in folded.values() if len(v) > 1]
if clashes:
    sys.exit(f"names that differ only in case: {clashes}")
print("\n".join(sorted(inside)))
EOF
) || fail "zip: $listing"
[ "$listing" = "$(echo "$expected" | sort)" ] ||
  fail "zip files: $(echo "$listing" | tr '\n' ' ') -- expected: $(echo "$expected" | sort | tr '\n' ' ')"
ok "zip: $(echo "$listing" | wc -l) files in $top/, no names clash on Windows"

mkdir -p "$tmp/unzipped" "$tmp/elsewhere"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$tmp/unzipped" ||
  fail "cannot unpack $zip"
portable=$tmp/unzipped/$top

. "$source_dir/tests/e2e/wine-prefix.sh"
wine_prefix_ready || fail "wineboot"
wine "$driver" keepalive >/dev/null 2>&1 &
keepalive=$!

[ "$(win "$portable/morvane-cli.exe" --version)" = "morvane-cli $version" ] ||
  fail "zip: morvane-cli.exe --version says \"$(win "$portable/morvane-cli.exe" --version)\""
[ "$(win "$portable/serial-peer.exe" --version)" = "serial-peer $version" ] || fail "zip: serial-peer.exe --version"
(cd "$tmp/elsewhere" && wine "$portable/morvane-cli.exe" render "$portable/samples/listing.bin" --png pages \
  >/dev/null 2>&1) || fail "zip: morvane-cli.exe render failed"
[ -s "$tmp/elsewhere/pages/page-0001.png" ] || fail "zip: morvane-cli.exe render wrote no page"
ok "zip: morvane-cli.exe and serial-peer.exe say version $version, render writes pages"

# --- 2. silent install ---------------------------------------------------------
wine "$installer" /S >/dev/null 2>&1 || fail "the installer exited with code $?"
install_dir="$WINEPREFIX/drive_c/Program Files/Morvane"
[ -d "$install_dir" ] || fail "nothing installed in C:\\Program Files\\Morvane"
installed=$(cd "$install_dir" && find . -type f | sed 's|^\./||' | sort)
[ "$installed" = "$(printf '%s\nuninstall.exe\n' "$listing" | sort)" ] ||
  fail "installed files: $(echo "$installed" | tr '\n' ' ')"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvane'
reg_value() { win reg query "$key" /v "$1" | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"; }
[ "$(reg_value UninstallString)" = '"C:\Program Files\Morvane\uninstall.exe"' ] ||
  fail "uninstaller not registered (UninstallString: $(reg_value UninstallString))"
[ "$(reg_value DisplayVersion)" = "$version" ] || fail "registered version: $(reg_value DisplayVersion)"
ok "installed into Program Files: the zip's files and uninstall.exe, registered as version $version"

lnk=$(find "$WINEPREFIX/drive_c/users" -path '*/Start Menu/Programs/Morvane.lnk' -print -quit)
[ -n "$lnk" ] || fail "no Start menu shortcut Morvane.lnk"
shortcut=$(python3 "$here/lnk_info.py" "$lnk") || fail "shortcut: $shortcut"
target=$(echo "$shortcut" | sed -n 's/^target=//p')
workdir=$(echo "$shortcut" | sed -n 's/^workdir=//p')
[ "$target" = 'C:\Program Files\Morvane\Morvane.exe' ] || fail "the shortcut points at \"$target\""
case "$workdir" in
  'C:\users\'*) ;;
  *) fail "the shortcut's working folder \"$workdir\" is not the user's own" ;;
esac
workdir_unix=$(win winepath -u "$workdir")
[ -d "$workdir_unix" ] || fail "the shortcut's working folder $workdir does not exist"
ok "Start menu shortcut: $target, working folder $workdir"

# --- 3. Morvane.exe through the shortcut -----------------------------------------
wine "$printer_setup" "Morvane Package Test" "$tmp/printed.ps" letter >/dev/null 2>&1 ||
  fail "could not make the file printer (wine-printer-setup)"
(cd "$tmp/elsewhere" && exec wine start /wait /unix "$lnk" >/dev/null 2>&1) &
launcher=$!
title=$(win "$driver" wait-window 30000) || fail "no Morvane window within 30 s of starting the shortcut"
[ "$title" = "Morvane - Lyn1 Printer: Enabled" ] || fail "title \"$title\""
win "$driver" close 20000 >/dev/null || fail "the window did not close"
wait "$launcher" || fail "Morvane started from the shortcut exited with code $?"
launcher=
[ -f "$workdir_unix/Morvane.ini" ] || fail "no Morvane.ini in the working folder $workdir at exit"
[ -e "$tmp/elsewhere/Morvane.ini" ] && fail "Morvane.ini was written where the shortcut was started from"
[ -e "$install_dir/Morvane.ini" ] && fail "Morvane.ini was written into Program Files"
ok "Morvane.exe from the shortcut: title \"$title\", Morvane.ini written in $workdir"

# --- 4. silent uninstall ---------------------------------------------------------
# The uninstaller copies itself away and returns at once; the copy does the work.
wine "$install_dir/uninstall.exe" /S >/dev/null 2>&1 || fail "the uninstaller exited with code $?"
wait_until 60 "the install folder to go" test ! -e "$install_dir"
[ -e "$lnk" ] && fail "the uninstaller left the shortcut"
wine reg query "$key" >/dev/null 2>&1 && fail "the uninstaller left its registration"
[ -f "$workdir_unix/Morvane.ini" ] || fail "the uninstaller removed the user's Morvane.ini"
ok "uninstalled: install folder, shortcut and registration gone, Morvane.ini kept"
echo "Windows packages: passed in $(($(date +%s) - started)) s"
