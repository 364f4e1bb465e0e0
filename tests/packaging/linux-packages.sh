#!/usr/bin/env bash
# Checks the Linux packages that scripts/package wrote:
#
#  1. The .deb carries the project's version, dependencies computed from its
#     programs, and the programs, manual pages, README, LICENSE, samples, the
#     live window's icon and its desktop entry.
#  2. Unpacked with `dpkg-deb -x` into a temporary root, its `morvane
#     --version` names the version and `morvane render` turns a packaged
#     sample into a PDF and PNG pages.
#  3. Each manual page renders without warnings and names every option the
#     program's --help lists.
#  4. lintian finds no error in the .deb.
#  5. The tarball holds the same files under one folder, and its programs run.
#
# usage: linux-packages.sh DIST_DIR NATIVE_BUILD_DIR (which gives the version)
# Exit status: 0 passed, 1 failed.
set -u
dist=$(cd "${1:?usage: linux-packages.sh DIST_DIR NATIVE_BUILD_DIR}" && pwd)
build=$(cd "${2:?usage: linux-packages.sh DIST_DIR NATIVE_BUILD_DIR}" && pwd)

fail() { echo "FAILED: $*"; exit 1; }
ok() { echo "ok: $*"; }

for tool in dpkg-deb lintian man pdfinfo; do
  command -v $tool >/dev/null || fail "$tool is not installed (scripts/setup installs it)"
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
deb=$dist/morvane_${version}_$(dpkg --print-architecture).deb
tarball=$dist/morvane-$version-linux-$(uname -m).tar.gz
for f in "$deb" "$tarball"; do
  [ -f "$f" ] || fail "missing $f (run scripts/package)"
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/morvane-packages.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
started=$(date +%s)

# --- 1. the .deb's fields and files ----------------------------------------------
[ "$(dpkg-deb -f "$deb" Package)" = morvane ] || fail "package name: $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version: $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libcairo2 libfontconfig1 libstdc++6; do
  [[ ", $depends," == *", $lib "* ]] || fail "Depends lacks $lib: $depends"
done
root=$tmp/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x $deb"
doc=$root/usr/share/doc/morvane
for f in usr/bin/morvane usr/bin/serial-peer usr/share/man/man1/morvane.1.gz usr/share/man/man1/serial-peer.1.gz \
  usr/share/doc/morvane/README.md usr/share/doc/morvane/LICENSE usr/share/doc/morvane/copyright \
  usr/share/doc/morvane/changelog.gz usr/share/doc/morvane/samples/listing.bin \
  usr/share/icons/hicolor/48x48/apps/org.morvane.Morvane.png usr/share/icons/hicolor/scalable/apps/org.morvane.Morvane.svg \
  usr/share/applications/org.morvane.Morvane.desktop; do
  [ -f "$root/$f" ] || fail "the .deb has no /$f"
done
ok ".deb: version $version, Depends: $depends"

# --- 2. the unpacked programs run --------------------------------------------------
[ "$("$root/usr/bin/morvane" --version)" = "morvane $version" ] ||
  fail "morvane --version says \"$("$root/usr/bin/morvane" --version 2>&1)\""
[ "$("$root/usr/bin/serial-peer" --version)" = "serial-peer $version" ] || fail "serial-peer --version"
mkdir -p "$tmp/run"
(cd "$tmp/run" && "$root/usr/bin/morvane" render -q "$doc/samples/listing.bin" --pdf listing.pdf --png pages) ||
  fail "morvane render of the packaged sample failed"
pages=$(pdfinfo "$tmp/run/listing.pdf" 2>/dev/null | sed -n 's/^Pages: *//p')
[ "${pages:-0}" -ge 1 ] || fail "morvane render wrote no PDF page"
[ -s "$tmp/run/pages/page-0001.png" ] || fail "morvane render wrote no PNG page"
ok "unpacked morvane: --version says $version, render wrote $pages PDF page(s) and PNGs"

# --- 3. manual pages ---------------------------------------------------------------
for page in morvane serial-peer; do
  src=$root/usr/share/man/man1/$page.1.gz
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 "$src" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page.1: $warnings"
  # Every option of --help, as the page's source writes it (a dash is "\-").
  text=$(zcat "$src" | sed 's/\\-/-/g')
  for option in $("$root/usr/bin/$page" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -q -- "$option" <<<"$text" || fail "$page.1 does not mention $option"
  done
done
ok "manual pages render cleanly and name every option of --help"

# --- 4. lintian ----------------------------------------------------------------------
lint=$(lintian --fail-on error "$deb" 2>&1)
status=$?
[ -n "$lint" ] && echo "$lint" | sed 's/^/  lintian: /'
[ $status = 0 ] || fail "lintian reports errors"
ok "lintian: no error"

# --- 5. the tarball --------------------------------------------------------------------
top=morvane-$version-linux-$(uname -m)
mkdir -p "$tmp/tar"
tar -xzf "$tarball" -C "$tmp/tar" || fail "cannot unpack $tarball"
[ "$(ls "$tmp/tar")" = "$top" ] || fail "the tarball's top folder is not $top: $(ls "$tmp/tar")"
tar_files=$(cd "$tmp/tar/$top" && find . -type f | sort)
deb_files=$(cd "$root/usr" && find . -type f | sort)
[ "$tar_files" = "$deb_files" ] || fail "the tarball and the .deb hold different files"
[ "$("$tmp/tar/$top/bin/morvane" --version)" = "morvane $version" ] || fail "the tarball's morvane --version"
ok "tarball: $(echo "$tar_files" | wc -l) files under $top/, as in the .deb"
echo "Linux packages: passed in $(($(date +%s) - started)) s"
