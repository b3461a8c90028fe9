#!/bin/bash
# Makes the probe's fixture files in OUTDIR from the PE fixture built by the
# win32 preset:
#   PLAIN.TXT   text, repetitive enough to compress well
#   PLAIN.TX_   PLAIN.TXT compressed by mscompress (SZDD)
#   VERFIX.EXE  a PE file with a version resource (1.2.3.4 / 5.6.7.8)
#   VERFIX.EX_  VERFIX.EXE compressed by mscompress (SZDD)
#   VERFIX.CAB  a cabinet holding VERFIX.EXE, stored, with block checksums
# and damaged copies of the compressed forms, as a broken download leaves
# them:
#   CUTHEAD.EX_ VERFIX.EX_ cut inside its 14-byte header (after 10 bytes)
#   CUTBODY.EX_ VERFIX.EX_ cut right after its header
#   CUTHALF.EX_ VERFIX.EX_ cut in the middle of the compressed stream
#   BADLEN.EX_  VERFIX.EX_ whose header records 512 bytes more than the
#               stream yields
#   CUTCAB.CAB  VERFIX.CAB cut in the middle of its data blocks
#   BADCAB.CAB  VERFIX.CAB with one byte of its first data block changed
# Every file gets the same old modification time, so that a copy that does
# not keep the source's time shows.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 PE-FIXTURE OUTDIR" >&2
  exit 2
fi
pe=$1
out=$2

rm -rf "$out"
mkdir -p "$out"
for i in $(seq 1 60); do
  printf 'Line %02d of the plain fixture: the quick brown fox jumps over the lazy dog.\r\n' "$i"
done >"$out/PLAIN.TXT"
cp "$pe" "$out/VERFIX.EXE"

# mscompress leaves the original and writes NAME_ beside it; the shipped
# files carry the 8.3 form with the last character replaced by "_".
(cd "$out" && mscompress PLAIN.TXT VERFIX.EXE)
mv "$out/PLAIN.TXT_" "$out/PLAIN.TX_"
mv "$out/VERFIX.EXE_" "$out/VERFIX.EX_"
# gcab stores the file uncompressed (no -z) and checksums every data block.
(cd "$out" && gcab -c VERFIX.CAB VERFIX.EXE)

size() { stat -c %s "$1"; }
# The unsigned 32-bit little-endian number at OFFSET of FILE.
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
# Writes BYTE... (numbers) at OFFSET of FILE.
put_bytes() {
  local file=$1 at=$2
  shift 2
  printf "$(printf '\\%03o' "$@")" | dd of="$file" bs=1 seek="$at" conv=notrunc status=none
}

head -c 10 "$out/VERFIX.EX_" >"$out/CUTHEAD.EX_"
head -c 14 "$out/VERFIX.EX_" >"$out/CUTBODY.EX_"
head -c $(($(size "$out/VERFIX.EX_") / 2)) "$out/VERFIX.EX_" >"$out/CUTHALF.EX_"
cp "$out/VERFIX.EX_" "$out/BADLEN.EX_"
length=$(($(u32 "$out/VERFIX.EX_" 10) + 512))
put_bytes "$out/BADLEN.EX_" 10 $((length & 255)) $((length >> 8 & 255)) $((length >> 16 & 255)) $((length >> 24))
head -c $(($(size "$out/VERFIX.CAB") / 2)) "$out/VERFIX.CAB" >"$out/CUTCAB.CAB"
# The folder entry follows the 36-byte header (no reserved fields); its first
# field is the offset of the first data block, whose 8-byte header precedes
# the data.
cp "$out/VERFIX.CAB" "$out/BADCAB.CAB"
at=$(($(u32 "$out/VERFIX.CAB" 36) + 8 + 100))
put_bytes "$out/BADCAB.CAB" "$at" $(($(od -An -tu1 -j "$at" -N1 "$out/VERFIX.CAB") ^ 0xFF))

touch -d '2004-06-01 12:00:00 UTC' "$out"/*
