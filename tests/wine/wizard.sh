#!/bin/bash
# Plays the Setup wizard of KV_UPDAT.EXE (the lane's build) under Wine with
# the UI driver (uidriver.exe), in copies of the test bed's template prefix
# (the firewall stand-in and the suite installed, Wine's null graphics
# driver): the introduction, the read-me scrolled to its end, agree, OK, and
# the box that ends the run, whose text and the program's exit code must be
# the case's. One case per way of scrolling, so every way the driver
# scrolls is shown to enable the agree button. Both dialogs must open in
# the middle of the screen; one case starts the program from another
# directory, where it must find the read-me beside itself.
#
#   wizard.sh --lane i686|x86_64 [--build DIR] --work DIR
#
# Exit codes: 0 every case passed, 1 a case failed, 77 skipped (the lane
# does not run on this machine; or no Wine, Japanese locale, mscompress or
# lane build here, which with CI set is a failure).
set -euo pipefail

# name | a setting of the stand-ins (HKLM\SOFTWARE\KvTestbed, DWORD 1) or - |
# how Next is pressed (a click or the Enter key) | how the read-me is
# scrolled | the box's text id | the program's exit code | the directory
# (below drive C:) the program is started in
CASES=(
  "thumb|-|click|thumb|5008|0|kv"
  "page|-|enter|page|5008|0|kv"
  "bottom-elsewhere|-|click|bottom|5008|0|."
  "wheel-refused|FirewallRefusesChanges|enter|wheel|5029|6|kv"
)
LIMIT=60  # seconds for each Wine program

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/testbed/wine/env.sh"

parse_test_options "$@"
require_wine_test_tools "wizard test"
require_lane_files "wizard test" KV_UPDAT.EXE testbed/driver/uidriver.exe

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
trap stop_wineserver EXIT
started=$SECONDS
"$root/testbed/wine/make-testbed-prefix.sh" "$work/template"

failures=0
fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}

for row in "${CASES[@]}"; do
  IFS='|' read -r name setting next way text_id expected_code start_dir <<<"$row"
  dir=$work/$name
  mkdir -p "$dir"
  export WINEPREFIX=$dir/prefix
  cp -a "$work/template" "$WINEPREFIX"
  kv=$WINEPREFIX/drive_c/kv
  mkdir -p "$kv"
  cp "$KV_LANE_BUILD/KV_UPDAT.EXE" "$KV_LANE_BUILD/testbed/driver/uidriver.exe" "$root/testbed/shipped/Readme.txt" "$kv/"
  "$WINESERVER" </dev/null >/dev/null 2>&1
  case_started=$SECONDS
  if [ "$setting" != - ]; then
    "$WINELOADER" reg add 'HKLM\SOFTWARE\KvTestbed' /v "$setting" /t REG_DWORD /d 1 /f </dev/null >"$dir/reg.log" 2>&1
  fi
  press_next="click 1"
  [ "$next" = enter ] && press_next="key enter"

  # The program looks for Readme.txt in its current directory, then beside
  # itself.
  (cd "$WINEPREFIX/drive_c/$start_dir" && exec timeout "$LIMIT" "$WINELOADER" 'C:\kv\KV_UPDAT.EXE') </dev/null >"$dir/program.stdout" \
    2>"$dir/program.stderr" &
  program=$!
  set +e
  timeout "$LIMIT" "$WINELOADER" 'C:\kv\uidriver.exe' --limit "$LIMIT" \
    "wait intro" "centred" "$press_next" "wait consent" "centred" "expect 1000 disabled" "expect 1 disabled" "scroll 1004 $way" \
    "expect 1000 enabled" "click 1000" "expect 1000 checked" "expect 1 enabled" "click 1" \
    "wait box 60" "answer ok" </dev/null >"$dir/driver.stdout" 2>"$dir/driver.stderr"
  driver_code=$?
  wait "$program"
  code=$?
  set -e
  tr -d '\r' <"$dir/driver.stdout" | grep -vx centred >"$dir/box.txt" || true

  [ "$driver_code" -eq 0 ] || fail "$name: the driver ended with $driver_code: $(grep '^uidriver:.*failed\|took more' "$dir/driver.stderr" || true)"
  expected_text=$(tool_text "$text_id")
  [ "$(cat "$dir/box.txt")" = "$expected_text" ] || fail "$name: the box said '$(cat "$dir/box.txt")', not text $text_id '$expected_text'"
  [ "$code" -eq "$expected_code" ] || fail "$name: KV_UPDAT.EXE ended with $code, expected $expected_code"
  stop_wineserver
  rm -rf "$WINEPREFIX"
  echo "$name: started in C:\\$start_dir, next by $next, scrolled by $way, box $text_id, exit code $code ($((SECONDS - case_started)) s)"
done
rm -rf "$work/template"

if [ $failures -gt 0 ]; then
  echo "$failures checks failed in ${#CASES[@]} cases; files in $work"
  exit 1
fi
echo "all ${#CASES[@]} cases passed ($((SECONDS - started)) s)"
