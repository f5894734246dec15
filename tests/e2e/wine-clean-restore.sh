#!/usr/bin/env bash
# End to end under Wine: clean then restore is the identity. Broken entries of every kind the
# scan reports are planted in Wine's registry (the plants of wine-scan.sh); HKCU, HKLM and HKCR
# are exported with Wine's own `reg export`; `kestrover-cli.exe clean --select all --yes`
# deletes every finding (the plants and whatever the prefix itself holds) after writing its
# backup; the plants must be gone; `kestrover-cli.exe backups restore` writes the backup back;
# a second export of the three roots must equal the first.
# The test runs in a copy of the prefix, so that a failure here leaves the prefix the other
# tests share as it was.
# Usage: tests/e2e/wine-clean-restore.sh PATH/TO/kestrover-cli.exe   (WINEPREFIX set by the caller)
set -uo pipefail
cli="$(realpath "${1:?usage: $0 PATH/TO/kestrover-cli.exe}")"
if [ -z "${WINEPREFIX:-}" ]; then
  echo "WINEPREFIX is not set: run this test through ctest, or set it to a prefix of your own" >&2
  exit 2
fi
export WINEDEBUG="${WINEDEBUG:--all}"
unset DISPLAY WAYLAND_DISPLAY

work="$(mktemp -d "${TMPDIR:-/tmp}/kestrover-clean-XXXXXX")"
finish() {
  WINEPREFIX="$work/prefix" timeout 30 wineserver -k >/dev/null 2>&1
  rm -rf "$work"
}
trap finish EXIT
cd "$work" || exit 2

# The shared prefix, flushed to disk, copied.
timeout 120 wineserver -w 2>/dev/null
cp -a "$WINEPREFIX" "$work/prefix" || exit 2
export WINEPREFIX="$work/prefix"
drive_c="$WINEPREFIX/drive_c"
mkdir -p "$work/data"
data_dir="Z:$(printf '%s' "$work/data" | tr '/' '\\')"

clsid='{6B1D3C5E-9A2F-4E71-8C3D-2F4A5B6C7D8E}'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
app_paths='HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\kvtest-missing.exe'
shared='HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs'

reg() { timeout 60 wine reg "$@" >/dev/null 2>&1; }

plant() {
  # A file type whose COM class has a missing server DLL.
  reg add 'HKCR\.kvtest' /ve /d KvTest.File /f
  reg add 'HKCR\KvTest.File' /ve /d 'Kestrover test file' /f
  reg add 'HKCR\KvTest.File\CLSID' /ve /d "$clsid" /f
  reg add "HKCR\\CLSID\\$clsid" /ve /d 'Kestrover test class' /f
  reg add "HKCR\\CLSID\\$clsid\\InprocServer32" /ve /d 'C:\kvtest\missing.dll' /f
  # A file type whose open command names a missing program.
  reg add 'HKCR\.kvcmd' /ve /d KvTest.Command /f
  reg add 'HKCR\KvTest.Command\shell\open\command' /ve /d '"C:\kvtest\open.exe" "%1"' /f
  # An App Paths key to a missing program.
  reg add "$app_paths" /ve /d 'C:\kvtest\kvtest-missing.exe' /f
  # A Run value naming a missing file.
  reg add "$run_key" /v KvTestRun /d 'C:\kvtest\run.exe /background' /f
  # A shared DLL that is gone.
  reg add "$shared" /v 'C:\kvtest\shared.dll' /t REG_DWORD /d 1 /f
  # An empty vendor key ("reg add" gives a new key an empty default value; take it away).
  reg add 'HKCU\Software\KvTestVendor' /f
  reg delete 'HKCU\Software\KvTestVendor' /ve /f
  rm -rf "$drive_c/kvtest"
}

# Wine's own export of the three roots, as UTF-8 text.
export_roots() { # PREFIX-OF-FILES
  local root
  for root in HKCU HKLM HKCR; do
    timeout 120 wine reg export "$root" "$1-$root.reg" /y >/dev/null 2>&1 ||
      { echo "reg export $root failed"; return 1; }
    iconv -f UTF-16LE -t UTF-8 "$1-$root.reg" | tr -d '\r' | sed '1s/^\xEF\xBB\xBF//' >"$1-$root.txt"
  done
}

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

plant
timeout 60 wineserver -w 2>/dev/null
export_roots before || exit 1

if ! timeout 150 wine "$cli" --data-dir "$data_dir" clean --select all --yes --json \
    >clean.json 2>clean.err; then
  fail "clean exited with status $?"
  cat clean.err
fi
tr -d '\r' <clean.json >clean.utf8.json

# What the clean did: its backup file and every entry's outcome; a deleted entry must be gone
# from the registry, and every plant must be among the deleted.
python3 - clean.utf8.json <<'PY' >clean.summary || fail "the clean's report: $(cat clean.summary)"
import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
entries = report["entries"]
print("backup", report["backup"])
bad = [e for e in entries if e["outcome"] != "deleted" and e["reason"] != "no longer exists"]
for e in bad:
    print("  not deleted:", e["root"] + "\\" + e["key"], e["value"], e["reason"])
planted = [e for e in entries if "kvtest" in json.dumps(e).lower()]
for e in planted:
    print("  planted:", e["outcome"], e["category"], e["root"] + "\\" + e["key"], e["value"] or "")
categories = {e["category"] for e in planted if e["outcome"] == "deleted"}
missing = {0, 1, 6, 7, 9} - categories
if missing:
    print("  no deleted plant of categories", sorted(missing))
print(f"{len(entries)} entries, {sum(e['outcome'] == 'deleted' for e in entries)} deleted")
sys.exit(1 if bad or missing or not report["backup"] else 0)
PY
cat clean.summary
backup_name="$(sed -n 's/^backup //p' clean.summary | tr '\\' '\n' | tail -1)"

# The plants are gone: each deleted key or value no longer answers.
python3 - clean.utf8.json <<'PY' >gone.list
import json, sys
for e in json.load(open(sys.argv[1], encoding="utf-8"))["entries"]:
    if e["outcome"] != "deleted" or "kvtest" not in json.dumps(e).lower():
        continue
    key = e["root"] + "\\" + e["key"]
    if e["value"] is None:
        print(f"{key}\t-")
    elif e["value"] == "":
        print(f"{key}\t/ve")
    else:
        print(f"{key}\t{e['value']}")
PY
while IFS=$'\t' read -r key value; do
  case "$value" in
    -) reg query "$key" && fail "still there after the clean: $key" ;;
    /ve) timeout 60 wine reg query "$key" /ve 2>/dev/null | grep -q 'REG_' &&
           fail "still there after the clean: $key (default)" ;;
    *) reg query "$key" /v "$value" && fail "still there after the clean: $key [$value]" ;;
  esac
done <gone.list
echo "checked $(wc -l <gone.list) planted entries gone"

if [ -z "$backup_name" ]; then
  fail "no backup file named"
elif ! timeout 120 wine "$cli" --data-dir "$data_dir" backups restore "$backup_name" \
    >restore.out 2>restore.err; then
  fail "backups restore $backup_name exited with status $?"
  tail -5 restore.out restore.err
fi
timeout 60 wineserver -w 2>/dev/null
export_roots after || exit 1

# Equal, section by section. Wine itself rewrites a few keys whenever a wineserver starts,
# whatever any program does, and those are left out of the comparison, nothing else: its
# display driver's keys (a video key under a new GUID each session, and the adapter's driver
# date stamp).
python3 - <<'PY' || failures=$((failures + 1))
import re, sys
IGNORED = [re.compile(p, re.I) for p in (
    r"^\[HKEY_LOCAL_MACHINE\\System\\(CurrentControlSet|ControlSet\d+)\\Control\\Video(\\|\])",
    r"^\[HKEY_LOCAL_MACHINE\\System\\(CurrentControlSet|ControlSet\d+)\\Control\\Class\\"
    r"\{4D36E968-E325-11CE-BFC1-08002BE10318\}(\\|\])",
)]
def sections(path):
    result, header = {}, None
    for line in open(path, encoding="utf-8"):
        line = line.rstrip("\n")
        if line.startswith("["):
            header = line
            result.setdefault(header, [])
        elif header is not None and line:
            result[header].append(line)
    return result
def ignored(header):
    return any(p.search(header) for p in IGNORED)
differences = 0
for root in ("HKCU", "HKLM", "HKCR"):
    before, after = sections(f"before-{root}.txt"), sections(f"after-{root}.txt")
    left_out = {h for h in set(before) | set(after) if ignored(h)}
    changed = sum(1 for h in left_out if before.get(h) != after.get(h))
    if left_out:
        print(f"{root}: {len(left_out)} keys Wine rewrites left out ({changed} of them changed)")
    before = {h: v for h, v in before.items() if h not in left_out}
    after = {h: v for h, v in after.items() if h not in left_out}
    for header in sorted(set(before) | set(after)):
        if before.get(header) != after.get(header):
            differences += 1
            if differences <= 10:
                print("DIFFERENT:", header)
                print("   before:", before.get(header))
                print("   after: ", after.get(header))
    print(f"{root}: {len(before)} keys compared")
if differences:
    print(f"FAIL: {differences} keys differ after clean and restore")
    sys.exit(1)
print("ok: the registry after clean and restore equals the registry before")
PY

if [ "$failures" -ne 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "all passed"
