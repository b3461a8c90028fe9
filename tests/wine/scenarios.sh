#!/bin/bash
# KV_UPDAT.EXE end to end under Wine, in the test bed (make-testbed-prefix.sh):
# each scenario in a fresh copy of the template prefix, with the firewall
# stand-in and the suite installed, every program bounded in time, the
# prefix's server stopped at the end, and the outcome read from outside:
# the firewall policy and pending renames in system.reg, the files' versions
# and times, the stand-ins' logs, the tool's exit code, and Wine's traces of
# its dialogs and of its restart request.
#
#   scenarios.sh --lane i686|x86_64 [--build DIR] --work DIR [SCENARIO...]
#
# Without SCENARIO names every scenario runs. Exit codes: 0 passed, 1 a check
# failed, 77 skipped (the lane does not run on this machine; or no Wine,
# Japanese locale, mscompress or lane build here, which with CI set is a
# failure).
set -euo pipefail

SCENARIOS=(silent update deferred nothing-newer wizard removal prechecks second-instance)
# Those that play the user with the UI driver (testbed/driver).
DRIVER_SCENARIOS=(wizard removal prechecks)

here=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$here/../.." && pwd)
usage() {
  echo "usage: $0 --lane i686|x86_64 [--build DIR] --work DIR [SCENARIO...]" >&2
  echo "scenarios: ${SCENARIOS[*]}" >&2
  exit 1
}
options=()
while [ $# -gt 0 ]; do
  case $1 in
    --lane | --build | --work) [ $# -ge 2 ] || usage; options+=("$1" "$2"); shift 2 ;;
    -*) usage ;;
    *) break ;;
  esac
done
selected=("${@:-${SCENARIOS[@]}}")
for name in "${selected[@]}"; do
  [[ " ${SCENARIOS[*]} " == *" $name "* ]] || usage
done
. "$here/scenario-lib.sh"
test_usage() { usage; }
parse_test_options "${options[@]}"
WORK=$work
DRIVER=$KV_LANE_BUILD/testbed/driver/uidriver.exe

require_wine_test_tools "Wine scenarios"
require_lane_files "Wine scenarios" KV_UPDAT.EXE testbed/firewall/fwstandin.dll

FIREWALL_POLICY='HKLM\SYSTEM\CurrentControlSet\Services\SharedAccess\Parameters\FirewallPolicy'
# The suite's two programs as firewall exceptions: image path|name.
SUITE_PROGRAMS=(
  "$SYSTEM32\\zambaz.exe|Kestrovane"
  "$SYSTEM32\\zamwtqnt.exe|ZAM Network Printer Status Server"
)
FILE_AND_PRINTER_PORTS=(139:TCP 445:TCP 137:UDP 138:UDP)
PROFILES=(DomainProfile StandardProfile)

# Both programs in both profiles with SCOPE and enabled, or absent ("-").
check_exceptions() {  # SCOPE|-
  local profile program path name want
  for profile in "${PROFILES[@]}"; do
    for program in "${SUITE_PROGRAMS[@]}"; do
      path=${program%%|*} name=${program#*|}
      want=$path:$1:Enabled:$name
      [ "$1" != - ] || want=
      check "$profile exception $path" \
        "$(reg_value "$FIREWALL_POLICY\\$profile\\AuthorizedApplications\\List" "$path")" "$want"
    done
  done
}

# File and Printer Sharing's four ports in both profiles: open to all
# addresses and STATE (Enabled, Disabled).
check_file_and_printer_sharing() {  # STATE
  local profile port
  for profile in "${PROFILES[@]}"; do
    for port in "${FILE_AND_PRINTER_PORTS[@]}"; do
      check "$profile port $port" \
        "$(reg_value "$FIREWALL_POLICY\\$profile\\GloballyOpenPorts\\List" "$port" | cut -d: -f3,4)" "*:$1"
    done
  done
}

check_versions() {  # ZAMPUX.DLL's ZAMWTQNT.EXE's
  check "ZAMPUX.DLL version" "$(file_version ZAMPUX.DLL)" "$1"
  check "ZAMWTQNT.EXE version" "$(file_version ZAMWTQNT.EXE)" "$2"
}

check_no_restart_request() {  # LABEL
  check "$1: restart requests" "$(restart_requests "$1")" ""
}

# Silent Setup, local subnet and any address: the firewall work alone (no
# shipped files, so nothing to update), its event, and the event source
# registered with the program's own path. ARGUMENTS|SCOPE|MODE AS THE EVENT
# NAMES IT.
SILENT_CASES=("S|LocalSubNet|$SILENT_SETUP" "S A|*|サイレント セットアップ、すべてのアドレス (S A)")
EVENT_SOURCE='HKLM\SYSTEM\CurrentControlSet\Services\Eventlog\Application\KV_UPDAT'
scenario_silent() {
  local row arguments scope mode
  for row in "${SILENT_CASES[@]}"; do
    IFS='|' read -r arguments scope mode <<<"$row"
    fresh_scenario "silent-${arguments// /-}"
    run_tool run $arguments
    end_scenario
    check_run run 0 none
    check_exceptions "$scope"
    check_file_and_printer_sharing Enabled
    check_no_restart_request run
    check "event" "$(run_events run)" "0x0004 0x400003e8 $(event_inserts "$mode" 0 "$ADDED" "$ADDED" "$SHARING_ON" \
      "$UNCHANGED" "$UNCHANGED" "$AS_FOUND" "$AS_FOUND" "$RESTART_NOT_NEEDED")"
    check "event source" "$(reg_value "$EVENT_SOURCE" EventMessageFile)|$(reg_value "$EVENT_SOURCE" TypesSupported)" \
      'C:\kv\KV_UPDAT.EXE|0x00000007'
    scenario_done
  done
}

# An update with the spooler and the status server running and the panel
# open: printers handed off, panel closed, server stopped, both files
# replaced now, server started with the new image, panel relaunched.
scenario_update() {
  fresh_scenario update newer
  start_service spooler
  start_service ZAMWTQNT
  start_panel
  run_tool run S
  wait_for_event ZAMBAZ.log 'started, on close: close' 2 10 || true  # the relaunched panel
  end_scenario
  check_run run 0 none
  check "printers handed off" "$(events zamgik.log | sed -n 's/^OpenManagerExA printer="\([^"]*\)".*/\1/p' | paste -sd'|')" \
    'Kestrovane LP-1|経理 LP-1'
  check_events ZAMBAZ.log 'started, on close: close' 'message 1030: closing' 'ended' 'started, on close: close'
  check_events ZAMWTQNT.log 'started, version 1.2.0.0' 'stop requested (stop), stopping in 500 ms' \
    'stopped, version 1.2.0.0' 'started, version 1.3.0.0'
  check_versions 1.3.0.0 1.3.0.0
  check "staging copies" "$(staging_copies)" ""
  check "pending renames" "$(pending_renames)" ""
  check_no_restart_request run
  check "event" "$(run_events run)" "0x0004 0x400003e8 $(event_inserts "$SILENT_SETUP" 0 "$ADDED" "$ADDED" \
    "$SHARING_ON" "$REPLACED" "$REPLACED" "$RESTARTED" "$RESTARTED" "$RESTART_NOT_NEEDED")"
  scenario_done
}

# The print spooler stopped (as in a new prefix), so the running status
# server is left alone and its image cannot be replaced: ZAMPUX.DLL is
# replaced now, ZAMWTQNT.EXE waits for the next start, and the silent run
# asks for a restart, which Wine's stub does not carry out; given N it asks
# for none and ends with 3010. A restart played afterwards puts the new
# server in place.
# NAME|ARGUMENTS|EXIT CODE|EVENT ID|MODE AS THE EVENT NAMES IT|ITS RESTART
DEFERRED_CASES=(
  "deferred|S|0|0x400003e8|$SILENT_SETUP|$RESTART_REQUESTED"
  "deferred-no-restart|S N|3010|0x400003e9|サイレント セットアップ、再起動なし (S N)|$RESTART_LEFT"
)
scenario_deferred() {
  local row name arguments code id mode restart
  for row in "${DEFERRED_CASES[@]}"; do
    IFS='|' read -r name arguments code id mode restart <<<"$row"
    deferred_case
  done
}
deferred_case() {
  fresh_scenario "$name" newer
  start_service ZAMWTQNT
  run_tool_in_batch run $arguments
  end_scenario
  check_run run "$code" none
  check "event" "$(run_events run)" "0x0004 $id $(event_inserts "$mode" "$code" "$ADDED" "$ADDED" "$SHARING_ON" \
    "$REPLACED" "$AT_RESTART" "$AS_FOUND" "$AS_FOUND" "$restart")"
  check_events ZAMWTQNT.log 'started, version 1.2.0.0'
  check_versions 1.3.0.0 1.2.0.0
  check "staging copies" "$(staging_copies)" ZAMWTQNT.000
  check "staging copy version" "$(file_version ZAMWTQNT.000)" 1.3.0.0
  # One rename that replaces the installed file ("!" before its target).
  check "pending renames" "$(pending_renames | paste -sd'|')" \
    "\\??\\$SYSTEM32\\ZAMWTQNT.000|!\\??\\$SYSTEM32\\ZAMWTQNT.EXE"
  # Machine, message (the trace cuts it), time-out, force, reboot, reason.
  local request message
  request=$(restart_requests run)
  if [ "$code" = 3010 ]; then
    check "restart request" "$request" ""
  else
  check "restart request" "$(sed 's/ ".*"\(\.\.\.\)\? / MESSAGE /' <<<"$request")" '(null) MESSAGE 0 0 1 0x80030004'
  message=$(sed 's/^[^"]*"\(.*\)"\(\.\.\.\)\? [^"]*$/\1/' <<<"$request")
  [ -n "$message" ] && [[ "$(traced_text 5040)" == "$message"* ]] ||
    fail "restart message: want text 5040, got '$message'"
  fi

  # The restart: a fresh start of the prefix, which carries out the renames.
  "$WINESERVER" </dev/null >/dev/null 2>&1
  prepare restart "$WINELOADER" wineboot -r
  end_scenario
  check_versions 1.3.0.0 1.3.0.0
  check "staging copies after the restart" "$(staging_copies)" ""
  check "pending renames after the restart" "$(pending_renames)" ""
  scenario_done
}

# Shipped files older than the installed ones: the firewall work is done,
# and nothing of the suite is stopped, closed or touched.
scenario_nothing_newer() {
  fresh_scenario nothing-newer older
  start_service spooler
  start_service ZAMWTQNT
  start_panel
  run_tool run S
  end_scenario
  check_run run 0 none
  check_exceptions LocalSubNet
  check_file_and_printer_sharing Enabled
  check_events ZAMWTQNT.log 'started, version 1.2.0.0'
  check_events ZAMBAZ.log 'started, on close: close'
  check_events zamgik.log
  check_versions 1.2.0.0 1.2.0.0
  local file
  for file in ZAMPUX.DLL ZAMWTQNT.EXE; do
    check "$file write time" "$(stat -c %y "$drive_c/windows/system32/$file")" \
      "$(stat -c %y "$TEMPLATE/drive_c/windows/system32/$file")"
  done
  check "staging copies" "$(staging_copies)" ""
  check "pending renames" "$(pending_renames)" ""
  check_no_restart_request run
  scenario_done
}

# The wizard as a user goes through it: the introduction, the read-me
# scrolled to its end, agree, the scope box ticked or not, OK; then the
# box, answered with ANSWER.
wizard_steps() {  # TICK(yes|no) ANSWER
  local steps=('wait intro' 'click 1' 'wait consent' 'expect 1000 disabled' 'scroll 1004 thumb'
    'expect 1000 enabled 5' 'click 1000')
  [ "$1" = no ] || steps+=('click 1006')
  steps+=('click 1' 'wait box 60' "answer $2")
  printf '%s\n' "${steps[@]}"
}

# The wizard's two endings: the completion box after the firewall work
# (scope box ticked: any address), and the restart question, which a file
# in use brings (as in the deferred scenario) and which is answered No.
scenario_wizard() {
  local steps
  fresh_scenario wizard
  mapfile -t steps < <(wizard_steps yes ok)
  drive run "" "${steps[@]}"
  end_scenario
  check_run run 0 shown
  check "box" "$(box_texts run)" "$(tool_text 5008)"
  check_exceptions '*'
  check_file_and_printer_sharing Enabled
  check_no_restart_request run
  scenario_done

  fresh_scenario wizard-restart newer
  start_service ZAMWTQNT
  mapfile -t steps < <(wizard_steps no no)
  drive run "" "${steps[@]}"
  end_scenario
  check_run run 0 shown
  check "box" "$(box_texts run)" "$(tool_text 5010)"
  check_exceptions LocalSubNet
  check "staging copies" "$(staging_copies)" ZAMWTQNT.000
  check_no_restart_request run
  scenario_done
}

# Removal after a silent Setup, with File and Printer Sharing left on or
# switched off: the exceptions gone from both profiles, the ports as chosen.
# NAME|SWITCH SHARING OFF|PORTS
REMOVAL_CASES=(
  "removal|no|Enabled"
  "removal-sharing-off|yes|Disabled"
)
scenario_removal() {
  local row name sharing_off ports steps
  for row in "${REMOVAL_CASES[@]}"; do
    IFS='|' read -r name sharing_off ports <<<"$row"
    fresh_scenario "$name"
    run_tool setup S
    steps=('wait removal' 'click 1001')
    [ "$sharing_off" = no ] || steps+=('click 1002')
    steps+=('expect 1 enabled 5' 'click 1' 'wait box 60' 'answer ok')
    drive run D "${steps[@]}"
    end_scenario
    check_run setup 0 none
    check_run run 0 shown
    check "box" "$(box_texts run)" "$(tool_text 5009)"
    check_exceptions -
    check_file_and_printer_sharing "$ports"
    scenario_done
  done
}

# The firewall, the suite: what makes the pre-checks fail, per case.
no_firewall() { prepare unregister regsvr32 /u /s "$SYSTEM32\\fwstandin.dll"; }
no_suite() { rm "$drive_c/windows/system32/ZAMPUX.DLL"; }

# Failed pre-checks: the exit code, and the box of the wizard or of the
# removal, or nothing at all in a silent run; nothing changed.
# Each writes its error event: its type and id, the mode and the exit code
# among its inserts, nothing changed.
# NAME|PREPARATION|ARGUMENTS|EXIT CODE|BOX (text id, or none)|EVENT ID|MODE
PRECHECK_CASES=(
  "no-firewall-silent|no_firewall|S|2|none|0xc00004b2|$SILENT_SETUP"
  "no-firewall-wizard|no_firewall||2|5024|0xc00004b2|セットアップ ウィザード"
  "no-suite-silent|no_suite|S|4|none|0xc00004b4|$SILENT_SETUP"
  "no-suite-wizard|no_suite||4|5026|0xc00004b4|セットアップ ウィザード"
  "no-exceptions|:|D|5|5028|0xc00004b5|削除 (D)"
)
scenario_prechecks() {
  local row name preparation arguments code box steps id mode
  for row in "${PRECHECK_CASES[@]}"; do
    IFS='|' read -r name preparation arguments code box id mode <<<"$row"
    fresh_scenario "$name"
    $preparation
    if [ "$box" = none ]; then
      run_tool run $arguments
    else
      steps=('wait box' 'answer ok')
      [ -n "$arguments" ] || steps=('wait intro' 'click 1' "${steps[@]}")
      drive run "$arguments" "${steps[@]}"
    fi
    end_scenario
    check_run run "$code" "$([ "$box" = none ] && echo none || echo shown)"
    [ "$box" = none ] || check "box" "$(box_texts run)" "$(tool_text "$box")"
    check_exceptions -
    check "event" "$(run_events run)" "0x0001 $id $(event_inserts "$mode" "$code" "$UNCHANGED" "$UNCHANGED" \
      "$UNCHANGED" "$UNCHANGED" "$UNCHANGED" "$AS_FOUND" "$AS_FOUND" "$RESTART_NOT_NEEDED")"
    scenario_done
  done
}

# A second instance while a first silent run waits for the status server
# to stop: it ends at once with 1, shows nothing and does nothing.
scenario_second_instance() {
  fresh_scenario second-instance newer
  prepare slow-stop reg add 'HKLM\SOFTWARE\KvTestbed' /v ServerStopDelayMs /t REG_DWORD /d 6000 /f
  start_service spooler
  start_service ZAMWTQNT
  start_tool first S
  wait_for_event ZAMWTQNT.log 'stop requested (stop), stopping in 6000 ms' 1 || fail "the first run never stopped the server"
  run_tool second S
  wait_for_run first
  end_scenario
  check_run second 1 none
  check_no_restart_request second
  check "second instance's event" "$(run_events second)" ""
  check_run first 0 none
  check_events ZAMWTQNT.log 'started, version 1.2.0.0' 'stop requested (stop), stopping in 6000 ms' \
    'stopped, version 1.2.0.0' 'started, version 1.3.0.0'
  scenario_done
}

rm -rf "$WORK"
mkdir -p "$WORK"
WORK=$(cd "$WORK" && pwd)
TEMPLATE=$WORK/template
trap stop_wineserver EXIT
started=$SECONDS
"$ROOT/testbed/wine/make-testbed-prefix.sh" "$TEMPLATE"
echo "template prefix: $((SECONDS - started)) s"

not_run=()
for name in "${selected[@]}"; do
  if [[ " ${DRIVER_SCENARIOS[*]} " == *" $name "* ]] && [ ! -f "$DRIVER" ]; then
    not_run+=("$name")
    continue
  fi
  "scenario_${name//-/_}"
done
echo "Wine scenarios: $((SECONDS - started)) s"
if [ $failures -gt 0 ]; then
  echo "$failures checks failed; files in $WORK"
  exit 1
fi
rm -rf "$TEMPLATE" "$WORK"/*/prefix
[ ${#not_run[@]} -eq 0 ] || cannot_run "Wine scenarios ${not_run[*]}" "no $DRIVER (the UI driver)"
echo "all scenarios passed"
