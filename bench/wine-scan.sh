#!/usr/bin/env bash
# The registry scan under Wine, measured in one run against two baselines: a bare Win32 walk of
# the roots the scan walks (inside kestrover_bench_wine_scan.exe), and Wine's own "reg export"
# of HKCR, HKCU and HKLM (three whole processes, timed here beside "kestrover-cli.exe scan").
#
# Usage: bench/wine-scan.sh [--build DIR] [--prefix DIR] [--repeat N]
#   --build DIR   the Windows build with the benchmark and the command line (default
#                 build/windows-bench), made by
#                   cmake --preset windows -B build/windows-bench -DKESTROVER_BUILD_BENCHMARKS=ON
#                   cmake --build build/windows-bench --target kestrover_bench_wine_scan kestrover-cli
#   --prefix DIR  the Wine prefix to scan, made on first use (default: scan-prefix in the build)
#   --repeat N    runs of each measurement, interleaved; medians are reported (default 5)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/windows-bench"
repeat=5
prefix=
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build="$(cd "$2" && pwd)"; shift 2 ;;
    --prefix) prefix="$2"; shift 2 ;;
    --repeat) repeat="$2"; shift 2 ;;
    *) sed -n '2,12p' "$0" >&2; exit 2 ;;
  esac
done

exe="$build/bench/kestrover_bench_wine_scan.exe"
cli="$build/src/kestrover-cli.exe"
for file in "$exe" "$cli"; do
  if [ ! -f "$file" ]; then
    echo "no $file; build it first:" >&2
    echo "  cmake --preset windows -B build/windows-bench -DKESTROVER_BUILD_BENCHMARKS=ON" >&2
    echo "  cmake --build build/windows-bench --target kestrover_bench_wine_scan kestrover-cli" >&2
    exit 1
  fi
done

# A prefix of the benchmark's own, in the same environment as the Windows tests.
prefix="${prefix:-$build/scan-prefix}"
mkdir -p "$(dirname "$prefix")"
prefix="$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")"
"$root/scripts/wineprefix-setup" "$prefix" >/dev/null
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
# One wineserver for the whole run, so that no measured step pays for starting it.
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT

seconds() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { m = int((NR + 1) / 2); if (NR % 2) print v[m]; else printf "%.3f\n", (v[m] + v[m + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
verdict() { awk -v r="$1" -v t="$2" 'BEGIN { print (r <= t ? "met" : "MISSED") }'; }
less() { awk -v r="$1" 'BEGIN { print (r < 1 ? "met" : "MISSED") }'; }

echo "== Inside one process: bare Win32 walk against the full scan (kestrover_bench_wine_scan.exe)"
wine "$exe" --repeat "$repeat" | tee "$build/wine-scan-inside.txt"
inside_walk=$(awk '/^BENCH walk_seconds/ { print $3 }' "$build/wine-scan-inside.txt")
inside_scan=$(awk '/^BENCH scan_seconds/ { print $3 }' "$build/wine-scan-inside.txt")

echo
echo "== Whole processes, start-up included: three reg exports against kestrover-cli scan"
reg_times=()
scan_times=()
walk_times=()
startup_times=()
for ((run = 1; run <= repeat; run++)); do
  start=$(seconds)
  for hive in HKCR HKCU HKLM; do
    wine reg export "$hive" "C:\\reg-export-$hive.reg" /y >/dev/null
  done
  reg_times+=("$(elapsed "$start" "$(seconds)")")
  start=$(seconds)
  wine "$cli" scan >"$build/wine-scan-findings.txt"
  scan_times+=("$(elapsed "$start" "$(seconds)")")
  start=$(seconds)
  wine "$exe" --only walk >/dev/null
  walk_times+=("$(elapsed "$start" "$(seconds)")")
  start=$(seconds)
  wine "$exe" --only none >/dev/null
  startup_times+=("$(elapsed "$start" "$(seconds)")")
done
reg=$(median "${reg_times[@]}")
scan=$(median "${scan_times[@]}")
walk=$(median "${walk_times[@]}")
startup=$(median "${startup_times[@]}")
bytes=0
for hive in HKCR HKCU HKLM; do
  bytes=$((bytes + $(stat -c %s "$prefix/drive_c/reg-export-$hive.reg")))
done
printf '  %-44s %8s s  (runs: %s)  %s bytes written\n' "wine reg export HKCR + HKCU + HKLM" "$reg" \
  "${reg_times[*]}" "$bytes"
printf '  %-44s %8s s  (runs: %s)  %s\n' "wine kestrover-cli.exe scan" "$scan" "${scan_times[*]}" \
  "$(tail -n 1 "$build/wine-scan-findings.txt")"
printf '  %-44s %8s s  (runs: %s)\n' "bare Win32 walk of the scanned roots" "$walk" "${walk_times[*]}"
printf '  %-44s %8s s  (runs: %s)\n' "start-up of a process alone" "$startup" "${startup_times[*]}"
echo "Ratios:"
inside=$(ratio "$inside_scan" "$inside_walk")
printf '  %-44s %6sx  (target at most 2x): %s\n' "scan / bare Win32 walk, in process" "$inside" \
  "$(verdict "$inside" 2)"
printf '  %-44s %6sx  (information)\n' "scan / bare Win32 walk, whole processes" "$(ratio "$scan" "$walk")"
whole=$(ratio "$scan" "$reg")
printf '  %-44s %6sx  (target below 1x): %s\n' "kestrover-cli scan / the three reg exports" "$whole" \
  "$(less "$whole")"
net=$(ratio "$(elapsed "$startup" "$scan")" "$(elapsed "$(awk -v s="$startup" 'BEGIN { printf "%.3f", 3 * s }')" "$reg")")
printf '  %-44s %6sx  (information)\n' "the same, start-up taken off (once, thrice)" "$net"
