# Environment of the Wine test bed; sourced by the other scripts.
#
# No debug output, no Mono or Gecko installers (they would try to open
# windows on a machine without a display), and a Japanese UTF-8 locale, which
# makes the ANSI code page 932. The prefix's architecture, Wine's loader and
# server and the build tree come from the lane (lanes.sh, use_lane).

. "$(dirname "${BASH_SOURCE[0]}")/lanes.sh"
# A script started from a lane's script keeps that lane; one started by hand
# takes the shipped program's lane where this machine runs it.
use_lane "${KV_LANE:-$(machine_lanes | head -n 1)}" "$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)" \
  "${KV_LANE_BUILD:-}"

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8

# True when the current lane's Wine loader and server are installed.
wine_available() {
  [ -x "$WINELOADER" ] && [ -x "$WINESERVER" ]
}

# True when the Japanese locale exists (without it the code page is not 932).
japanese_locale_available() {
  locale -a 2>/dev/null | grep -qix 'ja_JP.utf8\|ja_JP.UTF-8'
}

# Ends a test that cannot run here (TEST is its name): skipped with 77, or
# failed when CI is set, because CI must run everything.
cannot_run() {  # TEST REASON
  echo "$1 cannot run: $2" >&2
  if [ -n "${CI:-}" ]; then exit 1; fi
  exit 77
}

# Ends a test of a lane that this machine cannot run: skipped with 77, in CI
# too, since no installation could change that.
lane_not_run() {  # TEST REASON
  echo "$1 not run in the $KV_LANE lane: $2" >&2
  exit 77
}

# Ends the test unless its lane runs here and Wine, the Japanese locale and
# mscompress are installed.
require_wine_test_tools() {  # TEST
  local reason
  reason=$(lane_unavailable "$KV_LANE")
  [ -z "$reason" ] || lane_not_run "$1" "$reason"
  wine_available || cannot_run "$1" "wine is not installed (tools/install-deps.sh)"
  japanese_locale_available || cannot_run "$1" "the ja_JP.UTF-8 locale is missing (tools/install-deps.sh)"
  command -v mscompress >/dev/null || cannot_run "$1" "mscompress is not installed"
}

# The options of a Wine test: --lane LANE, --build DIR (the lane's build
# tree; by default the lane's preset's) and --work DIR. Makes the lane the
# current one and sets work, or ends with the usage.
parse_test_options() {
  local lane= build=
  work=
  while [ $# -gt 0 ]; do
    case $1 in
      --lane) [ $# -ge 2 ] || test_usage; lane=$2; shift 2 ;;
      --build) [ $# -ge 2 ] || test_usage; build=$2; shift 2 ;;
      --work) [ $# -ge 2 ] || test_usage; work=$2; shift 2 ;;
      *) test_usage ;;
    esac
  done
  [ -n "$lane" ] && [ -n "$work" ] || test_usage
  use_lane "$lane" "$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)" "$build" || test_usage
}
test_usage() {
  echo "usage: $0 --lane i686|x86_64 [--build DIR] --work DIR" >&2
  exit 1
}

# Ends the test unless the lane's build holds every FILE (paths below it).
require_lane_files() {  # TEST FILE...
  local test=$1 file
  shift
  for file in "$@"; do
    [ -f "$KV_LANE_BUILD/$file" ] ||
      cannot_run "$test" "no $KV_LANE_BUILD/$file (cmake --preset $lane_preset && cmake --build --preset $lane_preset)"
  done
}

# The tool's text ID as strings.rc writes it ("\n" for a line feed), which
# is how the UI driver prints a message box's text.
tool_text() {  # ID
  sed -n "s/^ *$1, \"\(.*\)\"\$/\1/p" "$(dirname "${BASH_SOURCE[0]}")/../../src/ui/resources/strings.rc"
}

# Stops the server of the prefix in WINEPREFIX and every program in it. A
# server left running keeps its caller's output pipes open.
stop_wineserver() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
  fi
}
