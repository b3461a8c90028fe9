# What KV_UPDAT.EXE changes on a computer, read from a test-bed prefix from
# outside the tool, into one directory of small tab-separated files that
# report.sh prints. Sourced by tools/demo.sh after testbed/wine/env.sh and
# session.sh.
#
#   state_files_and_registry PREFIX DIR   with the prefix's server stopped
#                                         (the registry files are then what
#                                         the server last wrote)
#   state_suite DIR                       while the session runs
#
# Files written:
#   apps      PROFILE NAME PATH SCOPE ENABLED   the authorized programs
#   ports     PROFILE PORT SCOPE ENABLED        File and Printer Sharing
#   files     FILE VERSION                      the suite's files in system32,
#                                               staging copies (NAME.000 ...)
#                                               included
#   pending   one string a line of PendingFileRenameOperations
#   suite     WHAT STATE                        the two services and the panel

STATE_POLICY='HKLM\SYSTEM\CurrentControlSet\Services\SharedAccess\Parameters\FirewallPolicy'
STATE_SESSION_MANAGER='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager'
STATE_READER=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../testbed/wine" && pwd)/read-prefix.sh

# A list's values: NAME<TAB>TYPE<TAB>DATA, nothing when the key is missing.
state_list() {  # PREFIX PROFILE LIST
  "$STATE_READER" "$1" reg "$STATE_POLICY\\$2\\$3\\List" 2>/dev/null || true
}

# "Enabled"/"Disabled" as the firewall's own words for a list entry's state.
state_switch() {
  case $1 in Enabled) echo yes ;; Disabled) echo no ;; *) echo "$1" ;; esac
}

state_files_and_registry() {  # PREFIX DIR
  local prefix=$1 dir=$2 profile label name type data rest scope enabled file
  mkdir -p "$dir"
  : >"$dir/apps"
  : >"$dir/ports"
  for profile in DomainProfile StandardProfile; do
    label=$(echo "${profile%Profile}" | tr '[:upper:]' '[:lower:]')
    # path:scope:Enabled|Disabled:name, the value named by the path.
    while IFS=$'\t' read -r name type data; do
      rest=${data:${#name}+1}
      scope=${rest%%:*}
      rest=${rest#*:}
      enabled=${rest%%:*}
      printf '%s\t%s\t%s\t%s\t%s\n' "$label" "${rest#*:}" "$name" "$scope" "$(state_switch "$enabled")"
    done < <(state_list "$prefix" "$profile" AuthorizedApplications) >>"$dir/apps"
    # port:protocol:scope:Enabled|Disabled:name, the value named port:protocol.
    while IFS=$'\t' read -r name type data; do
      rest=${data#*:*:}
      scope=${rest%%:*}
      rest=${rest#*:}
      printf '%s\t%s\t%s\t%s\n' "$label" "${name/:/\/}" "$scope" "$(state_switch "${rest%%:*}")"
    done < <(state_list "$prefix" "$profile" GloballyOpenPorts) >>"$dir/ports"
  done
  "$STATE_READER" "$prefix" reg "$STATE_SESSION_MANAGER" PendingFileRenameOperations >"$dir/pending" 2>/dev/null || true
  : >"$dir/files"
  for file in ZAMPUX.DLL ZAMWTQNT.EXE; do
    printf '%s\t%s\n' "$file" "$("$STATE_READER" "$prefix" version "C:\\windows\\system32\\$file" || true)" >>"$dir/files"
  done
  # Staging copies: the installed name with a three-digit extension.
  find "$prefix/drive_c/windows/system32" -maxdepth 1 \( -iname 'ZAMPUX.[0-9][0-9][0-9]' -o \
    -iname 'ZAMWTQNT.[0-9][0-9][0-9]' \) -printf '%f\n' | sort | while read -r file; do
    printf '%s\t%s\n' "$file" "$("$STATE_READER" "$prefix" version "C:\\windows\\system32\\$file" || true)"
  done >>"$dir/files"
}

state_suite() {  # DIR
  mkdir -p "$1"
  {
    printf 'ZAMWTQNT\t%s\n' "$(service_state ZAMWTQNT)"
    printf 'Spooler\t%s\n' "$(service_state Spooler)"
    printf 'ZAMBAZ.EXE\t%s\n' "$(panel_state)"
  } >"$1/suite"
}
