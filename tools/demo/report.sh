# Prints the demo's before/after report for an administrator: aligned
# columns (a kanji takes two), texts in UTF-8. Sourced by tools/demo.sh.
#
#   report_print RUN
#
# RUN is the demo's run directory: program (which program ran, and why),
# before/ and after/ (state.sh), shipped
# (FILE<TAB>VERSION of the files beside the tool), command, scenario,
# started (the clock time the tool started), seconds, exit-code,
# tool.stderr (Wine's trace of the tool: its fixme lines) and logs/ (the
# stand-ins' logs in UTF-8).

REPORT_EXIT_CODES=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/docs/exit-codes.md

report_width() {
  printf '%s' "$1" | wc -L
}

# Tab-separated rows from stdin, the first a header, as columns two blanks
# apart, each line indented by two blanks. A cell may be empty.
report_table() {
  local -a rows widths cells
  local row cell line i width
  mapfile -t rows
  for row in "${rows[@]}"; do
    # A tab is a blank to `read`, which would drop empty cells.
    IFS=$'\x1f' read -ra cells <<<"${row//$'\t'/$'\x1f'}"
    for i in "${!cells[@]}"; do
      width=$(report_width "${cells[$i]}")
      if [ "$width" -gt "${widths[$i]:-0}" ]; then widths[$i]=$width; fi
    done
  done
  for row in "${rows[@]}"; do
    IFS=$'\x1f' read -ra cells <<<"${row//$'\t'/$'\x1f'}"
    line=
    for i in "${!cells[@]}"; do
      cell=${cells[$i]}
      width=$(report_width "$cell")
      line="$line  $cell$(printf '%*s' $((widths[i] - width)) '')"
    done
    printf '%s\n' "${line%"${line##*[! ]}"}"
  done
}

report_heading() {
  printf '\n%s\n' "$1"
}

# A scope as the firewall lists it: "*", "LocalSubNet" or addresses.
REPORT_SCOPE_AWK='function scope(text) { return text == "*" ? "* (any address)" : text }'

report_apps() {  # RUN
  local when
  report_heading "Windows Firewall: authorized programs (AuthorizedApplications\\List)"
  for when in before after; do
    awk -F '\t' -v when="$when" "$REPORT_SCOPE_AWK"'
      { listed[$1] = listed[$1] sprintf("%s\t%s\t%s\t%s\t%s\t%s\n", when, $1, $2, $3, scope($4), $5) }
      END { for (i = 1; i <= 2; ++i) { p = i == 1 ? "domain" : "standard"; printf "%s", (p in listed) ? listed[p] : when "\t" p "\t(none)\n" } }' \
      "$1/$when/apps"
  done | { printf 'When\tProfile\tName\tImage path\tScope\tEnabled\n'; cat; } | report_table
}

report_ports() {  # RUN
  local profile port
  report_heading "File and Printer Sharing (GloballyOpenPorts\\List)"
  {
    printf 'Profile\tPort\tBefore: enabled, scope\tAfter: enabled, scope\n'
    for profile in domain standard; do
      for port in 139/TCP 445/TCP 137/UDP 138/UDP; do
        printf '%s\t%s' "$profile" "$port"
        for when in before after; do
          awk -F '\t' -v p="$profile" -v port="$port" "$REPORT_SCOPE_AWK"'BEGIN { cell = "(none)" }
            $1 == p && $2 == port { cell = $4 ", " scope($3) } END { printf "\t%s", cell }' "$1/$when/ports"
        done
        printf '\n'
      done
    done
  } | report_table
}

report_files() {  # RUN
  report_heading "The suite's files in C:\\windows\\system32 (file versions)"
  awk -F '\t' 'FILENAME ~ /shipped$/ { shipped[$1] = $2; next }
    FILENAME ~ /before\/files$/ { before[$1] = $2; if (!($1 in seen)) { seen[$1] = 1; order[++n] = $1 }; next }
    { after[$1] = $2; if (!($1 in seen)) { seen[$1] = 1; order[++n] = $1 } }
    END {
      print "File\tShipped beside the tool\tBefore\tAfter"
      for (i = 1; i <= n; ++i) {
        f = order[i]
        key = substr(f, 1, length(f) - 1) "_"
        note = f ~ /\.[0-9][0-9][0-9]$/ ? "(staging copy)" : "-"
        printf "%s\t%s\t%s\t%s\n", f, (key in shipped) ? shipped[key] : note,
          (f in before) ? before[f] : "-", (f in after) ? after[f] : "-"
      }
    }' "$1/shipped" "$1/before/files" "$1/after/files" | report_table
}

report_suite() {  # RUN
  report_heading "The suite's services and status panel"
  awk -F '\t' 'BEGIN {
      what["ZAMWTQNT"] = "ZAMWTQNT (status server service)"
      what["Spooler"] = "Spooler (print spooler service)"
      what["ZAMBAZ.EXE"] = "ZAMBAZ.EXE (status panel)"
    }
    FILENAME ~ /before\/suite$/ { before[$1] = tolower($2); order[++n] = $1; next }
    { after[$1] = tolower($2) }
    END {
      print "Service or program\tBefore\tAfter"
      for (i = 1; i <= n; ++i) printf "%s\t%s\t%s\n", what[order[i]], before[order[i]], after[order[i]]
    }' "$1/before/suite" "$1/after/suite" | report_table
}

# The stand-ins' log lines written while the tool ran, by time from its
# start: what the suite was asked to do.
report_timeline() {  # RUN
  local log
  report_heading "What the suite saw while the tool ran (the stand-ins' logs)"
  for log in ZAMWTQNT.log ZAMBAZ.log zamgik.log; do
    if [ -f "$1/logs/$log" ]; then sed "s/^/$log /" "$1/logs/$log"; fi
  done | awk -v start="$(cat "$1/started")" '
    function seconds(clock, fields) { split(clock, fields, ":"); return fields[1] * 3600 + fields[2] * 60 + fields[3] }
    BEGIN { from = seconds(start) }
    {
      at = seconds($2) - from
      if (at < -43200) at += 86400
      if (at < 0) next
      source = $1 == "ZAMWTQNT.log" ? "ZAMWTQNT" : $1 == "ZAMBAZ.log" ? "ZAMBAZ.EXE" : "zamgik.dll"
      text = $0
      sub(/^[^ ]+ [^ ]+ [^ ]+ /, "", text)
      printf "%09.3f\t+%.3f s\t%s\t%s\n", at, at, source, text
    }' | sort -s -k1,1 | cut -f2- >"$1/timeline"
  if [ -s "$1/timeline" ]; then
    { printf 'Time\tProgram\tEvent\n'; cat "$1/timeline"; } | report_table
  else
    echo "  nothing: the tool did not touch the suite's programs"
  fi
}

report_pending() {  # RUN
  local when
  report_heading "Replacements at the next start of Windows (PendingFileRenameOperations)"
  for when in before after; do
    awk -v when="$when" '
      { replacing[n + 1] = sub(/^!/, ""); sub(/^\\\?\?\\/, ""); item[++n] = $0 }
      END {
        if (n == 0) { printf "%s\t(none)\n", when; exit }
        for (i = 1; i + 1 <= n; i += 2) {
          if (item[i + 1] == "") printf "%s\tdelete\t%s\n", (i == 1 ? when : ""), item[i]
          else printf "%s\t%s\t%s -> %s\n", (i == 1 ? when : ""), replacing[i + 1] ? "replace" : "rename",
                      item[i], item[i + 1]
        }
      }' "$1/$when/pending"
  done | { printf 'When\tOperation\tFile\n'; cat; } | report_table
}

# Wine's InitiateSystemShutdownExA only records the call in its fixme trace
# (machine, message as escaped code page 932 bytes cut after some 80, time-out,
# force, reboot, reason) and restarts nothing.
report_restart() {  # RUN
  local line machine message rest timeout force reboot reason
  report_heading "Restart of Windows (observed in Wine's trace, not performed)"
  line=$(grep -a -m1 'fixme:advapi:InitiateSystemShutdownExA' "$1/tool.stderr" || true)
  if [ -z "$line" ]; then
    echo "  not requested (no call of InitiateSystemShutdownExA)"
    return
  fi
  machine=${line#*InitiateSystemShutdownExA }
  machine=${machine%% *}
  message=${line#*InitiateSystemShutdownExA * \"}
  rest=${message##*\"}
  message=${message%\"*}
  read -r timeout force reboot reason <<<"${rest#...}"
  {
    printf 'requested\tInitiateSystemShutdownExA, for %s\n' "$([ "$machine" = "(null)" ] && echo "this computer" || echo "$machine")"
    printf 'time-out\t%s s\n' "$timeout"
    printf 'applications\t%s\n' "$([ "$force" = 0 ] && echo "not forced to close" || echo "forced to close")"
    printf 'afterwards\t%s\n' "$([ "$reboot" = 1 ] && echo "restart" || echo "stay shut down")"
    printf 'reason\t%s\n' "$reason"
    printf 'message\t%s%s\n' "$(printf '%b' "${message//\\\"/\"}" | iconv -c -f CP932 -t UTF-8 2>/dev/null)" \
      "$([[ $rest == ...* ]] && echo "... (as far as Wine's trace shows it)")"
  } | report_table
}

# The run's event as Event Viewer shows it: Wine traces the call of
# ReportEventA (type and id) and, on its eventlog channel, the inserts
# (UTF-16, \XXXX escapes); the text is the message of events.mc with them.
REPORT_MESSAGES=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/src/ui/resources/events.mc
report_event() {  # RUN
  report_heading "The run's event (Application log, source KV_UPDAT; from Wine's trace)"
  local type id
  read -r type id < <(grep -a -m1 'fixme:advapi:ReportEventA ' "$1/tool.stderr" |
    awk -F '[(,]' '{ print $3, $5 }' || true)
  if [ -z "${id:-}" ]; then
    echo "  none written"
    return
  fi
  case $type in 0x0001) type=Error ;; 0x0002) type=Warning ;; *) type=Information ;; esac
  printf '  Event ID %d, %s\n' $((id & 0xFFFF)) "$type"
  grep -a ':eventlog:ReportEventW L"' "$1/tool.stderr" | sed 's/^[^"]*L"//; s/"$//' |
    perl -CS -pe 's/\\([0-9a-f]{4})/chr(hex($1))/ge' >"$1/event-inserts"
  awk -v id=$((id & 0xFFFF)) -v inserts="$1/event-inserts" '
    BEGIN { n = 0; while ((getline line < inserts) > 0) value[++n] = line }
    $0 == "MessageId=" id { found = 1; next }
    found && /^Language=/ { text = 1; next }
    text && $0 == "." { exit }
    text {
      for (i = n; i >= 1; --i) gsub("%" i, value[i])
      print "  " $0
    }' "$REPORT_MESSAGES"
}

report_exit_code() {  # RUN
  local code name when todo
  code=$(cat "$1/exit-code")
  report_heading "Exit code"
  if [ "$code" -eq 124 ]; then
    echo "  $code: the tool did not end within the demo's time limit and was stopped"
    return
  fi
  IFS=$'\t' read -r name when todo < <(awk -F ' *[|] *' -v code="$code" '$2 == code { print $3 "\t" $4 "\t" $5 }' "$REPORT_EXIT_CODES" |
    tr -d '`')
  printf '  %s %s\n' "$code" "${name:-(not a code of the tool)}"
  [ -n "$when" ] && printf '%s\n' "$when" "What to do: $todo" | fold -s -w 74 | sed 's/ *$//; s/^/    /'
  return 0
}

report_print() {  # RUN
  cat "$1/program"
  printf '%s\n' "$(cat "$1/command") under Wine: before and after"
  sed 's/^/  /' "$1/scenario"
  report_apps "$1"
  report_ports "$1"
  report_files "$1"
  report_suite "$1"
  report_timeline "$1"
  report_pending "$1"
  report_restart "$1"
  report_event "$1"
  report_exit_code "$1"
  printf '\n  The tool ran %s s; the files of this run are in %s.\n' "$(cat "$1/seconds")" "${1#"$PWD"/}"
}
