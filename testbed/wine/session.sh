# A running session of a test-bed prefix, as on a computer where a user is
# logged on: the prefix's server kept alive between programs (wineserver -p,
# so that services are not stopped when the last program ends), the suite's
# status panel open and its auto-start services running. Sourced after
# env.sh by the demo and the benchmark.
#
#   session_begin TEMPLATE PREFIX  PREFIX: a fresh copy of TEMPLATE (removing
#                                  what was there), exported as WINEPREFIX,
#                                  its server started
#   session_open_panel LOGDIR LIFE starts ZAMBAZ.EXE, which Wine keeps at most
#                                  LIFE seconds, and waits for its window and
#                                  for the auto-start services to run
#   service_state NAME             RUNNING, STOPPED, START_PENDING ... or
#                                  "none" (not installed)
#   panel_state                    "open" when a panel's window is up, else
#                                  "closed" (from its log)
#   session_end                    stops the server and every program in it
#
# Every start of a program is bounded (SESSION_LIMIT seconds, default 30).

SESSION_LIMIT=${SESSION_LIMIT:-30}
session_panel_pid=

session_begin() {  # TEMPLATE PREFIX
  [ -f "$1/system.reg" ] || { echo "session: no template prefix in $1" >&2; return 1; }
  rm -rf "$2"
  mkdir -p "$(dirname "$2")"
  cp -a "$1" "$2"
  export WINEPREFIX
  WINEPREFIX=$(cd "$2" && pwd)
  # Started apart, with no inherited descriptors, so that it never holds the
  # caller's pipes; persistent, so that Wine does not end the services when
  # no program runs.
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
}

# Runs COMMAND every 0.1 s until it succeeds, for at most SECONDS.
session_wait_until() {  # SECONDS COMMAND...
  local tenths=$(($1 * 10))
  shift
  until "$@"; do
    tenths=$((tenths - 1))
    [ $tenths -gt 0 ] || return 1
    sleep 0.1
  done
}

service_state() {  # NAME
  local state
  state=$(timeout "$SESSION_LIMIT" "$WINELOADER" sc query "$1" </dev/null 2>/dev/null | tr -d '\r' |
    awk '$1 == "STATE" { print $4 }')
  echo "${state:-none}"
}

# The panel's log has "started" and "ended" lines after the time and the
# process id; a panel that Wine killed has no "ended" line, so this holds
# only while the session runs.
panel_state() {
  local log=$WINEPREFIX/drive_c/testbed/logs/ZAMBAZ.log
  if [ -f "$log" ] && tr -d '\r' <"$log" | awk '$3 == "started," { open[$2] = 1 } $3 == "ended" { delete open[$2] }
      END { for (pid in open) found = 1; exit !found }'; then
    echo open
  else
    echo closed
  fi
}

session_panel_open() {
  [ "$(panel_state)" = open ]
}

session_services_up() {
  local name start
  for name in ZAMWTQNT Spooler; do
    start=$("$(dirname "${BASH_SOURCE[0]}")/read-prefix.sh" "$WINEPREFIX" reg \
      "HKLM\\SYSTEM\\CurrentControlSet\\Services\\$name" Start 2>/dev/null || true)
    if [ "$start" = 0x00000002 ] && [ "$(service_state "$name")" != RUNNING ]; then return 1; fi
  done
}

session_open_panel() {  # LOGDIR LIFE
  mkdir -p "$1"
  timeout "$2" "$WINELOADER" 'C:\windows\system32\ZAMBAZ.EXE' </dev/null >"$1/panel.stdout" 2>"$1/panel.stderr" &
  session_panel_pid=$!
  session_wait_until "$SESSION_LIMIT" session_panel_open ||
    { echo "session: the status panel did not open (see $1/panel.stderr)" >&2; return 1; }
  session_wait_until "$SESSION_LIMIT" session_services_up ||
    { echo "session: the auto-start services did not start" >&2; return 1; }
}

session_end() {
  stop_wineserver
  if [ -n "$session_panel_pid" ]; then
    wait "$session_panel_pid" 2>/dev/null || true
    session_panel_pid=
  fi
}
