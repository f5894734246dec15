#!/usr/bin/env bash
# Runs the in-process GUI tests under a virtual display and Wine, in a fresh Wine prefix of
# their own: the tests plant entries in its registry, and no other test's Wine session (started
# without a display, which could not open windows) is shared.
# Usage: tests/gui/run-under-xvfb.sh PATH/TO/kestrover_gui_tests.exe [GTEST ARGUMENTS]
set -uo pipefail
tests="$1"
shift
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
work=$(mktemp -d)
export WINEPREFIX="$work/prefix"
trap 'WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT

# The prefix is made without a display; that session ends before the tests start theirs.
if ! (unset DISPLAY WAYLAND_DISPLAY; timeout 120 wine wineboot -i >"$work/wineboot.log" 2>&1) ||
   ! timeout 60 wineserver -w; then
  echo "wineboot failed:"; cat "$work/wineboot.log"; exit 1
fi
timeout 260 xvfb-run -a -s "-screen 0 1280x1024x24" wine "$tests" "$@"
