#!/bin/bash
# Checks the test bed's stand-ins under Wine, with the tool's own calls:
# makes a template prefix (make-testbed-prefix.sh), then, each in a copy
# of it,
# - the firewall: fwdriver.exe carries out FIREWALL_STEPS, each of which
#   must give its result, then Wine's `reg query` must find POLICY in the
#   registry (a value with its data, or "-" for a value that must be absent);
# - the suite: suitedriver.exe starts and stops the service, closes the
#   panel, has a panel ignore the message, and hands the printers' status
#   over; its output must hold SUITE_LINES, and the stand-ins' logs
#   LOG_LINES.
#
#   check.sh --lane i686|x86_64 [--build DIR] --work DIR
#
# Exit codes: 0 passed, 1 failed, 77 skipped (the lane does not run on this
# machine; or no Wine, Japanese locale, mscompress or lane build here, which
# with CI set is a failure).
set -euo pipefail

# STEP => RESULT (fwdriver's step syntax). The steps run in this order in one
# prefix; each case has its own program, so that POLICY shows them all.
FIREWALL_STEPS=(
  # The current profile opens: the stand-in answers, not Wine's stub (E_NOTIMPL).
  'probe => 0x00000000'
  'authorize|domain|App A|C:\apps\a.exe|subnet||on => 0x00000000'
  'authorize|standard|App B|C:\apps\b.exe|all||off => 0x00000000'
  'authorize|standard|App C|C:\apps\c.exe|custom|10.0.0.1,192.168.1.0/255.255.255.0|on => 0x00000000'
  # Listed already (in other case): switched and given the scope, not renamed.
  'authorize|domain|App D|C:\apps\d.exe|subnet||on => 0x00000000'
  'authorize|domain|Renamed|C:\APPS\D.EXE|all||on => 0x00000000'
  # Switched off: the scope stays.
  'authorize|domain|App E|C:\apps\e.exe|all||on => 0x00000000'
  'authorize|domain|App E|C:\apps\e.exe|subnet||off => 0x00000000'
  'listed|standard|C:\apps\b.exe => 1'
  'listed|domain|C:\apps\b.exe => 0'
  'authorize|domain|App F|C:\apps\f.exe|all||on => 0x00000000'
  'remove|domain|C:\apps\f.exe => 0x00000000'
  'listed|domain|C:\apps\f.exe => 0'
  # Not listed: Item gives exactly 0x80070002, or Remove would be called and fail.
  'remove|domain|C:\apps\none.exe => 0x00000000'
  'service|standard|on => 0x00000000'
  'service|domain|on => 0x00000000'
  'service|domain|off => 0x00000000'
  # Every object the tool obtained was released, and the stand-in counted so.
  'unloadable => 0x00000000'
)

# PROFILE|LIST|VALUE|DATA, LIST being AuthorizedApplications or GloballyOpenPorts.
POLICY=(
  'DomainProfile|AuthorizedApplications|C:\apps\a.exe|C:\apps\a.exe:LocalSubNet:Enabled:App A'
  'StandardProfile|AuthorizedApplications|C:\apps\b.exe|C:\apps\b.exe:*:Disabled:App B'
  'StandardProfile|AuthorizedApplications|C:\apps\c.exe|C:\apps\c.exe:10.0.0.1,192.168.1.0/255.255.255.0:Enabled:App C'
  'DomainProfile|AuthorizedApplications|C:\apps\d.exe|C:\apps\d.exe:*:Enabled:App D'
  'DomainProfile|AuthorizedApplications|C:\apps\e.exe|C:\apps\e.exe:*:Disabled:App E'
  'DomainProfile|AuthorizedApplications|C:\apps\f.exe|-'
  'DomainProfile|AuthorizedApplications|C:\apps\b.exe|-'
  'StandardProfile|GloballyOpenPorts|139:TCP|139:TCP:*:Enabled:@xpsp2res.dll,-22004'
  'StandardProfile|GloballyOpenPorts|445:TCP|445:TCP:*:Enabled:@xpsp2res.dll,-22005'
  'StandardProfile|GloballyOpenPorts|137:UDP|137:UDP:*:Enabled:@xpsp2res.dll,-22001'
  'StandardProfile|GloballyOpenPorts|138:UDP|138:UDP:*:Enabled:@xpsp2res.dll,-22002'
  # Switched on (open to all), then off: the scope stays.
  'DomainProfile|GloballyOpenPorts|139:TCP|139:TCP:*:Disabled:@xpsp2res.dll,-22004'
  'DomainProfile|GloballyOpenPorts|138:UDP|138:UDP:*:Disabled:@xpsp2res.dll,-22002'
)

# Lines suitedriver.exe must print (service stop-ms is checked apart: at
# least the stand-in's 1500 ms and the tool's 1000 ms pause).
SUITE_LINES=(
  'service start 1'
  'service query-running 2'
  'service stop 1'
  'service query-stopped 1'
  'panel found 1'
  'panel closed 1'
  'ignoring found 1'
  'ignoring closed 0'
  'handoff panel 1'
  'handoff done'
)
MIN_STOP_MS=2500

# LOG|TEXT: the stand-ins' log lines, timestamps and process ids removed, in
# this order within each log. Only the printers with the driver of a model
# that has status variables are handed over.
LOG_LINES=(
  'ZAMWTQNT.log|started, version 1.2.0.0'
  'ZAMWTQNT.log|stop requested (stop), stopping in 1500 ms'
  'ZAMWTQNT.log|stopped, version 1.2.0.0'
  'ZAMBAZ.log|message 1030: closing'
  'ZAMBAZ.log|message 1030: ignored'
  'ZAMBAZ.log|message 1030: closing'
  'zamgik.log|OpenManagerExA printer="Kestrovane LP-1" 0 1 -> 0 handle=1'
  'zamgik.log|UpdatePrinterStatusA handle=1 variable="ServerConnection" size=4 value=00000000 -> 0'
  'zamgik.log|CloseManager handle=1 -> 0'
  'zamgik.log|OpenManagerExA printer="経理 LP-1" 0 1 -> 0 handle=2'
  'zamgik.log|UpdatePrinterStatusA handle=2 variable="ServerConnection" size=4 value=00000000 -> 0'
  'zamgik.log|CloseManager handle=2 -> 0'
)

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
wine_dir=$root/testbed/wine
. "$wine_dir/env.sh"

parse_test_options "$@"
require_wine_test_tools "test bed check"
require_lane_files "test bed check" testbed/check/fwdriver.exe testbed/check/suitedriver.exe

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
status=0
fail() {
  echo "FAIL: $*"
  status=1
}

started=$SECONDS
"$wine_dir/make-testbed-prefix.sh" "$work/template" --service demand
echo "template prefix made in $((SECONDS - started)) s"

# The firewall.
for row in "${FIREWALL_STEPS[@]}"; do printf '%s\r\n' "${row% => *}"; done >"$work/steps.txt"
"$wine_dir/run.sh" "$work/template" "$work/firewall" --put "$work/steps.txt" testbed/steps.txt \
  --put "$KV_LANE_BUILD/testbed/check/fwdriver.exe" testbed/bin/fwdriver.exe \
  -- 'C:\testbed\bin\fwdriver.exe' 'C:\testbed\steps.txt' >/dev/null || fail "fwdriver.exe ended with $(cat "$work/firewall/exit-code")"
for row in "${FIREWALL_STEPS[@]}"; do
  grep -qxF -- "$row" "$work/firewall/stdout" || fail "firewall step: want '$row', got '$(grep -F -- "${row% => *} =>" "$work/firewall/stdout" || true)'"
done

# The policy as Wine's reg (in code page 932) reads it back from the
# registry: VALUE<TAB>DATA under each list's key.
(
  export WINEPREFIX=$work/firewall/prefix
  trap stop_wineserver EXIT
  "$WINESERVER" </dev/null >/dev/null 2>&1
  "$WINELOADER" reg query 'HKLM\SYSTEM\CurrentControlSet\Services\SharedAccess\Parameters\FirewallPolicy' /s \
    </dev/null 2>"$work/firewall/reg-stderr" | iconv -f CP932 -t UTF-8 | tr -d '\r' >"$work/firewall/reg.txt"
)
for row in "${POLICY[@]}"; do
  IFS='|' read -r profile list name data <<<"$row"
  # (Through the environment: awk -v would take the backslashes for escapes.)
  got=$(KEY="\\$profile\\$list\\List" NAME=$name awk -F '    ' '
    /^HKEY_/ { key = ENVIRON["KEY"]; inside = substr($0, length($0) - length(key) + 1) == key; next }
    inside && $2 == ENVIRON["NAME"] && $3 == "REG_SZ" { print $4 }' "$work/firewall/reg.txt")
  [ "${got:--}" = "$data" ] || fail "policy $profile $list '$name': want '$data', got '${got:--}'"
done

# The suite.
"$wine_dir/run.sh" "$work/template" "$work/suite" \
  --put "$KV_LANE_BUILD/testbed/check/suitedriver.exe" testbed/bin/suitedriver.exe \
  -- 'C:\testbed\bin\suitedriver.exe' service panel ignoring handoff >/dev/null ||
  fail "suitedriver.exe ended with $(cat "$work/suite/exit-code")"
for line in "${SUITE_LINES[@]}"; do
  grep -qxF -- "$line" "$work/suite/stdout" || fail "suitedriver: '$line' missing"
done
stop_ms=$(awk '$1 == "service" && $2 == "stop-ms" { print $3 }' "$work/suite/stdout")
[ "${stop_ms:-0}" -ge $MIN_STOP_MS ] || fail "the service stopped in ${stop_ms:-?} ms, not at least $MIN_STOP_MS"
for log in ZAMWTQNT.log ZAMBAZ.log zamgik.log; do
  "$wine_dir/read-prefix.sh" "$work/suite/prefix" log "$log" | cut -d' ' -f3- >"$work/suite/$log" || true
  # The wanted lines must come in order, others may come between them.
  printf '%s\n' "${LOG_LINES[@]}" | awk -F '|' -v name="$log" '$1 == name { print substr($0, length(name) + 2) }' |
    awk 'NR == FNR { want[++n] = $0; next } i < n && $0 == want[i + 1] { ++i } END { if (i < n) print want[i + 1] }' \
      - "$work/suite/$log" >"$work/suite/$log.missing"
  [ ! -s "$work/suite/$log.missing" ] || fail "$log: '$(cat "$work/suite/$log.missing")' missing or out of order"
done

rm -rf "$work/template" "$work/firewall/prefix" "$work/suite/prefix"
if [ $status -eq 0 ]; then
  echo "stand-ins agree: ${#FIREWALL_STEPS[@]} firewall steps, ${#POLICY[@]} policy values," \
    "${#SUITE_LINES[@]} suite results, ${#LOG_LINES[@]} log lines ($((SECONDS - started)) s)"
fi
exit $status
