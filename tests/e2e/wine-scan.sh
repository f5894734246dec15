#!/usr/bin/env bash
# End to end under Wine: plant broken entries of every kind the scan reports into Wine's own
# registry, run kestrover-cli.exe scan --json, and check that each is reported in its category;
# then create what they point at and check that none of them is reported any more.
# Usage: tests/e2e/wine-scan.sh PATH/TO/kestrover-cli.exe   (WINEPREFIX set by the caller)
set -uo pipefail
cli="$1"
export WINEDEBUG=-all
work=$(mktemp -d)
trap 'cleanup; rm -rf "$work"' EXIT
drive_c="$WINEPREFIX/drive_c"
clsid='{6B1D3C5E-9A2F-4E71-8C3D-2F4A5B6C7D8E}'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
app_paths='HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\kvtest-missing.exe'
shared='HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs'

reg() { wine reg "$@" >/dev/null 2>&1; }

cleanup() {
  reg delete 'HKCR\.kvtest' /f
  reg delete 'HKCR\KvTest.File' /f
  reg delete "HKCR\\CLSID\\$clsid" /f
  reg delete 'HKCR\KvTest.Command' /f
  reg delete 'HKCR\.kvcmd' /f
  reg delete "$app_paths" /f
  reg delete "$run_key" /v KvTestRun /f
  reg delete "$shared" /v 'C:\kvtest\shared.dll' /f
  reg delete 'HKCU\Software\KvTestVendor' /f
  rm -rf "$drive_c/kvtest"
}

plant() {
  cleanup
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
}

scan() { wine "$cli" scan --json 2>/dev/null | tr -d '\r' > "$1"; }

# reported FILE KEY-SUBSTRING CATEGORY: is there a finding with that key and category?
reported() {
  python3 - "$@" <<'PY'
import json, sys
findings = json.load(open(sys.argv[1], encoding="utf-8"))
key, category = sys.argv[2].lower(), int(sys.argv[3])
hits = [f for f in findings if key in (f["key"] + "\\" + (f["value"] or "")).lower()
        and f["category"] == category]
sys.exit(0 if hits else 1)
PY
}

mentions() {
  python3 - "$@" <<'PY'
import json, sys
findings = json.load(open(sys.argv[1], encoding="utf-8"))
print(sum(1 for f in findings if "kvtest" in json.dumps(f).lower()))
PY
}

failures=0
check() {  # check DESCRIPTION FILE KEY CATEGORY
  if reported "$2" "$3" "$4"; then echo "ok: $1"; else echo "MISSING: $1 ($3, category $4)"; failures=$((failures + 1)); fi
}

plant
scan "$work/before.json"
check "CLSID with a missing server DLL" "$work/before.json" "CLSID\\$clsid" 9
check "open command to a missing program" "$work/before.json" 'KvTest.Command' 1
check "App Paths key to a missing program" "$work/before.json" 'App Paths\kvtest-missing.exe' 7
check "Run value naming a missing file" "$work/before.json" 'Run\KvTestRun' 1
check "SharedDLLs value for a missing DLL" "$work/before.json" 'SharedDLLs\C:\kvtest\shared.dll' 0
check "empty vendor key" "$work/before.json" 'Software\KvTestVendor' 6

# Make every planted reference valid: the files exist, the vendor key holds a setting.
mkdir -p "$drive_c/kvtest"
for file in missing.dll open.exe kvtest-missing.exe run.exe shared.dll; do
  printf 'kestrover test\r\n' > "$drive_c/kvtest/$file"
done
reg add 'HKCU\Software\KvTestVendor' /v Setting /d on /f
scan "$work/after.json"
left=$(mentions "$work/after.json")
if [ "$left" != 0 ]; then
  echo "STILL REPORTED after the targets were created:"
  python3 -c 'import json,sys; [print(" ", f["root"]+"\\"+f["key"], f["value"], f["category_text"], f["rule"]) for f in json.load(open(sys.argv[1], encoding="utf-8")) if "kvtest" in json.dumps(f).lower()]' "$work/after.json"
  failures=$((failures + 1))
else
  echo "ok: nothing planted is reported once its targets exist"
fi

# What the scan finds on Wine's own registry (everything but the planted entries). A path it
# calls missing must be missing: each is looked up on the host, without regard to letter case,
# C: in the prefix's drive_c and Z: from the host's root.
if ! python3 - "$work/after.json" "$drive_c" <<'PY'
import json, os, sys
findings = [f for f in json.load(open(sys.argv[1], encoding="utf-8")) if "kvtest" not in json.dumps(f).lower()]
roots = {"c": sys.argv[2], "z": "/"}

def exists(path):
    if len(path) < 3 or path[1:3] != ":\\" or path[0].lower() not in roots:
        return False
    here = roots[path[0].lower()]
    for part in filter(None, path[3:].split("\\")):
        try:
            names = {name.lower(): name for name in os.listdir(here)}
        except OSError:
            return False
        if part.lower() not in names:
            return False
        here = os.path.join(here, names[part.lower()])
    return True

print(f"findings on the prefix itself: {len(findings)}")
wrong = 0
for f in findings:
    path = f["tested_path"] or ""
    there = exists(path)
    wrong += there
    print("  ", "EXISTS" if there else "", f["category"], f["rule"], f["root"] + "\\" + f["key"],
          f["value"] or "", "->", path)
sys.exit(1 if wrong else 0)
PY
then
  echo "FOUND: the scan calls files missing that exist (marked EXISTS above)"
  failures=$((failures + 1))
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "all passed"
