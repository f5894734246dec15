#!/usr/bin/env bash
# Real registry data through the Linux command line: each hive of tests/data/hives is turned
# into an export file by Debian's hivexregedit (a reader that is not ours), loaded as the
# registry, exported by us, restored into an empty registry and exported once more. Both of our
# files must hold every key and value of the hive with the same type and bytes. The scan then
# goes through each hive: it must end normally and print well-formed JSON. Where it finds
# something, a clean of every finding followed by the restore of its backup must give the hive
# back whole.
#
# Usage: real-hives.sh PATH/TO/kestrover-cli [SOURCE_FOLDER]
set -uo pipefail

cli="$(realpath "${1:?usage: $0 PATH/TO/kestrover-cli [SOURCE_FOLDER]}")"
source_folder="$(realpath "${2:-$(dirname "$0")/../..}")"
hives="$source_folder/tests/data/hives"
compare="$source_folder/tests/e2e/reg-compare.py"
for tool in hivexregedit xz iconv python3; do
  if ! command -v "$tool" >/dev/null; then
    echo "real-hives: $tool is missing (scripts/install-deps linux installs it)" >&2
    exit 2
  fi
done
work="$(mktemp -d "${TMPDIR:-/tmp}/kestrover-hives-XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
mkdir drive_c

failures=0
passes=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
pass() { passes=$((passes + 1)); }

# kv ARGUMENTS: the command line on the hive's registry file, with an empty drive C:.
kv() { "$cli" --drive C:=drive_c "$@"; }

# holds_hive REGISTRY OUT: exports the hive's branch from the registry file REGISTRY into OUT
# and compares it with what hivexregedit read (name and branch are hive()'s).
holds_hive() {
  kv --registry "$1" export "$branch" --out "$2" >"$name.out" 2>&1 &&
    python3 "$compare" "$name.utf8.reg" "$2"
}

# hive FILE ROOT KEY: checks one hive, mounted at ROOT\KEY ("" for the root itself).
hive() {
  local file="$1" root="$2" key="$3"
  local name="${file%%.*}" branch="$root${key:+\\$key}"
  echo "== $file as $branch"
  xz -dc "$hives/$file" >"$name.hive"
  if ! hivexregedit --export --prefix "$branch" "$name.hive" '\' >"$name.utf8.reg" 2>"$name.err"; then
    fail "$file: hivexregedit could not read it: $(head -c 300 "$name.err")"
    return
  fi
  # Version 5 files are UTF-16LE with a byte-order mark; hivexregedit writes UTF-8.
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$name.utf8.reg"; } >"$name.registry.reg"

  if holds_hive "$name.registry.reg" "$name.ours.reg"; then
    pass
  else
    fail "$file: our export differs from the hive"; cat "$name.out"
    return
  fi

  printf 'REGEDIT4\r\n' >"$name.restored.reg"
  if ! kv --registry "$name.restored.reg" restore "$name.ours.reg" >"$name.out" 2>&1; then
    fail "$file: the restore of our export failed:"; tail -5 "$name.out"
  elif holds_hive "$name.restored.reg" "$name.back.reg"; then
    pass
  else
    fail "$file: what the restore wrote differs from the hive"; cat "$name.out"
  fi

  if kv --registry "$name.registry.reg" scan --json >"$name.scan.json" 2>"$name.err" &&
     python3 -c 'import json, sys; print(len(json.load(open(sys.argv[1]))), "findings")' \
       "$name.scan.json"; then
    pass
  else
    fail "$file: the scan did not end with a list of findings: $(head -c 300 "$name.err")"
    return
  fi

  # Clean everything the scan lists (C: is empty: every file reference is missing), then undo.
  grep -q '"key"' "$name.scan.json" || return
  cp "$name.registry.reg" "$name.cleaned.reg"
  mkdir -p "$name.data"
  if ! kv --registry "$name.cleaned.reg" --data-dir "$name.data" clean --select all --yes \
       >"$name.out" 2>&1; then
    fail "$file: the clean failed:"; tail -5 "$name.out"
  elif ! grep -Eq '^[1-9][0-9]* deleted' "$name.out"; then
    fail "$file: the clean deleted nothing:"; tail -5 "$name.out"
  elif ! kv --registry "$name.cleaned.reg" --data-dir "$name.data" backups restore --last \
         >"$name.out" 2>&1; then
    fail "$file: the restore of the clean's backup failed:"; tail -5 "$name.out"
  elif holds_hive "$name.cleaned.reg" "$name.undone.reg"; then
    pass
  else
    fail "$file: clean then restore did not give the hive back"; cat "$name.out"
  fi
}

hive NTUSER.DAT.xz HKEY_CURRENT_USER ""
# The user's classes are what HKEY_CLASSES_ROOT shows of them: the scan's file-type rules run
# there. (The machine's classes are not in the hive, so types that rely on them look unused.)
hive UsrClass.dat.xz HKEY_CLASSES_ROOT ""
hive SYSTEM.xz HKEY_LOCAL_MACHINE SYSTEM

# Windows labels HKCU\Software\AppDataLow for low-integrity programs: however empty, the scan
# never offers it as a vendor's left-over.
if grep -q 'AppDataLow' NTUSER.scan.json; then
  fail "the scan offers HKCU\\Software\\AppDataLow for deletion"
else
  pass
fi

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
