#!/bin/bash
# Runs one program in a fresh copy of a template prefix.
#
#   run.sh TEMPLATE SCENARIO [--put HOSTPATH DRIVE_C_PATH]... -- PROGRAM [ARG]...
#
# SCENARIO is a directory (recreated) that receives the prefix copy and the
# program's output: stdout, stderr and exit-code. --put copies a file or a
# directory (its content) to a place under drive_c, keeping modification
# times. PROGRAM is a Windows path inside the prefix (for example
# 'C:\bin\probe.exe'). The program's stdout is also written to this script's
# stdout, with Windows line ends turned into Unix ones; the script exits with
# the program's exit code. The prefix's server is always stopped at the end.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

usage() {
  echo "usage: $0 TEMPLATE SCENARIO [--put HOSTPATH DRIVE_C_PATH]... -- PROGRAM [ARG]..." >&2
  exit 2
}
[ $# -ge 4 ] || usage
template=$1
scenario=$2
shift 2
[ -f "$template/system.reg" ] || { echo "run: no template prefix in $template" >&2; exit 2; }

rm -rf "$scenario"
mkdir -p "$scenario"
scenario=$(cd "$scenario" && pwd)
export WINEPREFIX=$scenario/prefix
cp -a "$template" "$WINEPREFIX"
trap stop_wineserver EXIT

while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  [ "$1" = "--put" ] && [ $# -ge 3 ] || usage
  target=$WINEPREFIX/drive_c/$3
  if [ -d "$2" ]; then
    mkdir -p "$target"
    cp -a "$2"/. "$target"/
  else
    mkdir -p "$(dirname "$target")"
    cp -p "$2" "$target"
  fi
  shift 3
done
[ "${1:-}" = "--" ] && [ $# -ge 2 ] || usage
shift

"$WINESERVER" </dev/null >/dev/null 2>&1
set +e
"$WINELOADER" "$@" </dev/null >"$scenario/stdout.raw" 2>"$scenario/stderr"
code=$?
set -e
echo "$code" >"$scenario/exit-code"
tr -d '\r' <"$scenario/stdout.raw" >"$scenario/stdout"
cat "$scenario/stdout"
exit "$code"
