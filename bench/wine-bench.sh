#!/usr/bin/env bash
# Runs the Windows build's feed-loop benchmarks on the GDI sheet under Wine,
# in the prefix the Windows tests use (on a private Xvfb when there is no
# display). Arguments after the folder go to each benchmark program.
# Usage: bench/wine-bench.sh [FOLDER_OF_THE_EXES] [--benchmark_filter=TEXT]
# (default build/windows/bench; the build target bench-wine runs it).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tests/e2e/wine-prefix.sh"
need_tools wine wineserver
need_display "$0" "$@"
dir=${1:-$root/build/windows/bench}
[ $# -gt 0 ] && shift
export WINEPREFIX=${WINEPREFIX:-$root/build/windows/wineprefix} WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=" CUPS_SERVER=/nonexistent.sock
mkdir -p "$WINEPREFIX"
wine_prefix_ready || fail "the Wine prefix $WINEPREFIX cannot be made"
trap 'wineserver -k >/dev/null 2>&1' EXIT
for name in bench_feed bench_plotter; do
  [ -f "$dir/$name.exe" ] || fail "no $dir/$name.exe (build the Windows tree first)"
  echo "== $name.exe, GDI sheet under Wine"
  wine "$dir/$name.exe" "$@" || fail "$name.exe failed"
done
