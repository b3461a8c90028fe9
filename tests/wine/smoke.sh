#!/bin/bash
# Runs KV_UPDAT.EXE, the lane's build, under the lane's Wine (ja_JP.UTF-8) and
# checks what a silent deployment sees: the exit code, and that no window
# was shown. Wine runs with its null graphics driver, so a dialog or message
# box would be created and wait for a user who never comes; every run is
# bounded in time, and Wine's dialog trace must show no dialog at all.
#
#   smoke.sh --lane i686|x86_64 [--build DIR] --work DIR
#
# Exit codes: 0 every case passed, 1 a case failed or could not run, 77
# skipped (the lane does not run on this machine; or no Wine, no Japanese
# locale or no lane build here, which with CI set is a failure).
set -euo pipefail

# One case per row: name | what runs beside it | the program's arguments |
# the exit code expected. Beside "wizard": a first instance started without
# arguments, waiting in its introduction dialog. Wine's own firewall is a
# stub that cannot be opened, so a run that gets past the guard ends with 2.
CASES=(
  "silent|none|S|2"
  "silent-any-address|none|/s -a|2"
  "second-instance|wizard|S|1"
)
LIMIT=60  # seconds for each start of the program

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/testbed/wine/env.sh"

parse_test_options "$@"
program=$KV_LANE_BUILD/KV_UPDAT.EXE
require_wine_test_tools "smoke test"
require_lane_files "smoke test" KV_UPDAT.EXE

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
first_pid=
cleanup() {
  stop_wineserver
  if [ -n "$first_pid" ]; then wait "$first_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

# The template: a fresh prefix whose next Wine start uses the null driver.
template=$work/template
"$root/testbed/wine/make-prefix.sh" "$template"
export WINEPREFIX=$template
"$WINESERVER" </dev/null >/dev/null 2>&1
"$WINELOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >"$work/template-reg.log" 2>&1
stop_wineserver

# Each run of the program traces its dialogs (message boxes are dialogs too).
export WINEDEBUG=-all,trace+dialog
shows_dialog() { grep -q ':trace:dialog:' "$1"; }

# Waits until the program started as `first_pid` shows a dialog: it has
# taken the single-instance guard by then.
wait_for_dialog() {
  local tenths=$((LIMIT * 10))
  while [ $tenths -gt 0 ]; do
    shows_dialog "$1" && return 0
    kill -0 "$first_pid" 2>/dev/null || return 1
    sleep 0.1
    tenths=$((tenths - 1))
  done
  return 1
}

failures=0
fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}

for row in "${CASES[@]}"; do
  IFS='|' read -r name beside arguments expected <<<"$row"
  read -ra argv <<<"$arguments"
  dir=$work/$name
  mkdir -p "$dir"
  export WINEPREFIX=$dir/prefix
  cp -a "$template" "$WINEPREFIX"
  mkdir -p "$WINEPREFIX/drive_c/bin"
  cp -p "$program" "$WINEPREFIX/drive_c/bin/KV_UPDAT.EXE"
  "$WINESERVER" </dev/null >/dev/null 2>&1
  started=$SECONDS

  if [ "$beside" = wizard ]; then
    timeout "$LIMIT" "$WINELOADER" 'C:\bin\KV_UPDAT.EXE' </dev/null >"$dir/first.stdout" 2>"$dir/first.stderr" &
    first_pid=$!
    if ! wait_for_dialog "$dir/first.stderr"; then
      fail "$name: the first instance never showed its introduction (see $dir/first.stderr)"
    fi
  fi

  set +e
  timeout "$LIMIT" "$WINELOADER" 'C:\bin\KV_UPDAT.EXE' "${argv[@]}" </dev/null >"$dir/stdout" 2>"$dir/stderr"
  code=$?
  set -e
  echo "$code" >"$dir/exit-code"
  [ "$code" -eq "$expected" ] || fail "$name: KV_UPDAT.EXE $arguments ended with $code, expected $expected"
  if shows_dialog "$dir/stderr"; then fail "$name: KV_UPDAT.EXE $arguments showed a window"; fi
  if [ -n "$first_pid" ] && ! kill -0 "$first_pid" 2>/dev/null; then
    fail "$name: the first instance did not wait in its introduction"
  fi

  stop_wineserver
  if [ -n "$first_pid" ]; then
    wait "$first_pid" 2>/dev/null || true
    first_pid=
  fi
  rm -rf "$WINEPREFIX"
  echo "$name: KV_UPDAT.EXE $arguments -> $code (beside: $beside; $((SECONDS - started)) s)"
done
rm -rf "$template"

if [ $failures -gt 0 ]; then
  echo "$failures checks failed in ${#CASES[@]} cases; files in $work"
  exit 1
fi
echo "all ${#CASES[@]} cases passed"
