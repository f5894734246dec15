#!/usr/bin/env bash
# A real user's hive through Wine's registry: NTUSER.DAT from tests/data/hives, read by Debian's
# hivexregedit and imported by `regedit /s` below HKCU\Software\KestroverHive, is exported by
# `kestrover-cli.exe export`, deleted, restored by `kestrover-cli.exe restore` and exported
# again. Both of our files must hold every key and value of the hive with the same type and
# bytes (tests/e2e/reg-compare.py).
#
# Usage: wine-real-hive.sh PATH/TO/kestrover-cli.exe [SOURCE_FOLDER]   (with WINEPREFIX set)
set -uo pipefail

cli="$(realpath "${1:?usage: $0 PATH/TO/kestrover-cli.exe [SOURCE_FOLDER]}")"
source_folder="$(realpath "${2:-$(dirname "$0")/../..}")"
if [ -z "${WINEPREFIX:-}" ]; then
  echo "WINEPREFIX is not set: run this test through ctest, or set it to a prefix of your own" >&2
  exit 2
fi
for tool in hivexregedit xz iconv python3; do
  if ! command -v "$tool" >/dev/null; then
    echo "wine-real-hive: $tool is missing (scripts/install-deps installs it)" >&2
    exit 2
  fi
done
export WINEDEBUG="${WINEDEBUG:--all}"
unset DISPLAY WAYLAND_DISPLAY

branch='HKEY_CURRENT_USER\Software\KestroverHive'
drive_c="$WINEPREFIX/drive_c"
work="$(mktemp -d "${TMPDIR:-/tmp}/kestrover-hive-XXXXXX")"
files="$drive_c/kestrover-hive"
cleanup() {
  wine reg delete "$branch" /f >/dev/null 2>&1
  rm -rf "$work" "$files"
}
trap cleanup EXIT
cleanup
mkdir -p "$work" "$files"
compare="$source_folder/tests/e2e/reg-compare.py"

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The hive as hivexregedit reads it, mounted at the test branch; regedit takes UTF-16LE.
xz -dc "$source_folder/tests/data/hives/NTUSER.DAT.xz" >"$work/NTUSER.DAT"
if ! hivexregedit --export --prefix "$branch" "$work/NTUSER.DAT" '\' >"$work/hive.reg"; then
  echo "hivexregedit could not read the hive" >&2
  exit 2
fi
sed -i 's/^\[\(HKEY_CURRENT_USER\\Software\\KestroverHive\)\\\]/[\1]/' "$work/hive.reg"
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$work/hive.reg"; } >"$files/import.reg"
timeout 120 wine regedit /s 'C:\kestrover-hive\import.reg'
wineserver -w

if ! timeout 120 wine "$cli" export "$branch" --out 'C:\kestrover-hive\ours.reg' >/dev/null; then
  fail "the export of the imported hive failed"
elif ! python3 "$compare" "$work/hive.reg" "$files/ours.reg"; then
  fail "our export of the imported hive differs from the hive"
fi

wine reg delete "$branch" /f >/dev/null 2>&1
if ! timeout 120 wine "$cli" restore 'C:\kestrover-hive\ours.reg' >"$work/restore.txt" 2>&1; then
  fail "the restore failed:"; tail -5 "$work/restore.txt"
fi
if ! timeout 120 wine "$cli" export "$branch" --out 'C:\kestrover-hive\back.reg' >/dev/null; then
  fail "the export after the restore failed"
elif ! python3 "$compare" "$work/hive.reg" "$files/back.reg"; then
  fail "what the restore wrote differs from the hive"
fi

[ "$failures" -eq 0 ] && echo "passed" || echo "$failures failed"
[ "$failures" -eq 0 ]
