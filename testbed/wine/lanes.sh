# The two lanes of the Wine stage, and whether this machine runs 32-bit code.
# Sourced by env.sh and by the scripts in tools/; the one place that decides
# a lane's loader, server, prefix architecture and build tree.
#
#   i686    the shipped program (build/win32) under 32-bit Wine, in a win32
#           prefix; only where the kernel runs 32-bit x86 code
#   x86_64  the same sources built for x86_64 (build/win64) under 64-bit Wine,
#           in a win64 prefix; on every x86_64 machine
#
# Debian's `wine` and `wineserver` commands pick a loader and a server by
# themselves (the 32-bit loader whenever wine32 is installed), so each lane
# names its own. WINELOADER and WINESERVER are also what Wine reads to start
# its server and its programs, so Wine's own starts agree with the lane.

KV_LANES="i686 x86_64"

# True when this machine runs 32-bit x86 programs. Asked once: the answer is
# kept in KV_RUNS_32BIT (yes or no), which the scripts started from here
# inherit; set it to "no" beforehand to try the behaviour of a machine
# without 32-bit support on one that has it.
runs_32bit_code() {
  if [ -z "${KV_RUNS_32BIT:-}" ]; then
    KV_RUNS_32BIT=no
    local dir
    if dir=$(mktemp -d 2>/dev/null); then
      # A 93-byte i386 ELF program whose only instructions are exit(0). A
      # kernel without 32-bit support refuses it ("Exec format error").
      printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\061\333\270\001\000\000\000\315\200' >"$dir/exit0"
      chmod +x "$dir/exit0"
      if (exec "$dir/exit0") </dev/null >/dev/null 2>&1; then KV_RUNS_32BIT=yes; fi
      rm -rf "$dir"
    fi
    export KV_RUNS_32BIT
  fi
  [ "$KV_RUNS_32BIT" = yes ]
}

runs_32bit_code || :

# Why LANE cannot run on this machine, or nothing when it can.
lane_unavailable() {  # LANE
  case $1 in
    i686) runs_32bit_code || echo "this machine runs no 32-bit code" ;;
    x86_64) ;;
    *) echo "no such lane: $1 (lanes: $KV_LANES)" ;;
  esac
}

# The lanes this machine runs, the shipped program's first.
machine_lanes() {
  local lane
  for lane in $KV_LANES; do
    [ -n "$(lane_unavailable "$lane")" ] || echo "$lane"
  done
}

# Makes LANE the current one: exports WINEARCH, WINELOADER, WINESERVER,
# KV_LANE and KV_LANE_BUILD (its build tree: BUILD, or its preset's below
# ROOT), and sets lane_preset (the CMake preset that builds it). Scripts
# started afterwards inherit the lane.
use_lane() {  # LANE ROOT [BUILD]
  case $1 in
    i686) WINEARCH=win32 WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32 lane_preset=win32 ;;
    x86_64) WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 lane_preset=win64 ;;
    *) echo "no such lane: $1 (lanes: $KV_LANES)" >&2; return 2 ;;
  esac
  KV_LANE=$1
  KV_LANE_BUILD=${3:-$2/build/$lane_preset}
  export WINEARCH WINELOADER WINESERVER KV_LANE KV_LANE_BUILD
}
