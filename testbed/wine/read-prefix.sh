#!/bin/bash
# Looks into a prefix from outside, without starting Wine (a start would
# carry out pending file renames and start the auto-start services).
#
#   read-prefix.sh PREFIX reg KEY [VALUE]   the key's values from system.reg or
#                                       user.reg (HKLM, HKCU, HKCR), one a
#                                       line: NAME<TAB>TYPE<TAB>DATA; with
#                                       VALUE only its data. A REG_MULTI_SZ
#                                       gives one line per string.
#   read-prefix.sh PREFIX version WINPATH   the file version of a PE file, or of
#                                       the file an SZDD file (.EX_)
#                                       expands to (1.2.0.0), or "none"
#   read-prefix.sh PREFIX log NAME          a stand-in's log (C:\testbed\logs),
#                                       in UTF-8 with Unix line ends
#   read-prefix.sh PREFIX path WINPATH      the host path of a file of drive C
#
# Exits with 1 when the key, value, file or log is missing. The registry
# files are what the prefix's server last wrote: stop the server first
# (wineserver -k) or read the running prefix with `wine reg query`.
set -euo pipefail

usage() {
  echo "usage: $0 PREFIX reg KEY [VALUE] | version WINPATH | log NAME | path WINPATH" >&2
  exit 2
}
[ $# -ge 3 ] || usage
prefix=$1
command=$2
shift 2

# C:\windows\system32\X -> PREFIX/drive_c/windows/system32/X, the last
# component matched without case as Wine does.
host_path() {
  local rest=${1#[Cc]:\\}
  local path=$prefix/drive_c/${rest//\\//}
  if [ ! -e "$path" ]; then
    local match
    match=$(find "$(dirname "$path")" -maxdepth 1 -iname "$(basename "$path")" -print -quit 2>/dev/null || true)
    [ -n "$match" ] && path=$match
  fi
  echo "$path"
}

case $command in
  path)
    [ $# -eq 1 ] || usage
    host_path "$1"
    ;;
  log)
    [ $# -eq 1 ] || usage
    log=$prefix/drive_c/testbed/logs/$1
    [ -f "$log" ] || exit 1
    iconv -f CP932 -t UTF-8 "$log" | tr -d '\r'
    ;;
  version)
    [ $# -eq 1 ] || usage
    file=$(host_path "$1")
    [ -f "$file" ] || { echo none; exit 1; }
    if [ "$(head -c 4 "$file" | tr -d '\000')" = SZDD ]; then
      expanded=$(mktemp)
      trap 'rm -f "$expanded"' EXIT
      msexpand <"$file" >"$expanded" 2>/dev/null || { echo none; exit 1; }
      file=$expanded
    fi
    # VS_FIXEDFILEINFO starts with its signature 0xFEEF04BD; the file
    # version follows the structure version: MS then LS, each two words.
    at=$(LC_ALL=C grep -obUaP '\xBD\x04\xEF\xFE' "$file" | head -1 | cut -d: -f1 || true)
    [ -n "$at" ] || { echo none; exit 1; }
    read -r ms ls < <(od -An -tu4 -j $((at + 8)) -N 8 "$file")
    echo "$((ms >> 16)).$((ms & 65535)).$((ls >> 16)).$((ls & 65535))"
    ;;
  reg)
    [ $# -ge 1 ] && [ $# -le 2 ] || usage
    key=$1
    case ${key%%\\*} in
      HKLM | HKEY_LOCAL_MACHINE) file=system.reg; key=${key#*\\} ;;
      HKCU | HKEY_CURRENT_USER) file=user.reg; key=${key#*\\} ;;
      HKCR | HKEY_CLASSES_ROOT) file=system.reg; key=Software\\Classes\\${key#*\\} ;;
      *) usage ;;
    esac
    [ -f "$prefix/$file" ] || exit 1
    LC_ALL=C awk -v want="$key" -v value="${2-}" -v only="$#" -f "$(dirname "$0")/read-reg.awk" "$prefix/$file"
    ;;
  *) usage ;;
esac
