#!/bin/bash
# Runs the fidelity probe on winsim and, built for Windows, under Wine (in a
# Japanese locale, so with code page 932), and compares the two outputs line
# by line. Any difference outside the list below fails with the diff.
#
#   compare.sh --host-probe PROBE_HOST --lane i686|x86_64 [--build DIR] --work DIR
#
# Exit codes: 0 agree, 1 differ or could not run, 77 skipped (the lane does
# not run on this machine; or no Wine, lane build or Japanese locale here,
# which with CI set is a failure).
set -euo pipefail

# Cases where Wine, as run here, is known to differ from Windows XP; winsim
# follows Windows. Each entry needs its reason in docs/testing.md.
#   fs.copy.onto-readonly: Wine run as root overwrites a read-only target
#     (root ignores the missing write permission that Wine maps the attribute
#     to); Windows refuses with ERROR_ACCESS_DENIED.
#   registry.enum.signs: Wine keeps subkeys sorted by lower-cased names, so
#     '[', '^' and '_' come before letters; Windows compares upper-cased names
#     and puts them after.
#   service.continue.running.status: Wine leaves the status untouched when
#     ControlService fails with ERROR_INVALID_SERVICE_CONTROL; Windows fills it
#     in with the service's current status.
#   desktop.process.info-after-failed-search: Windows clears
#     PROCESS_INFORMATION before it looks for the program; Wine clears it only
#     once it found the program file, so a failed search leaves it untouched.
#   desktop.wts.open-local: Wine's WTSOpenServerA is a stub that fails with
#     ERROR_CALL_NOT_IMPLEMENTED; Windows opens the local server.
WINE_DEVIATIONS=(fs.copy.onto-readonly registry.enum.signs service.continue.running.status
  desktop.process.info-after-failed-search desktop.wts.open-local)

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/testbed/wine/env.sh"

test_usage() { echo "usage: $0 --host-probe PROBE_HOST --lane i686|x86_64 [--build DIR] --work DIR" >&2; exit 1; }
[ "${1:-}" = --host-probe ] && [ $# -ge 2 ] || test_usage
host_probe=$2
shift 2
parse_test_options "$@"

probe_exe=$KV_LANE_BUILD/tests/probe/probe.exe
fixture_exe=$KV_LANE_BUILD/tests/probe/probe_fixture.exe

# Without the means to run, skip, unless this is CI, where everything must be.
require_wine_test_tools "probe comparison"
command -v gcab >/dev/null || cannot_run "probe comparison" "gcab is not installed"
[ -f "$probe_exe" ] && [ -f "$fixture_exe" ] ||
  cannot_run "probe comparison" "no $lane_preset build in $KV_LANE_BUILD (cmake --preset $lane_preset && cmake --build --preset $lane_preset)"

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)

"$here/make-fixtures.sh" "$fixture_exe" "$work/fixtures"

"$host_probe" --import "$work/fixtures" 'C:\probe' >"$work/winsim.txt"

"$root/testbed/wine/make-prefix.sh" "$work/wine-template"
"$root/testbed/wine/run.sh" "$work/wine-template" "$work/wine-probe" \
  --put "$work/fixtures" probe --put "$probe_exe" bin/probe.exe \
  -- 'C:\bin\probe.exe' 'C:\probe' >"$work/wine.txt"
rm -rf "$work/wine-template" "$work/wine-probe/prefix"

# The lines of FILE whose case id is an entry or below one; with -v the others.
listed() {  # [-v] FILE ENTRY...
  local want=1
  [ "$1" = -v ] && want=0 && shift
  local file=$1
  shift
  awk -v want=$want -v entries="$*" 'BEGIN { n = split(entries, e, " ") }
    { hit = 0; for (i = 1; i <= n; ++i) if ($1 == e[i] || index($1, e[i] ".") == 1) hit = 1; if (hit == want) print }' "$file"
}
compared() { listed -v "$1" "${WINE_DEVIATIONS[@]}"; }  # FILE -> the lines compared

for side in winsim wine; do
  if [ ! -s "$work/$side.txt" ]; then
    echo "the probe printed nothing on $side" >&2
    exit 1
  fi
done

status=0
if ! diff -u --label winsim --label wine <(compared "$work/winsim.txt") <(compared "$work/wine.txt") \
  >"$work/diff.txt"; then
  echo "winsim and Wine disagree:"
  cat "$work/diff.txt"
  status=1
fi

# The tool's own expansion under Wine, whatever the two sides say: complete
# inputs arrive whole; damaged ones (their case ids say cut, wrong or bad)
# fail and leave nothing behind.
tool_lines=$(grep -c '^update\.expand\.' "$work/wine.txt" || true)
tool_wrong=$(awk '/^update\.expand\./ {
    want = ($1 ~ /cut|wrong|bad/) ? "result=-2 content=absent" : "result=0 content=equal"
    if ($2 " " $3 != want) print "  " $0 "   (expected " want ")" }' "$work/wine.txt")
if [ "$tool_lines" -eq 0 ] || [ -n "$tool_wrong" ]; then
  echo "the tool's expansion under Wine is wrong ($tool_lines cases):"
  [ -n "$tool_wrong" ] && echo "$tool_wrong"
  status=1
fi

for id in "${WINE_DEVIATIONS[@]}"; do
  if diff -q <(listed "$work/winsim.txt" "$id") <(listed "$work/wine.txt" "$id") >/dev/null; then
    echo "note: '$id' no longer differs; check the reason and remove it from WINE_DEVIATIONS"
  fi
done

[ $status -eq 0 ] && echo "winsim and Wine agree on $(compared "$work/winsim.txt" | wc -l) lines;" \
  "the tool's expansion is right in all $tool_lines cases under Wine"
exit $status
