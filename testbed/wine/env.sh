# Environment of the Wine test bed; sourced by the other scripts.
#
# A 32-bit prefix, no debug output, no Mono or Gecko installers (they would
# try to open windows on a machine without a display), and a Japanese UTF-8
# locale, which makes the ANSI code page 932.

export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8

# True when wine and its server can be used here.
wine_available() {
  command -v wine >/dev/null 2>&1 && command -v wineserver >/dev/null 2>&1 &&
    command -v wineboot >/dev/null 2>&1
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

# Ends the test unless Wine, the Japanese locale and mscompress are here.
require_wine_test_tools() {  # TEST
  wine_available || cannot_run "$1" "wine is not installed (tools/install-deps.sh)"
  japanese_locale_available || cannot_run "$1" "the ja_JP.UTF-8 locale is missing (tools/install-deps.sh)"
  command -v mscompress >/dev/null || cannot_run "$1" "mscompress is not installed"
}

# The options of a Wine test: --win32-build DIR (the win32 preset's build
# tree) and --work DIR. Sets win32_build and work, or ends with the usage.
parse_test_options() {
  win32_build= work=
  while [ $# -gt 0 ]; do
    case $1 in
      --win32-build) [ $# -ge 2 ] || test_usage; win32_build=$2; shift 2 ;;
      --work) [ $# -ge 2 ] || test_usage; work=$2; shift 2 ;;
      *) test_usage ;;
    esac
  done
  [ -n "$win32_build" ] && [ -n "$work" ] || test_usage
}
test_usage() {
  echo "usage: $0 --win32-build DIR --work DIR" >&2
  exit 1
}

# Ends the test unless the win32 build holds every FILE (paths below it).
require_win32_files() {  # TEST FILE...
  local test=$1 file
  shift
  for file in "$@"; do
    [ -f "$win32_build/$file" ] ||
      cannot_run "$test" "no $win32_build/$file (cmake --preset win32 && cmake --build --preset win32)"
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
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
}
