#!/bin/bash
# Regenerates the pictures of KV_UPDAT.EXE's dialogs and message boxes in
# docs/screenshots/: the real program (the lane's build) in copies of the
# test bed's template prefix, on Wine's virtual desktop under Xvfb with
# Japanese fonts, played by the UI driver (uidriver.exe); each picture is
# cut to its window.
#
#   testbed/screenshots/take-screenshots.sh [--lane i686|x86_64] [--work DIR] [--out DIR]
#
# The lane is the shipped i686 program's where this machine runs 32-bit
# code, otherwise the x86_64 build's (the same dialogs from the same
# resources). Needs the lane's build (tools/test-all.sh --build-only). Run as root, it
# first installs what is missing: the tests' packages (tools/install-deps.sh,
# the Japanese fonts among them) and what only the pictures need: Xvfb,
# maim (it draws the mouse pointer into the picture, which the busy
# dialog's wait cursor needs; xwd and ImageMagick's import leave the
# pointer out) and Wine's own fonts (Marlett draws the caption's close box).
# Takes about 70 seconds; the prefixes and Wine's output stay in the work
# directory (default build/screenshots).
set -euo pipefail

EXTRA_PACKAGES=(xvfb maim fonts-wine)
LIMIT=90  # seconds for each Wine program started here

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/testbed/wine/env.sh"

usage() {
  echo "usage: $0 [--lane i686|x86_64] [--work DIR] [--out DIR]" >&2
  exit 2
}
work=$root/build/screenshots out=$root/docs/screenshots
while [ $# -gt 0 ]; do
  case $1 in
    --lane) [ $# -ge 2 ] || usage; use_lane "$2" "$root" || usage; shift 2 ;;
    --work) [ $# -ge 2 ] || usage; work=$2; shift 2 ;;
    --out) [ $# -ge 2 ] || usage; out=$2; shift 2 ;;
    *) usage ;;
  esac
done

fail() {
  echo "take-screenshots: $*" >&2
  exit 1
}

if [ "$(id -u)" -eq 0 ]; then
  "$root/tools/install-deps.sh"
  missing=()
  for package in "${EXTRA_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "take-screenshots: installing ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi
for tool in Xvfb maim "$WINELOADER" mscompress; do
  command -v "$tool" >/dev/null || fail "$tool is missing (run this script as root once)"
done
[ -z "$(lane_unavailable "$KV_LANE")" ] || fail "the $KV_LANE lane cannot run here: $(lane_unavailable "$KV_LANE")"
japanese_locale_available || fail "the ja_JP.UTF-8 locale is missing (tools/install-deps.sh)"
for file in KV_UPDAT.EXE testbed/driver/uidriver.exe testbed/screenshots/resultbox.exe; do
  [ -f "$KV_LANE_BUILD/$file" ] || fail "$KV_LANE_BUILD/$file is missing (tools/test-all.sh --build-only)"
done

rm -rf "$work"
mkdir -p "$work" "$out"
work=$(cd "$work" && pwd)
out=$(cd "$out" && pwd)
started=$SECONDS

# One X server for every picture, as large as the virtual desktop.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start (see $work/xvfb.log)"
export DISPLAY=:$(cat "$work/display")
cleanup() {
  stop_wineserver
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

# The template: the stand-ins, X11 graphics, the Japanese fonts, and the
# suite's status server running (an auto-start service).
template=$work/template
"$root/testbed/wine/make-testbed-prefix.sh" "$template" --graphics x11 \
  --service auto
# Wine draws the caption's buttons with its Marlett font, which it takes
# only from the prefix's Fonts folder, not from where Debian's fonts-wine
# puts it (without it the close box shows an "r").
cp /usr/share/wine/fonts/marlett.ttf "$template/drive_c/windows/Fonts/"

# ---- One scenario at a time: a copy of the template, the program in C:\kv ----

scenario=
# Starts scenario NAME: its prefix with the program, the UI driver and the
# test bed's Readme.txt in C:\kv, and its server.
begin() {
  stop_wineserver
  scenario=$work/$1
  mkdir -p "$scenario"
  export WINEPREFIX=$scenario/prefix
  cp -a "$template" "$WINEPREFIX"
  kv=$WINEPREFIX/drive_c/kv
  mkdir -p "$kv"
  cp "$KV_LANE_BUILD/KV_UPDAT.EXE" "$KV_LANE_BUILD/testbed/driver/uidriver.exe" \
    "$KV_LANE_BUILD/testbed/screenshots/resultbox.exe" "$root/testbed/shipped/Readme.txt" "$kv/"
  echo "== $1"
}

# The newer shipped files beside the program: the Setup updates the suite.
ship_newer_files() { cp -p "$template/drive_c/testbed/shipped/newer/"* "$kv/"; }

# A Wine program run to its end, outside the virtual desktop (no window).
run() { timeout "$LIMIT" "$WINELOADER" "$@" </dev/null >>"$scenario/wine.log" 2>&1; }

# Starts PROGRAM [ARG]... on the virtual desktop "kv", in C:\kv (where the
# program looks for Readme.txt), without waiting for it.
desktop_pids=()
on_desktop() {
  (cd "$kv" && exec timeout "$LIMIT" "$WINELOADER" explorer /desktop=kv,800x600 "$@") </dev/null \
    >>"$scenario/wine.log" 2>&1 &
  desktop_pids+=($!)
}

# Runs the UI driver's steps on the desktop; its results on stdout.
drive() {
  timeout "$LIMIT" "$WINELOADER" 'C:\kv\uidriver.exe' --desktop kv --limit "$LIMIT" "$@" </dev/null \
    2>>"$scenario/driver.log" || fail "the UI driver failed in $scenario (see $scenario/driver.log)"
}

# Takes the picture NAME.png of the window of KIND once it is shown, cut to
# the window; "pointer" draws the mouse pointer too.
shoot() {
  local kind=$1 name=$2 pointer=${3:-}
  local place
  place=$(drive "wait $kind 60" rect)
  read -r x y width height <<<"$place"
  sleep 0.5  # the last paints reach the screen
  local options=(-g "${width}x${height}+${x}+${y}")
  [ "$pointer" = pointer ] || options+=(--hidecursor)
  maim "${options[@]}" "$out/$name.png"
  echo "   $name.png (${width}x${height})"
}

# Answers the message box with BUTTON, after checking that it shows the
# tool's text ID (as strings.rc writes it).
answer_box() {
  local id=$1 button=$2 expected shown
  expected=$(tool_text "$id")
  shown=$(drive "wait box 60" "answer $button")
  [ "$shown" = "$expected" ] || fail "the box shows \"$shown\", not text $id \"$expected\""
}

# Gives the programs on the desktop 10 s to end, then stops the prefix.
desktop_running() {
  local pid
  for pid in "${desktop_pids[@]}"; do kill -0 "$pid" 2>/dev/null && return 0; done
  return 1
}
finish() {
  for _ in $(seq 100); do desktop_running || break; sleep 0.1; done
  stop_wineserver
  wait "${desktop_pids[@]}" 2>/dev/null || true
  desktop_pids=()
}

# Through the introduction to the consent dialog, agreed and OK.
agree_and_ok() {
  drive "wait intro" "click 1" "wait consent" "scroll 1004 thumb" "expect 1000 enabled" \
    "click 1000" "expect 1 enabled" "click 1"
}

# ---- The pictures ----

# The wizard, and its work made long: the status panel open (the printers'
# status is handed over, then the program pauses 5 s) and the status server
# taking 8 s to stop, while the spooler runs (or the suite is not stopped).
begin wizard
ship_newer_files
run reg add 'HKLM\SOFTWARE\KvTestbed' /v ServerStopDelayMs /t REG_DWORD /d 8000 /f
run net start spooler
on_desktop start /min 'C:\windows\system32\ZAMBAZ.EXE'
on_desktop 'C:\kv\KV_UPDAT.EXE'
shoot intro dialog-105-intro
drive "wait intro" "click 1"
shoot consent dialog-103-consent
drive "wait consent" "expect 1000 disabled" "scroll 1004 thumb" "expect 1000 enabled"
shoot consent dialog-103-consent-read
drive "wait consent" "click 1000" "expect 1 enabled" "click 1" "expect 1 pressed 10" "point 2"
sleep 1  # the pointer's move reaches the dialog, which shows the wait cursor (Cancel does nothing now)
shoot consent dialog-103-consent-busy pointer
shoot box box-5008-setup-done
answer_box 5008 ok
finish

# A newer shipped file whose installed copy is in use: the spooler is
# stopped, so the suite is left running and its server's image is replaced
# at the next start.
begin restart
ship_newer_files
on_desktop 'C:\kv\KV_UPDAT.EXE'
agree_and_ok
shoot box box-5010-restart
answer_box 5010 no
finish

# Removal after a silent Setup made the exceptions.
begin removal
run 'C:\kv\KV_UPDAT.EXE' S || fail "the silent Setup failed (see $scenario/wine.log)"
on_desktop 'C:\kv\KV_UPDAT.EXE' D
shoot removal dialog-104-removal
drive "wait removal" "click 1001" "expect 1 enabled" "click 1"
shoot box box-5009-removal-done
answer_box 5009 ok
finish

# Removal with no exceptions to remove.
begin no-exceptions
on_desktop 'C:\kv\KV_UPDAT.EXE' D
shoot box box-5028-no-exceptions
answer_box 5028 ok
finish

# Wine's own firewall (its stub registered again in place of the stand-in).
begin stock-firewall
run regsvr32 /s hnetcfg.dll
on_desktop 'C:\kv\KV_UPDAT.EXE'
drive "wait intro" "click 1"
shoot box box-5024-firewall-unavailable
answer_box 5024 ok
finish

# The suite not installed: its communication program is not in system32.
begin not-installed
rm "$WINEPREFIX/drive_c/windows/system32/ZAMPUX.DLL" "$WINEPREFIX/drive_c/windows/system32/ZAMWTQNT.EXE"
on_desktop 'C:\kv\KV_UPDAT.EXE'
drive "wait intro" "click 1"
shoot box box-5026-suite-not-installed
answer_box 5026 ok
finish

# The firewall refusing every change.
begin change-refused
run reg add 'HKLM\SOFTWARE\KvTestbed' /v FirewallRefusesChanges /t REG_DWORD /d 1 /f
on_desktop 'C:\kv\KV_UPDAT.EXE'
agree_and_ok
shoot box box-5029-change-refused
answer_box 5029 ok
finish

# Not an administrator: Wine lets every user administer services, so the
# tool's own box is shown by resultbox.exe (ShowResultMessage(1, 3)).
begin not-administrator
on_desktop 'C:\kv\resultbox.exe' 1 3
shoot box box-5025-not-administrator
answer_box 5025 ok
finish

echo "take-screenshots: $(ls "$out"/*.png | wc -l) pictures in $out ($((SECONDS - started)) s)"
