#!/bin/bash
# Makes the test bed's template prefix in DIR (removing what was there): a
# fresh prefix (make-prefix.sh) with the stand-ins of the lane's build
# installed, once per run; scenarios copy it (run.sh).
#
#   make-testbed-prefix.sh DIR [--service auto|demand|none]
#                          [--spooler auto|demand] [--graphics null|x11]
#
# The lane (env.sh) gives the prefix's architecture and the build tree whose
# stand-ins it installs.
#
# What the template holds:
# - the firewall stand-in fwstandin.dll in system32, registered (regsvr32)
#   in place of Wine's firewall classes, with a fresh XP SP2 policy;
# - the suite installed: ZAMWTQNT.EXE and ZAMPUX.DLL 1.2.0.0, ZAMBAZ.EXE and
#   zamgik.dll in system32, the uninstall entry, the printer models, drivers
#   and printers, and the service ZAMWTQNT (demand start unless --service);
# - the files the tool ships, compressed: C:\testbed\shipped\older\ (1.1.0.0)
#   and C:\testbed\shipped\newer\ (1.3.0.0), each ZAMPUX.DL_ and
#   ZAMWTQNT.EX_; all suite files dated 2005-04-01 12:00 UTC;
# - C:\testbed\bin\suitesetup.exe, to reinstall or change the suite;
# - Wine's graphics driver (default "null": windows without a display) and
#   Japanese fonts for captions and dialogs (IPA Gothic in place of the
#   faces a Japanese Windows XP uses);
# - the print spooler's start type, when --spooler is given (Wine's is
#   demand start and stopped).
# The prefix's server is stopped at the end, so the next start of the
# prefix starts the auto-start services afresh. Set-up output goes to
# DIR.log.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

usage() {
  echo "usage: $0 DIR [--service auto|demand|none] [--spooler auto|demand] [--graphics null|x11]" >&2
  exit 2
}
[ $# -ge 1 ] || usage
template=$1
shift
setup_args=()
graphics=null
while [ $# -gt 0 ]; do
  case $1 in
    --service | --spooler) [ $# -ge 2 ] || usage; setup_args+=("$1" "$2"); shift 2 ;;
    --graphics) [ $# -ge 2 ] || usage; graphics=$2; shift 2 ;;
    *) usage ;;
  esac
done
case $graphics in null | x11) ;; *) usage ;; esac
stand_ins=$KV_LANE_BUILD/testbed
for file in firewall/fwstandin.dll suite/ZAMBAZ.EXE suite/zamgik.dll suite/suitesetup.exe \
  suite/{1.1.0.0,1.2.0.0,1.3.0.0}/{ZAMWTQNT.EXE,ZAMPUX.DLL}; do
  [ -f "$stand_ins/$file" ] || { echo "make-testbed-prefix: $stand_ins/$file is missing (build the $lane_preset preset)" >&2; exit 1; }
done
command -v mscompress >/dev/null || { echo "make-testbed-prefix: mscompress is missing" >&2; exit 1; }

"$here/make-prefix.sh" "$template"
export WINEPREFIX
WINEPREFIX=$(cd "$template" && pwd)
log=$WINEPREFIX.log
drive_c=$WINEPREFIX/drive_c
system32=$drive_c/windows/system32
suite_time='2005-04-01 12:00:00 UTC'

# The stand-ins and the installed suite.
cp "$stand_ins/firewall/fwstandin.dll" "$stand_ins/suite/ZAMBAZ.EXE" "$stand_ins/suite/zamgik.dll" \
  "$stand_ins/suite/1.2.0.0/ZAMWTQNT.EXE" "$stand_ins/suite/1.2.0.0/ZAMPUX.DLL" "$system32/"
mkdir -p "$drive_c/testbed/bin" "$drive_c/testbed/logs"
cp "$stand_ins/suite/suitesetup.exe" "$drive_c/testbed/bin/"
# The shipped files, as COMPRESS.EXE names them (last character "_").
for kind in older:1.1.0.0 newer:1.3.0.0; do
  dir=$drive_c/testbed/shipped/${kind%%:*}
  mkdir -p "$dir"
  cp "$stand_ins/suite/${kind#*:}/ZAMWTQNT.EXE" "$stand_ins/suite/${kind#*:}/ZAMPUX.DLL" "$dir/"
  (cd "$dir" && mscompress ZAMWTQNT.EXE ZAMPUX.DLL && rm ZAMWTQNT.EXE ZAMPUX.DLL &&
    mv ZAMWTQNT.EXE_ ZAMWTQNT.EX_ && mv ZAMPUX.DLL_ ZAMPUX.DL_)
  touch -d "$suite_time" "$dir"/*
done
touch -d "$suite_time" "$system32"/{ZAMWTQNT.EXE,ZAMPUX.DLL,ZAMBAZ.EXE,zamgik.dll}

# User settings: the graphics driver and the Japanese font faces. regedit
# reads a UTF-16 file, which carries the Japanese names whatever the locale.
settings=$drive_c/testbed/settings.reg
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\r\n"Graphics"="%s"\r\n\r\n' "$graphics"
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  for face in 'MS Shell Dlg' 'MS UI Gothic' 'MS PGothic' 'ＭＳ Ｐゴシック'; do
    printf '"%s"="IPAPGothic"\r\n' "$face"
  done
  for face in 'MS Gothic' 'ＭＳ ゴシック'; do
    printf '"%s"="IPAGothic"\r\n' "$face"
  done
  printf '\r\n'
} | iconv -f UTF-8 -t UTF-16 >"$settings"

# The server is started apart, with no inherited descriptors (see run.sh).
trap stop_wineserver EXIT
"$WINESERVER" </dev/null >/dev/null 2>&1
fail() {
  echo "make-testbed-prefix: $1 (see $log)" >&2
  exit 1
}
"$WINELOADER" regedit /S 'C:\testbed\settings.reg' </dev/null >>"$log" 2>&1 || fail "the settings could not be imported"
"$WINELOADER" regsvr32 /s 'C:\windows\system32\fwstandin.dll' </dev/null >>"$log" 2>&1 ||
  fail "the firewall stand-in could not be registered"
"$WINELOADER" 'C:\testbed\bin\suitesetup.exe' "${setup_args[@]}" </dev/null >>"$log" 2>&1 ||
  fail "the suite could not be installed"
rm "$settings"
# Let the server write the registry out before the prefix is copied.
"$WINESERVER" -k >/dev/null 2>&1 || true
"$WINESERVER" -w
trap - EXIT
