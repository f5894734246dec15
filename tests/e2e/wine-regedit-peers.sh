#!/usr/bin/env bash
# Kestrover and Wine's own registry tools as peers, through Wine's real registry:
#  (a) a branch exported by `kestrover-cli export`, deleted, and imported by `regedit /s` comes
#      back equal to the original;
#  (b) a branch exported by `regedit /e` (UTF-16LE, "Version 5.00"), deleted, and restored by
#      `kestrover-cli restore` comes back equal to the original.
# Two branches: one whose every name and text fits Windows-1252 (Kestrover writes REGEDIT4) and
# one in other scripts (Kestrover writes the Unicode form). "Equal" is checked twice: `reg
# query /s` before and after (lines sorted), and `regedit /e` before and after, byte for byte
# (reg query shows no REG_QWORD data and prints other scripts as "?"; the export holds all).
# A third branch holds data that only Kestrover's files carry whole (strings with an embedded
# zero or a line break, a two-byte REG_DWORD): regedit imports them exactly, but its own export
# cuts or rewrites them, so that branch goes through (a) only and is compared by Kestrover's
# export of it, which shows the stored bytes.
#
# Usage: wine-regedit-peers.sh PATH/TO/kestrover-cli.exe   (with WINEPREFIX set)
set -uo pipefail

cli="$(realpath "${1:?usage: $0 PATH/TO/kestrover-cli.exe}")"
if [ -z "${WINEPREFIX:-}" ]; then
  echo "WINEPREFIX is not set: run this test through ctest, or set it to a prefix of your own" >&2
  exit 2
fi
export WINEDEBUG="${WINEDEBUG:--all}"
unset DISPLAY WAYLAND_DISPLAY

work="$(mktemp -d "${TMPDIR:-/tmp}/kestrover-peers-XXXXXX")"
cd "$work" || exit 2

ansi_key='HKEY_CURRENT_USER\Software\KestroverPeer'
unicode_key='HKEY_CURRENT_USER\Software\KestroverPeerUnicode'
raw_key='HKEY_CURRENT_USER\Software\KestroverPeerRaw'
failures=0

run() { timeout 120 wine "$@"; }
# regedit /s, waited for until Wine has finished with it. The first import of a new prefix has
# been seen to land nothing (once, in a CI run right after the prefix was made): a branch that
# is still missing afterwards is imported once more, and said so.
import_with_regedit() { # file key
  run regedit /s "$1"
  timeout 60 wineserver -w 2>/dev/null
  if ! run reg query "$2" >/dev/null 2>&1; then
    echo "note: regedit /s $1 imported nothing; importing it again" >&2
    run regedit /s "$1"
    timeout 60 wineserver -w 2>/dev/null
  fi
}
delete_branch() { run reg delete "$1" /f >/dev/null 2>&1; }
cleanup() {
  delete_branch "$ansi_key"
  delete_branch "$unicode_key"
  delete_branch "$raw_key"
  cd / && rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Hex bytes of text in UTF-16LE, comma-separated, for hex(2)/hex(7) lines of a 5.00 file.
utf16_hex() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -s ' \n' ',' | sed 's/^,//; s/,$//'; }
binary_hex() { local i out=""; for ((i = 0; i < $1; i++)); do out+=$(printf '%02x,' $(((i * 37 + 11) % 256))); done; printf '%s' "${out%,}"; }

# The branches, as a "Version 5.00" file that `regedit /s` imports.
write_setup() {
  cat <<EOF
Windows Registry Editor Version 5.00

[$ansi_key]
@="Default text"
"Quotes"="say \\"hi\\", then \\"bye\\""
"Backslashes"="C:\\\\Program Files\\\\App\\\\"
"Share"="\\\\\\\\server\\\\share\\\\folder"
"Commas"="a,b,,c\\\\d\\\\\\\\e\\"f, \\"g\\""
"Empty"=""
"Latin"="Café, naïve, 25 °C"
"Expand"=hex(2):$(utf16_hex '%SystemRoot%\system32\kestrover-peer.dll'),00,00
"Multi"=hex(7):$(utf16_hex 'one'),00,00,$(utf16_hex 'two, three'),00,00,$(utf16_hex 'C:\x\'),00,00,00,00
"Dword"=dword:0000002a
"DwordMax"=dword:ffffffff
"Binary100"=hex:$(binary_hex 100)
"EmptyBinary"=hex:
"Qword"=hex(b):f0,de,bc,9a,78,56,34,12
"None"=hex(0):01,02
"Back\\\\slash \\"quoted\\" name"="x"
"Ends with ="="="

[$ansi_key\\Empty Key]

[$ansi_key\\Nested]
"Level"=dword:00000001

[$ansi_key\\Nested\\Deeper]
@="deep default"
"Path"="C:\\\\Deeper\\\\"

[$ansi_key\\Nested\\Deeper\\Deepest]
"Level"=dword:00000003

[$unicode_key]
@="Ω"
"Ключ"="значение \\"в кавычках\\", C:\\\\Папка\\\\"
"日本語"=hex(2):$(utf16_hex '%TEMP%\データ'),00,00
"Mixed"=hex(7):$(utf16_hex 'α'),00,00,$(utf16_hex 'β γ'),00,00,00,00

[$unicode_key\\Подраздел]
"Emoji"="😀 grin"

[$raw_key]
"Embedded zero"=hex(1):$(utf16_hex 'a'),00,00,$(utf16_hex 'b'),00,00
"Line break"=hex(1):$(utf16_hex 'one'),0d,00,0a,00,$(utf16_hex 'two'),00,00
"Expand with zero"=hex(2):$(utf16_hex '%TEMP%'),00,00,$(utf16_hex 'x'),00,00
"Short dword"=hex(4):01,02
"Empty none"=hex(0):
EOF
}

# What the branch holds now: `reg query /s` lines sorted, the `regedit /e` file as UTF-8, and
# (with "raw") Kestrover's own export of it.
snapshot() { # key name [raw]
  run reg query "$1" /s 2>&1 | tr -d '\r' | sed '/^$/d' | LC_ALL=C sort >"$2.query"
  rm -f "$2.export"
  run regedit /e "$2.export" "$1" >/dev/null 2>&1
  if [ -f "$2.export" ]; then
    iconv -f UTF-16LE -t UTF-8 "$2.export" | tr -d '\r' >"$2.export.txt"
  else
    echo "(regedit /e wrote nothing)" >"$2.export.txt"
  fi
  if [ "${3:-}" = raw ]; then
    rm -f "$2.stored.reg"
    run "$cli" export "$1" --out "$2.stored.reg" >/dev/null 2>&1
    tr -d '\r' <"$2.stored.reg" >"$2.stored" 2>/dev/null || echo "(no export)" >"$2.stored"
  fi
}

same_as_before() { # what before after [raw]
  local what="$1" before="$2" after="$3" kind kinds="query export.txt"
  [ "${4:-}" = raw ] && kinds+=" stored"
  for kind in $kinds; do
    if ! cmp -s "$before.$kind" "$after.$kind"; then
      fail "$what: the branch differs from the original ($kind)"
      diff -u "$before.$kind" "$after.$kind" | head -40
    fi
  done
}

branch_gone() { # key
  if run reg query "$1" >/dev/null 2>&1; then
    fail "the branch $1 is still there after reg delete"
    return 1
  fi
}

first_bytes() { od -An -N"$2" -tx1 "$1" | tr -d ' \n'; }

delete_branch "$ansi_key"
delete_branch "$unicode_key"
{ printf '\xff\xfe'; write_setup | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >setup.reg
run regedit /s setup.reg

for branch in ansi unicode raw; do
  case "$branch" in
    ansi) key="$ansi_key" form=REGEDIT4 magic=5245474544495434 ;;
    unicode) key="$unicode_key" form="Unicode 5.00" magic=fffe ;;
    raw) key="$raw_key" form=REGEDIT4 magic=5245474544495434 ;;
  esac
  raw=""
  [ "$branch" = raw ] && raw=raw
  snapshot "$key" "$branch.original" $raw
  if ! grep -q '^\[' "$branch.original.export.txt"; then
    fail "$branch: the test branch could not be set up"
    cat "$branch.original.export.txt" "$branch.original.query"
    continue
  fi

  # (a) Kestrover exports, regedit imports.
  if ! run "$cli" export "$key" --out "$branch.kestrover.reg" >cli.out 2>&1; then
    fail "$branch: kestrover-cli export failed"
    cat cli.out
  fi
  if [ "$(first_bytes "$branch.kestrover.reg" $((${#magic} / 2)))" != "$magic" ]; then
    fail "$branch: kestrover-cli export did not write the $form form"
  fi
  delete_branch "$key"
  branch_gone "$key"
  import_with_regedit "$branch.kestrover.reg" "$key"
  snapshot "$key" "$branch.regedit-imported" $raw
  same_as_before "$branch (a) kestrover export, regedit /s import" "$branch.original" \
    "$branch.regedit-imported" $raw
  [ "$branch" = raw ] && continue

  # (b) regedit exports (the original's export, a "Version 5.00" UTF-16LE file), Kestrover
  # restores.
  delete_branch "$key"
  branch_gone "$key"
  if ! run "$cli" restore "$branch.original.export" >cli.out 2>&1; then
    fail "$branch: kestrover-cli restore failed"
    cat cli.out
  fi
  snapshot "$key" "$branch.kestrover-restored"
  same_as_before "$branch (b) regedit /e export, kestrover restore" "$branch.original" \
    "$branch.kestrover-restored"
done

# Windows has its own registry: a registry file is refused, not silently ignored.
run "$cli" --registry kept.reg info >cli.out 2>&1
status=$?
if [ "$status" -ne 2 ] || ! grep -q 'Linux only' cli.out; then
  fail "--registry on Windows: exit status $status, expected 2 and a message"
  cat cli.out
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "6 passed, 0 failed"
