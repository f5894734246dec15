#!/usr/bin/env bash
# End to end under Wine: in a fresh prefix, kestrover-cli.exe search "run" over HKEY_CURRENT_USER
# and HKEY_LOCAL_MACHINE, compared with what Wine's own reg lists of the same roots; then the
# protected-keys list, and a search whose text is full of regex-like characters.
#
# Wine 8's "reg query" has no /f switch, so the peer is "reg query ROOT /s" (every key, value and
# data of the root) with the rules of "reg query /f run" applied to it here: a key whose name
# holds the text, a value whose name holds it, a value whose data holds it, in any case.
# Where the search's own rules differ, the comparison leaves the entry out, each time saying why:
#   - multi-string and integer data never match the search (it reads no text from them), while
#     reg shows them as text and /f would match them;
#   - binary data is read as its non-zero bytes, so UTF-16 text kept in a binary value matches
#     the search; reg shows binary data as hexadecimal, which /f would match as digits;
#   - a hit whose key the user cannot open for writing is not listed (nothing is write-protected
#     for Wine's user, so this leaves nothing out here, and the script checks that);
#   - the search lists the root's own values' hits with an empty key path; reg never shows one.
# Usage: tests/e2e/wine-search.sh PATH/TO/kestrover-cli.exe
set -uo pipefail
cli="$1"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
work=$(mktemp -d)
export WINEPREFIX="$work/prefix"
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT

if ! timeout 120 wine wineboot -i >"$work/wineboot.log" 2>&1 || ! timeout 60 wineserver -w; then
  echo "wineboot failed:"; cat "$work/wineboot.log"; exit 1
fi
mkdir -p "$work/data"
data_dir=$(wine winepath -w "$work/data" 2>/dev/null | tr -d '\r')

reg() { wine reg "$@" >/dev/null 2>&1; }
# What the rules above are about, planted so that each shows at least once: UTF-16 "KvRunBin"
# in binary data (the search finds it), "kvrun" in a multi-string, and a key and a value named
# with the text in another case.
reg add 'HKCU\Software\KvSearch\KVRUNKEY' /f
reg add 'HKCU\Software\KvSearch' /v KvBinary /t REG_BINARY /d 4b007600520075006e00420069006e00 /f
reg add 'HKCU\Software\KvSearch' /v KvMulti /t REG_MULTI_SZ /d 'kvrun\0other' /f
reg add 'HKCU\Software\KvSearch' /v KvText /t REG_SZ /d 'C:\kvtest\kvrunner.exe' /f
reg add 'HKCU\Software\KvSearch' /v KvRUNName /t REG_DWORD /d 1 /f
timeout 60 wineserver -w

for root in HKCU HKLM; do
  timeout 90 wine reg query "$root" /s 2>/dev/null | tr -d '\r' >"$work/$root.reg.txt"
done
timeout 90 wine "$cli" --data-dir "$data_dir" search run --roots cu,lm --json 2>"$work/search.err" \
  | tr -d '\r' >"$work/search.json"
status=${PIPESTATUS[0]}
if [ "$status" != 0 ]; then echo "search failed ($status):"; cat "$work/search.err"; exit 1; fi

python3 - "$work" <<'PY'
import json, re, sys
work = sys.argv[1]
text = "run"
roots = {"HKCU": "HKEY_CURRENT_USER", "HKLM": "HKEY_LOCAL_MACHINE"}
value_line = re.compile(r"^    (.*?)    (REG_[A-Z_]+)(?:    (.*))?$")

keys, values, data, skipped = set(), set(), set(), {}
binaries = {}
for short, full in roots.items():
    key = None
    for line in open(f"{work}/{short}.reg.txt", encoding="utf-8", errors="replace"):
        line = line.rstrip("\n")
        if line.startswith("HKEY_"):
            key = line
            if "\\" in key and text in key.rsplit("\\", 1)[1].lower():
                keys.add(key)
            continue
        m = value_line.match(line)
        if not m or key is None:
            continue
        name, kind, shown = m.group(1), m.group(2), m.group(3) or ""
        name = "" if name == "(Default)" else name
        if text in name.lower():
            values.add((key, name))
        if kind in ("REG_SZ", "REG_EXPAND_SZ"):
            if text in shown.lower():
                data.add((key, name))
        elif kind == "REG_BINARY":
            binaries[(key, name)] = shown
        elif text in shown.lower():
            skipped.setdefault(kind, []).append((key, name))

hits = json.load(open(f"{work}/search.json", encoding="utf-8"))
ours = {"key": set(), "value": set(), "data": set()}
for hit in hits:
    full = hit["root"] + ("\\" + hit["key"] if hit["key"] else "")
    name = "" if hit["kind"] == "data" and hit["value"] == "(default)" else hit["value"]
    ours[hit["kind"]].add(full if hit["kind"] == "key" else (full, name))

failures = 0
def compare(what, expected, found, extra_ok=lambda item: False):
    global failures
    missing = sorted(expected - found)
    extra = sorted(item for item in found - expected if not extra_ok(item))
    for item in missing:
        print(f"MISSING {what}: {item}")
    for item in extra:
        print(f"EXTRA {what}: {item}")
    failures += len(missing) + len(extra)
    print(f"{what}: reg {len(expected)}, search {len(found)}, missing {len(missing)}, extra {len(extra)}")

def binary_holds_text(item):
    shown = binaries.get(item)
    if shown is None:
        return False
    raw = bytes.fromhex(shown)
    return text in bytes(b for b in raw if b).decode("cp1252", "replace").lower()

compare("keys", keys, ours["key"])
compare("value names", values, ours["value"])
compare("data", data, ours["data"], binary_holds_text)
for kind, items in sorted(skipped.items()):
    print(f"not searched by the rules: {len(items)} {kind} value(s) whose data holds the text, "
          f"e.g. {items[0]}")

def expect(description, condition):
    global failures
    print(("ok: " if condition else "FAILED: ") + description)
    failures += 0 if condition else 1

kv = "HKEY_CURRENT_USER\\Software\\KvSearch"
expect("UTF-16 text in binary data is found", (kv, "KvBinary") in ours["data"])
expect("a multi-string is not", (kv, "KvMulti") not in ours["data"]
       and (kv, "KvMulti") in skipped.get("REG_MULTI_SZ", []))
expect("a key named in another case is found", kv + "\\KVRUNKEY" in ours["key"])
expect("a value named in another case is found", (kv, "KvRUNName") in ours["value"])
expect("the Run key is found", "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
       in ours["key"])
sys.exit(1 if failures else 0)
PY
failures=$?

# The protected-keys list runs over a prefix where Wine's user may change everything it reads.
timeout 90 wine "$cli" --data-dir "$data_dir" search --protected --roots cu,lm 2>&1 | tr -d '\r' \
  >"$work/protected.txt"
echo "protected keys: $(tail -n 1 "$work/protected.txt")"
# Regex-like characters are taken literally: nothing in the prefix holds this text.
literal=$(timeout 90 wine "$cli" --data-dir "$data_dir" search '.*[run]+(x|y)?\d' --roots cu \
  2>/dev/null | tr -d '\r' | tail -n 1)
if [ "$literal" = "0 hits" ]; then
  echo "ok: regex-like characters matched literally"
else
  echo "FAILED: regex-like search gave: $literal"; failures=1
fi
# The search history keeps the texts searched.
if tr -d '\r' <"$work/data/history.txt" 2>/dev/null | grep -qx 'run'; then
  echo "ok: history.txt holds the search"
else
  echo "FAILED: history.txt"; failures=1
fi

if [ "$failures" -ne 0 ]; then echo "failed"; exit 1; fi
echo "all passed"
