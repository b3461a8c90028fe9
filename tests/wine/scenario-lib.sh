# shellcheck shell=bash
# Helpers of the Wine scenarios (scenarios.sh), sourced: a fresh copy of the
# test bed's template prefix per scenario, programs run in it bounded in
# time, and the prefix read from outside once its server is stopped.
# The caller sets ROOT, and WORK, TEMPLATE and DRIVER (the UI driver) before
# the scenarios run; the lane (env.sh) gives the build tree.

. "$ROOT/testbed/wine/env.sh"
. "$ROOT/testbed/wine/session.sh"

LIMIT=60  # seconds for any one program of a scenario
# The tool's runs trace their dialogs (a message box is one too), the
# restart request and the run's event, which Wine's advapi32 takes as stubs:
# it reports each call as a fixme with its arguments (an event's type and
# id) and restarts nothing; the event's inserts go to the eventlog channel.
TOOL_TRACE=-all,trace+dialog,fixme+advapi,+eventlog
SESSION_MANAGER='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager'
SYSTEM32='C:\windows\system32'

failures=0
background=()

# A copy of the template in WORK/NAME/prefix with the tool, the UI driver
# and the test bed's read-me in C:\kv, and the shipped files of SET (older, newer) beside
# the tool when given; its server runs persistently (session.sh), so that
# services and the panel stay up between the scenario's programs until
# end_scenario.
fresh_scenario() {  # NAME [SET]
  scenario_name=$1
  scenario=$WORK/$1
  rm -rf "$scenario"
  session_begin "$TEMPLATE" "$scenario/prefix"
  drive_c=$WINEPREFIX/drive_c
  mkdir -p "$drive_c/kv"
  cp -p "$KV_LANE_BUILD/KV_UPDAT.EXE" "$ROOT/testbed/shipped/Readme.txt" "$drive_c/kv/"
  [ ! -f "$DRIVER" ] || cp -p "$DRIVER" "$drive_c/testbed/bin/"
  [ -z "${2:-}" ] || cp -p "$drive_c/testbed/shipped/$2"/* "$drive_c/kv/"
  scenario_started=$SECONDS
}

# Stops the prefix's server and every program in it (killed services log no
# stop), and the background runs' wrappers with them.
end_scenario() {
  stop_wineserver
  local pid
  for pid in "${background[@]}"; do wait "$pid" 2>/dev/null || true; done
  background=()
}

# Runs a Windows program in the prefix to its end, bounded, in C:\kv (the
# tool reads its read-me from the current directory): LABEL.stdout,
# LABEL.stderr and LABEL.exit-code in the scenario's directory.
run_bounded() {  # LABEL PROGRAM [ARG]...
  local label=$1 code=0
  shift
  (cd "$drive_c/kv" && exec timeout "$LIMIT" "$WINELOADER" "$@" </dev/null >"$scenario/$label.stdout" \
    2>"$scenario/$label.stderr") || code=$?
  echo "$code" >"$scenario/$label.exit-code"
}

# The same, in the background; end_scenario reaps it.
start_bounded() {  # LABEL PROGRAM [ARG]...
  run_bounded "$@" &
  background+=($!)
}

run_tool() {  # LABEL [ARG]...
  local label=$1
  shift
  WINEDEBUG=$TOOL_TRACE run_bounded "$label" 'C:\kv\KV_UPDAT.EXE' "$@"
}

# The same from a batch file, as a start-up script runs it: LABEL.exit-code
# gets the whole exit code as cmd's ERRORLEVEL shows it (the code Wine gives
# the host is cut to its low byte: 3010 arrives as 194).
run_tool_in_batch() {  # LABEL [ARG]...
  local label=$1
  shift
  printf '@echo off\r\nC:\\kv\\KV_UPDAT.EXE %s\r\necho %%ERRORLEVEL%%\r\n' "$*" >"$drive_c/kv/$label.bat"
  WINEDEBUG=$TOOL_TRACE run_bounded "$label" cmd /c "C:\\kv\\$label.bat"
  local code
  code=$(tr -d '\r' <"$scenario/$label.stdout" | tail -n 1)
  if [[ $code =~ ^[0-9]+$ ]]; then echo "$code" >"$scenario/$label.exit-code"; fi
}

start_tool() {  # LABEL [ARG]...
  local label=$1
  shift
  WINEDEBUG=$TOOL_TRACE start_bounded "$label" 'C:\kv\KV_UPDAT.EXE' "$@"
}

# The tool run with ARGUMENTS while the UI driver plays the user's part,
# STEP by STEP (see testbed/driver/steps.h): LABEL.* for the tool,
# LABEL.driver.* for the driver, whose stdout has the texts it read.
drive() {  # LABEL ARGUMENTS STEP...
  local label=$1 arguments=$2
  shift 2
  start_tool "$label" $arguments
  run_bounded "$label.driver" 'C:\testbed\bin\uidriver.exe' --limit "$LIMIT" "$@"
  if [ "$(exit_code "$label.driver")" != 0 ]; then
    fail "$label: the driver failed: $(grep -v ' ok (' "$scenario/$label.driver.stderr" | tail -1)"
    stop_wineserver  # the tool waits for a user who has gone
  fi
  wait_for_run "$label"
}

# The message boxes' texts that the driver read in the run LABEL, '|' between.
box_texts() { tr -d '\r' <"$scenario/$1.driver.stdout" | paste -sd'|'; }

# Waits for the background run LABEL to end (its exit-code file).
wait_for_run() {  # LABEL
  session_wait_until $((LIMIT + 5)) test -s "$scenario/$1.exit-code" || true
}

exit_code() { cat "$scenario/$1.exit-code" 2>/dev/null || echo none; }

# A set-up step that must work: a service started, a setting changed.
prepare() {  # LABEL PROGRAM [ARG]...
  run_bounded "$@"
  [ "$(exit_code "$1")" = 0 ] || fail "set-up step $1 ($*) ended with $(exit_code "$1")"
}

start_service() { prepare "start-$1" net start "$1"; }

# The status panel, running until the scenario ends (or the tool closes it).
start_panel() {
  start_bounded panel "$SYSTEM32\\ZAMBAZ.EXE"
  wait_for_event ZAMBAZ.log 'started, on close: close' 1 || fail "the status panel did not start"
}

# A stand-in's log events without time, process id and window handle.
events() {  # LOG
  "$ROOT/testbed/wine/read-prefix.sh" "$WINEPREFIX" log "$1" 2>/dev/null | cut -d' ' -f3- |
    sed 's/, window [0-9A-Fa-f]*,/,/' || true
}

# Whether LOG holds COUNT events TEXT (or more).
has_events() {  # LOG TEXT COUNT
  [ "$(events "$1" | grep -cxF -- "$2")" -ge "$3" ]
}

# Waits until LOG holds COUNT events TEXT (polling the file from outside),
# at most SECONDS (default LIMIT).
wait_for_event() {  # LOG TEXT COUNT [SECONDS]
  session_wait_until "${4:-$LIMIT}" has_events "$1" "$2" "$3"
}

reg_value() { "$ROOT/testbed/wine/read-prefix.sh" "$WINEPREFIX" reg "$@" 2>/dev/null || true; }

file_version() { "$ROOT/testbed/wine/read-prefix.sh" "$WINEPREFIX" version "$SYSTEM32\\$1" 2>/dev/null || true; }

# The system directory's staging copies (NAME.000 to NAME.999), one a line.
staging_copies() { ls "$drive_c/windows/system32" | grep -iE '^zam.*\.[0-9]{3}$' || true; }

pending_renames() { reg_value "$SESSION_MANAGER" PendingFileRenameOperations; }

# Whether the run LABEL showed a window (a dialog or a message box).
showed_window() { grep -q ':trace:dialog:' "$scenario/$1.stderr"; }

# The restart requests of the run LABEL: the arguments Wine's stub reports,
# "MACHINE MESSAGE TIMEOUT FORCE REBOOT REASON", one request a line.
restart_requests() {  # LABEL
  sed -n 's/^.*:fixme:advapi:InitiateSystemShutdownExA //p' "$scenario/$1.stderr"
}

# The events the run LABEL wrote: "TYPE ID INSERT|INSERT|...", one a line,
# the inserts in UTF-8 (Wine traces them as UTF-16 with \XXXX escapes).
run_events() {  # LABEL
  awk '/:fixme:advapi:ReportEventA / { if (line != "") print line; split($0, a, /[(,]/); line = a[3] " " a[5]; n = 0; next }
       /:eventlog:ReportEventW L"/ { sub(/^[^"]*L"/, ""); sub(/"$/, ""); line = line (n++ ? "|" : " ") $0 }
       END { if (line != "") print line }' "$scenario/$1.stderr" |
    perl -CS -pe 's/\\([0-9a-f]{4})/chr(hex($1))/ge'
}

# The inserts of an event, from the words of the tool's message table:
# mode, exit code, exceptions in the domain and the standard profile, File
# and Printer Sharing, ZAMPUX.DLL, ZAMWTQNT.EXE, service, panel, restart.
event_inserts() {  # INSERT...
  local IFS='|'
  echo "$*"
}
ADDED='追加しました' REMOVED='削除しました' UNCHANGED='変更していません' SHARING_ON='有効にしました'
REPLACED='新しい版に置き換えました' AT_RESTART='次回の Windows の起動時に置き換えます'
AS_FOUND='元の状態のままです' RESTARTED='停止し、再び開始しました'
RESTART_NOT_NEEDED='必要ありません' RESTART_REQUESTED='要求しました' RESTART_LEFT='必要ですが、実行していません'
SILENT_SETUP='サイレント セットアップ (S)'

# Text ID as such a trace writes a narrow string: its code page 932 bytes,
# those above 0x7F as \xNN (ASCII escapes are written as in strings.rc).
traced_text() {  # ID
  tool_text "$1" | tr -d '\n' | iconv -f UTF-8 -t CP932 | od -An -v -tx1 | tr -s ' \n' '\n\n' |
    awk 'NF { n = index("0123456789abcdef", substr($1, 1, 1)) * 16 + index("0123456789abcdef", substr($1, 2, 1)) - 17
              printf(n < 128 ? "%c" : "\\x%s", n < 128 ? n : $1) }'
}

fail() {
  echo "FAIL $scenario_name: $*"
  failures=$((failures + 1))
}

check() {  # WHAT GOT WANT
  [ "$2" = "$3" ] || fail "$1: want '$3', got '$2'"
}

# The run LABEL ended with CODE, showing a window or not (shown|none).
check_run() {  # LABEL CODE WINDOW
  check "$1: exit code" "$(exit_code "$1")" "$2"
  local shown=none
  if showed_window "$1"; then shown=shown; fi
  check "$1: window" "$shown" "$3"
}

# The events of LOG, in order, are exactly the lines given.
check_events() {  # LOG LINE...
  local log=$1
  shift
  check "$log" "$(events "$log" | paste -sd'|')" "$(printf '%s\n' "$@" | paste -sd'|')"
}

scenario_done() { echo "$scenario_name: $((SECONDS - scenario_started)) s"; }
