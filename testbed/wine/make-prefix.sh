#!/bin/bash
# Makes a fresh template prefix in DIR (removing what was there): once per
# run; scenarios copy it (run.sh) instead of paying for wineboot each time.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

if [ $# -ne 1 ]; then
  echo "usage: $0 DIR" >&2
  exit 2
fi
rm -rf "$1"
mkdir -p "$1"
export WINEPREFIX
WINEPREFIX=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
trap stop_wineserver EXIT

# The server is started apart, with no inherited descriptors, so that it never
# holds the caller's pipes.
"$WINESERVER" </dev/null >/dev/null 2>&1
"$WINELOADER" wineboot -i </dev/null >"$WINEPREFIX.log" 2>&1
# Let the server write the registry out before the prefix is copied.
"$WINESERVER" -k >/dev/null 2>&1 || true
"$WINESERVER" -w
trap - EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "make-prefix: wineboot did not create a prefix in $WINEPREFIX (see $WINEPREFIX.log)" >&2
  exit 1
fi
