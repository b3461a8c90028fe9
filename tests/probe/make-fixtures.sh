#!/bin/bash
# Makes the probe's fixture files in OUTDIR from the PE fixture built by the
# win32 preset:
#   PLAIN.TXT   text, repetitive enough to compress well
#   PLAIN.TX_   PLAIN.TXT compressed by mscompress (SZDD)
#   VERFIX.EXE  a PE file with a version resource (1.2.3.4 / 5.6.7.8)
#   VERFIX.EX_  VERFIX.EXE compressed by mscompress (SZDD)
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

touch -d '2004-06-01 12:00:00 UTC' "$out"/*
