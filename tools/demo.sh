#!/bin/bash
# Shows what KV_UPDAT.EXE does to a computer: installs what is missing (as
# root), builds the program and the test bed's stand-ins, makes a Wine prefix with the printer-status suite 1.2.0.0
# installed, its status server service and the print spooler running and
# its status panel open, puts the program beside the suite's newer files
# (1.3.0.0, compressed) and runs a silent Setup, `KV_UPDAT.EXE S`, in it.
# Then it prints a report read from the prefix from outside: the firewall's
# authorized programs and File and Printer Sharing, the suite's file
# versions, services and panel, what the suite saw, the replacements left
# for the next start, the restart request and the exit code.
#
#   tools/demo.sh [--wizard] [--in-use] [--lane i686|x86_64]
#
# The program is the shipped one (the win32 preset's, the i686 lane) where
# this machine runs 32-bit code, otherwise the same sources built for x86_64
# (the win64 preset's) under 64-bit Wine; --lane chooses. The report's first
# line says which program ran and why.
#
#   --wizard  run the Setup wizard (`KV_UPDAT.EXE`) on this display ($DISPLAY,
#             Wine's x11 driver) for someone to click through, instead of
#             the silent Setup; the same report follows
#   --in-use  leave the print spooler stopped: the tool then leaves the suite
#             running, so the status server's file is in use and its
#             replacement waits for the next start of Windows, which the
#             tool requests
#
# Everything is made afresh in build/demo/: the prefix, the run's files in
# run/ and the report in report.txt. Wine's server of the prefix is stopped
# at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

SILENT_LIMIT=120   # seconds for the silent Setup (its own waits take about 8)
WIZARD_LIMIT=1800  # seconds for someone to go through the wizard
PREFIX_LIMIT=300   # seconds for making the template prefix

usage() {
  echo "usage: $0 [--wizard] [--in-use] [--lane i686|x86_64]" >&2
  exit 2
}
wizard= in_use= lane=
while [ $# -gt 0 ]; do
  case $1 in
    --wizard) wizard=1; shift ;;
    --in-use) in_use=1; shift ;;
    --lane) [ $# -ge 2 ] || usage; lane=$2; shift 2 ;;
    *) usage ;;
  esac
done
if [ -n "$wizard" ] && [ -z "${DISPLAY:-}" ]; then
  echo "demo: --wizard shows the wizard on your display, but DISPLAY is not set" >&2
  exit 2
fi

step() { printf '== %s\n' "$*" >&2; }

if [ "$(id -u)" -eq 0 ]; then
  step "installing what is missing"
  tools/install-deps.sh
fi
. testbed/wine/env.sh
. testbed/wine/session.sh
. tools/demo/state.sh
. tools/demo/report.sh
if [ -n "$lane" ]; then
  use_lane "$lane" "$root" || usage
  why="as asked (--lane $lane)"
  unavailable=$(lane_unavailable "$lane")
  [ -z "$unavailable" ] || { echo "demo: the $lane lane cannot run here: $unavailable" >&2; exit 1; }
elif [ "$KV_LANE" = i686 ]; then
  why="this machine runs 32-bit code"
else
  why="this machine runs no 32-bit code, so the same sources built for x86_64 run under 64-bit Wine"
fi
program=${KV_LANE_BUILD#"$root"/}/KV_UPDAT.EXE
if [ "$KV_LANE" = i686 ]; then
  program_line="Program: $program, the shipped i686 program ($why)"
else
  program_line="Program: $program, the x86_64 build, not the shipped i686 program ($why)"
fi
wine_available || { echo "demo: the $KV_LANE lane's Wine is missing (run tools/install-deps.sh as root)" >&2; exit 1; }
japanese_locale_available || { echo "demo: the ja_JP.UTF-8 locale is missing (tools/install-deps.sh)" >&2; exit 1; }

work=$root/build/demo
run=$work/run
# A server left by an interrupted run would keep its prefix busy.
if [ -d "$work/prefix" ]; then WINEPREFIX=$work/prefix stop_wineserver; fi
rm -rf "$work"
mkdir -p "$run"

step "building the $lane_preset preset (log: build/demo/build.log)"
if ! { cmake --preset "$lane_preset" --log-level=WARNING && cmake --build --preset "$lane_preset"; } >"$work/build.log" 2>&1; then
  tail -20 "$work/build.log" >&2
  exit 1
fi

step "making the demo prefix (about 10 s)"
spooler=auto graphics=null
[ -n "$in_use" ] && spooler=demand
[ -n "$wizard" ] && graphics=x11
if ! timeout "$PREFIX_LIMIT" testbed/wine/make-testbed-prefix.sh "$work/template" --service auto \
  --spooler "$spooler" --graphics "$graphics" >"$work/template.out" 2>&1; then
  tail -20 "$work/template.out" >&2
  exit 1
fi

trap session_end EXIT
trap 'exit 130' INT TERM
session_begin "$work/template" "$work/prefix"
rm -rf "$work/template"
tool_dir=$WINEPREFIX/drive_c/kv
mkdir -p "$tool_dir"
cp -p "$KV_LANE_BUILD/KV_UPDAT.EXE" "$WINEPREFIX"/drive_c/testbed/shipped/newer/* "$tool_dir/"
# The wizard shows the read-me of its current directory, in the code page.
cp testbed/shipped/Readme.txt "$tool_dir/Readme.txt"  # code page 932, CR LF, as the tool reads it
for file in ZAMPUX.DL_ ZAMWTQNT.EX_; do
  printf '%s\t%s\n' "$file" "$(testbed/wine/read-prefix.sh "$WINEPREFIX" version "C:\\kv\\$file")"
done >"$run/shipped"
state_files_and_registry "$WINEPREFIX" "$run/before"

step "starting the suite: the status panel and the services"
if [ -n "$wizard" ]; then limit=$WIZARD_LIMIT; else limit=$SILENT_LIMIT; fi
session_open_panel "$run" $((limit + 60))
state_suite "$run/before"

if [ -n "$wizard" ]; then
  arguments=()
  step "the Setup wizard is on your display: go through it (within $((limit / 60)) minutes)"
else
  arguments=(S)
  step "running KV_UPDAT.EXE S"
fi
echo "C:\\kv\\KV_UPDAT.EXE${arguments[*]:+ ${arguments[*]}}" >"$run/command"
echo "$program_line" >"$run/program"
{
  echo "The suite 1.2.0.0 is installed, its status server service ZAMWTQNT runs and its status"
  if [ -n "$in_use" ]; then
    echo "panel is open; the print spooler is stopped. Beside the tool: the suite's files 1.3.0.0."
  else
    echo "panel is open; the print spooler runs. Beside the tool: the suite's files 1.3.0.0."
  fi
} >"$run/scenario"
date +%H:%M:%S.%3N >"$run/started"
started=$EPOCHREALTIME
set +e
# Wine's fixme channel of advapi32 records the restart request and the
# event's type and id, its eventlog channel the event's inserts.
(cd "$tool_dir" && WINEDEBUG=-all,fixme+advapi,+eventlog timeout "$limit" "$WINELOADER" 'C:\kv\KV_UPDAT.EXE' "${arguments[@]}" \
  </dev/null >"$run/tool.stdout" 2>"$run/tool.stderr")
echo $? >"$run/exit-code"
set -e
awk -v from="$started" -v to="$EPOCHREALTIME" 'BEGIN { printf "%.1f\n", to - from }' >"$run/seconds"

step "reading the prefix"
# A panel the tool launched as it ended takes a moment to show its window.
session_wait_until 3 session_panel_open || true
state_suite "$run/after"
session_end
trap - EXIT
mkdir -p "$run/logs"
for log in ZAMWTQNT.log ZAMBAZ.log zamgik.log; do
  testbed/wine/read-prefix.sh "$WINEPREFIX" log "$log" >"$run/logs/$log" || rm -f "$run/logs/$log"
done
state_files_and_registry "$WINEPREFIX" "$run/after"

report_print "$run" | tee "$work/report.txt"
