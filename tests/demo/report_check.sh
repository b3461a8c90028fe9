#!/bin/bash
# Checks how the demo reads a prefix and reports it, on a made-up prefix
# and run, without Wine: the firewall lists (paths and names with colons,
# kanji), PendingFileRenameOperations in Wine's text form (an escaped
# backslash before a 0, a deletion last) and the restart's fixme line
# (code page 932 escapes with ASCII trail bytes, cut by Wine).
#
#   report_check.sh WORK
#
# Exit codes: 0 passed, 1 failed, 77 skipped (no ja_JP.UTF-8 locale; with CI
# set, that is a failure).
set -euo pipefail

# Lines the report must hold (after runs of blanks are made one).
EXPECTED=(
  'before domain App: A C:\apps\a.exe LocalSubNet yes'
  'before domain 経理 C:\apps\経.exe 10.0.0.1,192.168.1.0/255.255.255.0 no'
  'before standard (none)'
  'after domain (none)'
  'standard 139/TCP (none) yes, * (any address)'
  'domain 445/TCP no, LocalSubNet (none)'
  'after replace C:\windows\system32\ZAMWTQNT.000 -> C:\windows\system32\ZAMWTQNT.EXE'
  'delete C:\0\経.txt'
  'reason 0x80030004'
  'message 対応 Kestrovane 設定ツール... (as far as Wine'"'"'s trace shows it)'
  '0 JobOk'
  'Event ID 1101, Warning'
  '実行モード: サイレント セットアップ (S)'
  'ZAMWTQNT.EXE: 次回の Windows の起動時に置き換えます'
  'Windows の再起動: 要求しました'
)

root=$(cd "$(dirname "$0")/../.." && pwd)
[ $# -eq 1 ] || { echo "usage: $0 WORK" >&2; exit 1; }
. "$root/testbed/wine/env.sh"
japanese_locale_available || cannot_run "the demo's report check" "the ja_JP.UTF-8 locale is missing"
. "$root/tools/demo/state.sh"
. "$root/tools/demo/report.sh"

work=$1
rm -rf "$work"
mkdir -p "$work/before/drive_c/windows/system32" "$work/after/drive_c/windows/system32" "$work/run"
cat >"$work/before/system.reg" <<'REG'
WINE REGISTRY Version 2

[System\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\DomainProfile\\AuthorizedApplications\\List] 1
"C:\\apps\\a.exe"="C:\\apps\\a.exe:LocalSubNet:Enabled:App: A"
"C:\\apps\\\x7d4c.exe"="C:\\apps\\\x7d4c.exe:10.0.0.1,192.168.1.0/255.255.255.0:Disabled:\x7d4c\x7406"

[System\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\DomainProfile\\GloballyOpenPorts\\List] 1
"445:TCP"="445:TCP:LocalSubNet:Disabled:@xpsp2res.dll,-22005"
REG
cat >"$work/after/system.reg" <<'REG'
WINE REGISTRY Version 2

[System\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\StandardProfile\\GloballyOpenPorts\\List] 1
"139:TCP"="139:TCP:*:Enabled:@xpsp2res.dll,-22004"

[System\\CurrentControlSet\\Control\\Session Manager] 1
"PendingFileRenameOperations"=str(7):"\\??\\C:\\windows\\system32\\ZAMWTQNT.000\0!\\??\\C:\\windows\\system32\\ZAMWTQNT.EXE\0\\??\\C:\\0\\\x7d4c.txt\0\0"
REG
for when in before after; do
  state_files_and_registry "$work/$when" "$work/run/$when"
  printf 'ZAMWTQNT\tRUNNING\nSpooler\tSTOPPED\nZAMBAZ.EXE\topen\n' >"$work/run/$when/suite"
done
run=$work/run
echo 'Program: build/win64/KV_UPDAT.EXE, the x86_64 build' >"$run/program"
echo 'C:\kv\KV_UPDAT.EXE S' >"$run/command"
echo 'made up' >"$run/scenario"
echo '12:00:00.000' >"$run/started"
echo 0.2 >"$run/seconds"
echo 0 >"$run/exit-code"
: >"$run/shipped"
mkdir -p "$run/logs"
echo '0124:fixme:advapi:InitiateSystemShutdownExA (null) "\x91\xce\x89\x9e Kestrovane \x90\xdd\x92\xe8\x83c\x81[\x83\x8b\x82"... 0 0 1 0x80030004' \
  >"$run/tool.stderr"
# The event as Wine traces it: the call with type and id, then the inserts.
{
  echo '0124:fixme:advapi:ReportEventA (00000000CAFE4242,0x0002,0x0000,0x8000044d,0000000000000000,0x000a,0x00000000,000000000021F918,0000000000000000): stub'
  for insert in '\30b5\30a4\30ec\30f3\30c8 \30bb\30c3\30c8\30a2\30c3\30d7 (S)' 0 - - - - \
    '\6b21\56de\306e Windows \306e\8d77\52d5\6642\306b\7f6e\304d\63db\3048\307e\3059' - - \
    '\8981\6c42\3057\307e\3057\305f'; do
    echo "0124:warn:eventlog:ReportEventW L\"$insert\""
  done
} >>"$run/tool.stderr"

report_print "$run" >"$work/report.txt"
failures=0
if [ "$(head -n 1 "$work/report.txt")" != "$(cat "$run/program")" ]; then
  echo "FAIL: the report does not begin with the program that ran"
  failures=$((failures + 1))
fi
for line in "${EXPECTED[@]}"; do
  if ! tr -s ' ' <"$work/report.txt" | grep -qF -- "$line"; then
    echo "FAIL: the report lacks: $line"
    failures=$((failures + 1))
  fi
done
if [ $failures -gt 0 ]; then
  cat "$work/report.txt"
  exit 1
fi
echo "the report holds all ${#EXPECTED[@]} lines"
