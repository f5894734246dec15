#!/usr/bin/env bash
# Export of HKEY_LOCAL_MACHINE\Software under Wine, measured in one run against two baselines:
# a bare Win32 walk of the same key (inside kestrover_bench_wine_export.exe) and Wine's own
# "reg export" of it (as whole processes, timed here beside ours).
#
# Usage: bench/wine-export.sh [--build DIR] [--prefix DIR] [--populate KEYS] [--repeat N]
#   --build DIR      the Windows build with the benchmark (default build/windows-bench), made by
#                    cmake --preset windows -B build/windows-bench -DKESTROVER_BUILD_BENCHMARKS=ON
#                    cmake --build build/windows-bench --target kestrover_bench_wine_export
#   --prefix DIR     the Wine prefix to use, made on first use (default: bench-wineprefix in the build)
#   --populate KEYS  first adds a synthetic branch of about KEYS keys (three values a key) below
#                    HKLM\Software\KestroverBench, once per prefix (default 20000; 0: none), so
#                    that the figures are not only Wine start-up
#   --repeat N       runs of each measurement, interleaved; medians are reported (default 5)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/windows-bench"
populate=20000
repeat=5
prefix=
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build="$(cd "$2" && pwd)"; shift 2 ;;
    --prefix) prefix="$2"; shift 2 ;;
    --populate) populate="$2"; shift 2 ;;
    --repeat) repeat="$2"; shift 2 ;;
    *) sed -n '2,14p' "$0" >&2; exit 2 ;;
  esac
done

exe="$build/bench/kestrover_bench_wine_export.exe"
if [ ! -f "$exe" ]; then
  echo "no $exe; build it first:" >&2
  echo "  cmake --preset windows -B build/windows-bench -DKESTROVER_BUILD_BENCHMARKS=ON" >&2
  echo "  cmake --build build/windows-bench --target kestrover_bench_wine_export" >&2
  exit 1
fi

# A prefix of the benchmark's own, in the same environment as the Windows tests.
prefix="${prefix:-$build/bench-wineprefix}"
mkdir -p "$(dirname "$prefix")"
prefix="$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")"
"$root/scripts/wineprefix-setup" "$prefix" >/dev/null
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
# One wineserver for the whole run, so that no measured step pays for starting it.
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT

if [ "$populate" -gt 0 ]; then
  wine "$exe" --populate "$populate" --only none
fi

seconds() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
minimum() { printf '%s\n' "$@" | sort -g | head -n 1; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { m = int((NR + 1) / 2); if (NR % 2) print v[m]; else printf "%.3f\n", (v[m] + v[m + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
# Section headers in an export file of either form (UTF-16LE with BOM, or ANSI).
sections() {
  if [ "$(head -c 2 "$1" | od -An -tx1 | tr -d ' ')" = "fffe" ]; then
    iconv -f UTF-16 -t UTF-8 "$1" | grep -c '^\[' || true
  else
    grep -ac '^\[' "$1" || true
  fi
}

echo "== Inside one process: bare Win32 walk against our export (kestrover_bench_wine_export.exe)"
wine "$exe" --repeat "$repeat" --out 'C:\kestrover-bench-export.reg'

echo
echo "== Whole processes, start-up included: wine reg export against our export"
reg_times=()
ours_times=()
startup_times=()
raw_times=()
for ((run = 1; run <= repeat; run++)); do
  start=$(seconds)
  wine reg export 'HKLM\Software' 'C:\reg-export.reg' /y >/dev/null
  reg_times+=("$(elapsed "$start" "$(seconds)")")
  start=$(seconds)
  wine "$exe" --only export --out 'C:\kestrover-export.reg' >/dev/null
  ours_times+=("$(elapsed "$start" "$(seconds)")")
  start=$(seconds)
  wine "$exe" --only raw >/dev/null
  raw_times+=("$(elapsed "$start" "$(seconds)")")
  start=$(seconds)
  wine "$exe" --only none >/dev/null
  startup_times+=("$(elapsed "$start" "$(seconds)")")
done
raw=$(median "${raw_times[@]}")
reg=$(median "${reg_times[@]}")
ours=$(median "${ours_times[@]}")
startup=$(median "${startup_times[@]}")
reg_file="$prefix/drive_c/reg-export.reg"
ours_file="$prefix/drive_c/kestrover-export.reg"
printf '  %-40s %8s s  (runs: %s)  %s sections, %s bytes\n' "wine reg export HKLM\\Software" "$reg" \
  "${reg_times[*]}" "$(sections "$reg_file")" "$(stat -c %s "$reg_file")"
printf '  %-40s %8s s  (runs: %s)  %s sections, %s bytes\n' "kestrover export of HKLM\\Software" "$ours" \
  "${ours_times[*]}" "$(sections "$ours_file")" "$(stat -c %s "$ours_file")"
printf '  %-40s %8s s  (runs: %s)\n' "raw advapi32 walk (fewest calls)" "$raw" "${raw_times[*]}"
printf '  %-40s %8s s  (runs: %s)\n' "start-up of our process alone" "$startup" "${startup_times[*]}"
echo "Ratios:"
verdict() { awk -v r="$1" -v t="$2" 'BEGIN { print (r <= t ? "met" : "MISSED") }'; }
whole=$(ratio "$ours" "$reg")
printf '  %-40s %6sx  (target at most 1x): %s\n' "our export / reg export" "$whole" "$(verdict "$whole" 1)"
net=$(ratio "$(elapsed "$startup" "$ours")" "$(elapsed "$startup" "$reg")")
printf '  %-40s %6sx  (information)\n' "the same, our start-up taken off both" "$net"
printf '  %-40s %6sx  (information)\n' "the same, fastest runs" \
  "$(ratio "$(minimum "${ours_times[@]}")" "$(minimum "${reg_times[@]}")")"
printf '  %-40s %6sx  (information)\n' "reg export / raw advapi32 walk" "$(ratio "$reg" "$raw")"
printf '  %-40s %6sx  (information)\n' "our export / raw advapi32 walk" "$(ratio "$ours" "$raw")"
