#!/bin/bash
# Times a silent Setup (`KV_UPDAT.EXE S`) under Wine on its two paths and
# sets the time against the waits the tool must take there:
#
#   no update  the shipped files (1.1.0.0) are not newer than the installed
#              ones (1.2.0.0): the firewall work and the check, no waits;
#   update     the shipped files are newer (1.3.0.0), the status server
#              service and the print spooler run, the status panel is open:
#              hand-off, panel closed, service stopped, files replaced,
#              service started and panel launched again, with their waits;
#   Wine alone bench_trivial.exe (the tool's DLLs and manifest, ends at
#              once) run the same way: Wine's own cost of starting and
#              ending a program.
#
# Each run gets a fresh copy of the template prefix with its server, the
# services and the panel already up, and only the program's run is timed;
# the rounds take the three in turn, so that a busy machine slows all alike.
#
#   bench/bench.sh [--runs N] [--lane i686|x86_64]
#
#   --runs N  N runs of each (default 5)
#   --lane    the shipped i686 program under 32-bit Wine (the default where
#             this machine runs 32-bit code), or the x86_64 build under
#             64-bit Wine (the default elsewhere); the table names the lane
#             and Wine's version
#
# Needs the lane's build (tools/demo.sh or tools/test-all.sh --build-only
# makes it). Prints a table and writes it to build/bench/results.txt, with
# every run's times in build/bench/runs.tsv and its files (the program's
# output, the suite's logs) in build/bench/run/. Exits with 1 when a run did
# not take its path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. testbed/wine/env.sh
. testbed/wine/session.sh

RUN_LIMIT=60     # seconds for one run of the program
GOAL=0.300       # seconds of overhead the tool may add on each path

usage() {
  echo "usage: $0 [--runs N] [--lane i686|x86_64]" >&2
  exit 2
}
runs=5
while [ $# -gt 0 ]; do
  case $1 in
    --runs) [ $# -ge 2 ] && [[ $2 =~ ^[1-9][0-9]*$ ]] || usage; runs=$2; shift 2 ;;
    --lane) [ $# -ge 2 ] || usage; use_lane "$2" "$root" || usage; shift 2 ;;
    *) usage ;;
  esac
done
require_wine_test_tools "the benchmark"
require_lane_files "the benchmark" KV_UPDAT.EXE bench/bench_trivial.exe

work=$root/build/bench
if [ -d "$work/prefix" ]; then WINEPREFIX=$work/prefix stop_wineserver; fi
rm -rf "$work"
mkdir -p "$work/run"
echo "== making the template prefix" >&2
testbed/wine/make-testbed-prefix.sh "$work/template" --service auto --spooler auto >"$work/template.out" 2>&1 ||
  { tail -20 "$work/template.out" >&2; exit 1; }
# The status server takes 750 ms to stop, not a multiple of the tool's 500 ms
# readings: with 500 ms the first reading and the end of the stop come at
# the same moment and either may come first, which changes the required
# wait from run to run. Now the first reading always finds it stopping.
STOP_DELAY_MS=750
trap session_end EXIT
export WINEPREFIX=$work/template
"$WINESERVER" </dev/null >/dev/null 2>&1
timeout "$RUN_LIMIT" "$WINELOADER" reg add 'HKLM\SOFTWARE\KvTestbed' /v ServerStopDelayMs /t REG_DWORD /d $STOP_DELAY_MS /f \
  </dev/null >>"$work/template.out" 2>&1
stop_wineserver
rm -rf "$WINEPREFIX/drive_c/testbed/logs"/*

# The waits the tool's rules require on the update path, in ms, given the
# stand-ins' settings: the hand-off's pause (the panel is open and the
# status manager loads); closing the panel (it closes at once: one 100 ms
# pause); stopping the service (readings every 500 ms from the request, the
# first after the service's stop delay, then 1000 ms more); starting it (it
# runs at once: the first reading, 500 ms after the request).
stop_delay=$(testbed/wine/read-prefix.sh "$work/template" reg 'HKLM\SOFTWARE\KvTestbed' ServerStopDelayMs)
stop_delay=$((stop_delay))
HANDOFF_MS=5000 CLOSE_MS=100 STOP_POLL_MS=$((500 * (stop_delay / 500 + 1))) STOP_PAUSE_MS=1000 START_MS=500
UPDATE_WAITS_MS=$((HANDOFF_MS + CLOSE_MS + STOP_POLL_MS + STOP_PAUSE_MS + START_MS))

# One timed run of KIND (no-update, update, wine) in a fresh prefix; appends
# KIND<TAB>SECONDS<TAB>EXIT-CODE and the clock times of the suite's events
# to runs.tsv.
timed_run() {  # KIND ROUND
  local kind=$1 dir=$work/run/$1-$2 program=KV_UPDAT.EXE shipped arguments=(S)
  mkdir -p "$dir"
  session_begin "$work/template" "$work/prefix"
  mkdir -p "$WINEPREFIX/drive_c/kv"
  case $kind in
    no-update) shipped=older ;;
    update) shipped=newer ;;
    wine) shipped= program=bench_trivial.exe arguments=() ;;
  esac
  cp -p "$KV_LANE_BUILD/$([ "$kind" = wine ] && echo bench/)$program" "$WINEPREFIX/drive_c/kv/"
  [ -z "$shipped" ] || cp -p "$WINEPREFIX/drive_c/testbed/shipped/$shipped"/* "$WINEPREFIX/drive_c/kv/"
  session_open_panel "$dir" $((RUN_LIMIT * 2))
  local started=$EPOCHREALTIME clock code
  clock=$(date +%H:%M:%S.%3N)
  set +e
  timeout "$RUN_LIMIT" "$WINELOADER" "C:\\kv\\$program" "${arguments[@]}" </dev/null >"$dir/stdout" 2>"$dir/stderr"
  code=$?
  set -e
  local ended=$EPOCHREALTIME
  session_end
  local log
  for log in ZAMWTQNT.log ZAMBAZ.log zamgik.log; do
    testbed/wine/read-prefix.sh "$WINEPREFIX" log "$log" >"$dir/$log" 2>/dev/null || rm -f "$dir/$log"
  done
  # Where the run's time went, from the suite's events (clock times in its
  # logs): start to the hand-off, then to the panel closing, to the stop
  # request, to the new service running, to the end (the start's reading,
  # launching the panel, Wine ending the program).
  local wall segments
  wall=$(awk -v a="$started" -v b="$ended" 'BEGIN { printf "%.3f", b - a }')
  segments=$(cat "$dir"/*.log 2>/dev/null | awk -v start="$clock" -v wall="$wall" '
    function seconds(clock, fields) { split(clock, fields, ":"); return fields[1] * 3600 + fields[2] * 60 + fields[3] }
    function at(name) { t = seconds($1) - from; if (t < -43200) t += 86400; if (t >= 0 && !(name in seen)) seen[name] = t }
    BEGIN { from = seconds(start); split("handoff closed stop started", names, " ") }
    /OpenManagerExA/ { at("handoff") }
    /message 1030: closing/ { at("closed") }
    /stop requested/ { at("stop") }
    /started, version 1\.3/ { at("started") }
    END {
      for (i = 1; i <= 4; ++i) if (!(names[i] in seen)) exit
      last = 0
      for (i = 1; i <= 4; ++i) { printf "%.3f\t", seen[names[i]] - last; last = seen[names[i]] }
      printf "%.3f", wall - last
    }')
  printf '%s\t%s\t%s\t%s\n' "$kind" "$wall" "$code" "$segments" >>"$work/runs.tsv"
}

printf 'kind\tseconds\texit\tto-handoff\tto-close\tto-stop\tto-started\tto-end\n' >"$work/runs.tsv"
for round in $(seq "$runs"); do
  echo "== round $round of $runs" >&2
  for kind in no-update update wine; do timed_run "$kind" "$round"; done
done
trap - EXIT
rm -rf "$work/template" "$work/prefix"

# The table: medians per kind; a run that ended with another exit code, or
# an update run whose service did not start its new version, is named.
awk -F '\t' -v goal="$GOAL" -v runs="$runs" -v waits="$UPDATE_WAITS_MS" \
  -v handoff="$HANDOFF_MS" -v closing="$CLOSE_MS" -v poll="$STOP_POLL_MS" -v pause="$STOP_PAUSE_MS" \
  -v start="$START_MS" -v delay="$stop_delay" -v wine_version="$("$WINELOADER" --version)" -v lane="$KV_LANE" '
  function median(kind, column,    n, i, j, v, t) {
    n = 0
    for (i = 1; i <= rows; ++i) if (kinds[i] == kind && cell[i, column] != "") v[++n] = cell[i, column]
    for (i = 2; i <= n; ++i) for (j = i; j > 1 && v[j - 1] > v[j]; --j) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
    if (n == 0) return ""
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  }
  function extreme(kind, sign,    i, best) {
    best = ""
    for (i = 1; i <= rows; ++i) if (kinds[i] == kind && (best == "" || sign * cell[i, 2] > sign * best)) best = cell[i, 2]
    return best
  }
  NR > 1 {
    kinds[++rows] = $1
    for (c = 2; c <= NF; ++c) cell[rows, c] = $c + 0
    for (c = 4; c <= NF; ++c) if ($c == "") cell[rows, c] = ""
    if ($3 != 0) bad = bad sprintf("  %s run %d ended with %s\n", $1, rows, $3)
    if ($1 == "update" && NF < 8) bad = bad sprintf("  update run %d: the suite was not stopped, updated and started\n", rows)
    if ($1 == "no-update" && $4 != "") bad = bad sprintf("  no-update run %d stopped the suite\n", rows)
  }
  END {
    wine = median("wine", 2)
    printf "KV_UPDAT.EXE S, the %s lane, under %s: %d runs per path, each in a fresh copy of the prefix\n\n", \
      lane, wine_version, runs
    printf "%-10s  %7s  %7s  %7s  %9s  %8s  %10s  %10s  %s\n", "Path", "Median", "Min", "Max", "Required", \
      "Overhead", "Wine start", "Tool\047s own", "Goal: tool\047s own"
    printf "%-10s  %7s  %7s  %7s  %9s  %8s  %10s  %10s  %s\n", "", "wall s", "s", "s", "waits s", "s", "and end s", \
      "overhead s", sprintf("<= %.3f s", goal)
    for (k = 1; k <= 2; ++k) {
      kind = k == 1 ? "no-update" : "update"
      required = k == 1 ? 0 : waits / 1000
      wall = median(kind, 2)
      own = wall - required - wine
      printf "%-10s  %7.3f  %7.3f  %7.3f  %9.3f  %8.3f  %10.3f  %10.3f  %s\n", kind, wall, extreme(kind, -1), \
        extreme(kind, 1), required, wall - required, wine, own, own <= goal ? "met" : "NOT met"
    }
    printf "%-10s  %7.3f  %7.3f  %7.3f\n", "Wine alone", wine, extreme("wine", -1), extreme("wine", 1)
    printf "\nRequired waits on the update path (none on the other): the hand-off %.3f s (panel open),\n", handoff / 1000
    printf "closing the panel %.3f s (it closes at once), stopping the service %.3f s of readings\n", closing / 1000, poll / 1000
    printf "(it takes %d ms to stop) and %.3f s more, starting it %.3f s (it runs at once).\n", delay, pause / 1000, start / 1000
    printf "\nWhere the update path spends its time (medians, from the suite\047s logs):\n"
    split("start to the hand-off (Wine start, firewall, check, detection)|hand-off to the panel closing|" \
      "panel closing to the stop request|stop request to the new service running|" \
      "new service running to the end (panel launched, Wine end)", what, "|")
    split("-1|" handoff "|" closing "|" poll + pause "|" start, need, "|")
    for (i = 1; i <= 5; ++i) {
      printf "  %-62s %6.3f s", what[i], median("update", i + 3)
      if (need[i] >= 0) printf "  (%.3f s required)", need[i] / 1000
      printf "\n"
    }
    if (bad != "") { printf "\nRuns that did not take their path:\n%s", bad; exit 1 }
  }' "$work/runs.tsv" | tee "$work/results.txt"
