#!/bin/bash
# Builds the four presets and runs every test.
#
#   tools/test-all.sh               set up (as root), build host, host-asan, win32 and win64, run all tests
#   tools/test-all.sh --build-only  set up (as root) and build the four presets, no tests
#   tools/test-all.sh --lane LANE   the host's tests and the Wine tests of LANE (i686 or x86_64) only
#
# Run as root, it first installs what is missing (tools/install-deps.sh).
# The Wine tests run in two lanes (testbed/wine/lanes.sh): x86_64 on every
# machine, i686 (the shipped program) wherever this machine runs 32-bit
# code. The sanitizer build (host-asan) runs the unit tests again and each
# fuzz target for a bounded time (tools/sanitizers.sh). The run ends with one
# line for the host's tests, one per lane and one for the sanitizers:
# passed, failed, or why it was not run. A lane that this machine cannot
# run is not a failure; any failing test is, and so is a build that fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

usage() {
  echo "usage: $0 [--build-only | --lane i686|x86_64]" >&2
  exit 2
}
build_only= only_lane=
while [ $# -gt 0 ]; do
  case $1 in
    --build-only) build_only=1; shift ;;
    --lane) [ $# -ge 2 ] || usage; only_lane=$2; shift 2 ;;
    *) usage ;;
  esac
done

if [ "$(id -u)" -eq 0 ]; then
  tools/install-deps.sh
fi
. testbed/wine/lanes.sh
case " $KV_LANES " in *" ${only_lane:-x86_64} "*) ;; *) usage ;; esac

# The Windows builds come first: the host's Wine tests run their programs.
for preset in win32 win64 host host-asan; do
  echo "== $preset: configure and build"
  cmake --preset "$preset" --log-level=WARNING -DKV_WARNINGS_AS_ERRORS=ON >/dev/null
  cmake --build --preset "$preset"
done

if [ -n "$build_only" ]; then
  echo "== built: build/host (library, unit tests, probe_host), build/host-asan (unit tests and" \
    "fuzz targets with sanitizers), build/win32 (KV_UPDAT.EXE, the program that ships, and the" \
    "test bed) and build/win64 (the same for the x86_64 lane)"
  exit 0
fi

# Why each lane is not run, or nothing for the lanes that run.
declare -A not_run
excluded=()
for lane in $KV_LANES; do
  if [ -n "$only_lane" ] && [ "$lane" != "$only_lane" ]; then
    not_run[$lane]="only the $only_lane lane was asked for"
  else
    not_run[$lane]=$(lane_unavailable "$lane")
  fi
  [ -z "${not_run[$lane]}" ] || excluded+=("lane-$lane")
done

echo "== host: tests${excluded[*]:+ (not run: ${excluded[*]/#lane-/the } lane)}"
log=$root/build/host/test-all.log
status=0
label_filter=()
if [ ${#excluded[@]} -gt 0 ]; then
  label_filter=(-LE "^($(IFS='|'; echo "${excluded[*]}"))\$")
fi
ctest --preset host "${label_filter[@]}" 2>&1 | tee "$log" || status=1

sanitizers_log=$root/build/host-asan/sanitizers.log
tools/sanitizers.sh 2>&1 | tee "$sanitizers_log" || status=1

# One line per part, from the outcome of its tests in the log ("Test #N:
# NAME ... Passed", "***Failed", "***Skipped", "***Timeout" and so on): the
# tests whose names match PATTERN, or with -v those that do not.
outcome() {  # [-v] PATTERN
  local invert=0
  [ "$1" = -v ] && invert=1 && shift
  awk -v pattern="$1" -v invert=$invert '
    $2 == "Test" && $3 ~ /^#[0-9]+:$/ && ($4 ~ pattern) != invert {
      if ($0 ~ / Passed /) ++passed
      else if ($0 ~ /\*\*\*Skipped/) ++skipped
      else ++failed
    }
    END {
      if (failed) printf "failed (%d of %d tests)\n", failed, passed + failed + skipped
      else if (!passed) print "failed (no test passed)"
      else printf "passed (%d tests%s)\n", passed + skipped, skipped ? sprintf(", %d skipped", skipped) : ""
    }' "$log"
}
echo "== outcome"
echo "host (unit tests, checks of the shipped program): $(outcome -v '_(i686|x86_64)$')"
for lane in $KV_LANES; do
  if [ -n "${not_run[$lane]}" ]; then
    echo "$lane lane: not run: ${not_run[$lane]}"
  else
    line=$(outcome "_${lane}\$")
    echo "$lane lane: $line"
    [[ $line == passed* ]] || status=1
  fi
done
echo "sanitizers and fuzzing: $(tail -n 1 "$sanitizers_log")"
exit $status
