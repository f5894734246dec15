#!/usr/bin/env bash
# The Linux command line over a registry kept in a file: each case runs kestrover-cli on a copy
# of the demo registry and checks its exit status, what it prints and what became of the file
# (saved only after a change, never touched otherwise).
#
# Usage: cli-registry-file.sh PATH/TO/kestrover-cli [SOURCE_FOLDER]
set -uo pipefail

cli="$(realpath "${1:?usage: $0 PATH/TO/kestrover-cli [SOURCE_FOLDER]}")"
source_folder="$(realpath "${2:-$(dirname "$0")/../..}")"
demo="$source_folder/data/demo"
work="$(mktemp -d "${TMPDIR:-/tmp}/kestrover-cli-XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2

failures=0
passes=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# expect NAME STATUS PATTERN -- ARGUMENTS: runs the command line, checks the exit status and
# that the output (stdout and stderr together) matches the extended regular expression.
expect() {
  local name="$1" status="$2" pattern="$3"
  shift 4
  "$cli" "$@" >out.txt 2>&1
  local actual=$?
  if [ "$actual" -ne "$status" ]; then
    fail "$name: exit status $actual, expected $status"
    cat out.txt
  elif ! grep -Eq -- "$pattern" out.txt; then
    fail "$name: output does not match /$pattern/"
    cat out.txt
  else
    passes=$((passes + 1))
  fi
}

cp "$demo/registry.reg" registry.reg
inode() { stat -c %i "$1"; }
before=$(inode registry.reg)
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'

expect "query the file's registry" 0 'OldUpdater +REG_SZ +C:\\Program Files\\Old Updater' -- \
  --drive "C:=$demo/drive_c" --registry registry.reg query "$run_key"
expect "export a branch" 0 'Exported HKEY_LOCAL_MACHINE\\Software.*\(REGEDIT4\)' -- \
  --registry registry.reg export "$run_key" --out run.reg
expect "view the export" 0 '^  \[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\]' -- \
  view run.reg
expect "export one value" 0 'Exported' -- \
  --registry registry.reg export 'HKCU\Software\Kestrover Demo' --value Theme --out theme.reg
if [ "$(grep -c '=' theme.reg)" -ne 1 ] || ! grep -q '^"Theme"="Dark"' theme.reg; then
  fail "export --value wrote other values:"; cat theme.reg
fi
if [ "$(inode registry.reg)" != "$before" ] || ! cmp -s registry.reg "$demo/registry.reg"; then
  fail "commands that change nothing rewrote the registry file"
fi

expect "a key that does not exist" 1 'does not exist' -- \
  --registry registry.reg export 'HKCU\Software\Nobody' --out nobody.reg
[ -e nobody.reg ] && fail "a failed export left a file"
expect "not a key" 2 'not a registry key' -- --registry registry.reg export 'Nowhere\Key' --out x.reg
expect "a registry file that is missing" 2 'missing\.reg' -- --registry missing.reg query HKLM
expect "a file to view that is missing" 1 'no such file' -- view nothing.reg
expect "an output folder that is missing" 1 'cannot be created' -- \
  --registry registry.reg export "$run_key" --out no/such/folder/x.reg

printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Added]\r\n"New"="value"\r\n\r\n[HKEY_DYN_DATA\\Elsewhere]\r\n"Never"="restored"\r\n' >add.reg
# The section under a root this program never writes is left out: the restore says so and
# exits 1, and what it could restore is still saved.
expect "restore into the file's registry" 1 '^\+ \[HKEY_CURRENT_USER\\Software\\Added\]' -- \
  --registry registry.reg restore add.reg
if ! grep -q '^? \[HKEY_DYN_DATA\\Elsewhere\]' out.txt; then
  fail "a section under an unknown root is not marked as not restored:"; cat out.txt
fi
if ! grep -q '^"New"="value"' registry.reg; then
  fail "the restored key was not saved into the registry file"
fi
if [ -e registry.reg.saving ]; then
  fail "the temporary file of the save was left behind"
fi
expect "the saved registry loads again" 0 'New +REG_SZ +value' -- \
  --registry registry.reg query 'HKCU\Software\Added'

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
