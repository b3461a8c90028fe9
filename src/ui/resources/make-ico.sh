#!/bin/bash
# Makes a Windows icon file from the text form of an icon (kv_updat.icon):
#
#   make-ico.sh SOURCE OUTPUT.ico
#
# Every image becomes a 16-colour (4 bits per pixel) entry of the icon: its
# palette is the source's colours after black at index 0, which transparent
# pixels use with their mask bit set. Entries keep the source's order.
set -euo pipefail
export LC_ALL=C

if [ $# -ne 2 ]; then
  echo "usage: $0 SOURCE OUTPUT.ico" >&2
  exit 2
fi
source_file=$1
output=$2

fail() {
  echo "$source_file:$line_number: $*" >&2
  exit 1
}

# ---- Reading the source ------------------------------------------------------
declare -A index_of=([.]=0)
palette=(000000)
sizes=()
images=()  # one string of N*N pixel characters per image
rows_left=0
line_number=0
while IFS= read -r line || [ -n "$line" ]; do
  line_number=$((line_number + 1))
  line=${line%$'\r'}
  if [ "$rows_left" -gt 0 ]; then
    size=${sizes[-1]}
    [ ${#line} -eq "$size" ] || fail "a row of image $size has ${#line} pixels"
    images[-1]+=$line
    rows_left=$((rows_left - 1))
    continue
  fi
  case $line in
    '' | '#'*) ;;
    colour\ *)
      read -r _ char rgb extra <<<"$line"
      [[ ${#char} -eq 1 && $char != . && $rgb =~ ^[0-9A-Fa-f]{6}$ && -z ${extra:-} ]] ||
        fail "expected: colour C RRGGBB"
      [ -z "${index_of[$char]:-}" ] || fail "colour '$char' defined twice"
      [ ${#palette[@]} -lt 16 ] || fail "more than 15 colours"
      index_of[$char]=${#palette[@]}
      palette+=("$rgb")
      ;;
    image\ *)
      read -r _ size extra <<<"$line"
      [[ $size =~ ^(16|32|48)$ && -z ${extra:-} ]] || fail "expected: image 16, 32 or 48"
      sizes+=("$size")
      images+=("")
      rows_left=$size
      ;;
    *) fail "not a colour, an image or a comment" ;;
  esac
done <"$source_file"
[ "$rows_left" -eq 0 ] || fail "the last image lacks $rows_left rows"
[ ${#sizes[@]} -gt 0 ] || fail "no image"

# ---- Writing the icon ----------------------------------------------------------
# Bytes are collected as printf escapes (\xHH), so that NUL bytes survive.
out=
byte() { printf -v hex '\\x%02x' "$1"; out+=$hex; }
word() { byte $(($1 & 255)); byte $(($1 >> 8 & 255)); }
dword() { word $(($1 & 65535)); word $(($1 >> 16 & 65535)); }

mask_row_bytes() { echo $(((($1 + 31) / 32) * 4)); }  # 1 bit per pixel, rows of whole DWORDs
image_bytes() {                                       # header, palette, colour and mask bits
  echo $((40 + 16 * 4 + $1 * $1 / 2 + $1 * $(mask_row_bytes "$1")))
}

count=${#sizes[@]}
word 0
word 1  # an icon
word "$count"
offset=$((6 + 16 * count))
for size in "${sizes[@]}"; do
  bytes=$(image_bytes "$size")
  byte $((size & 255))
  byte $((size & 255))
  byte 16  # colours
  byte 0
  word 1   # planes
  word 4   # bits per pixel
  dword "$bytes"
  dword "$offset"
  offset=$((offset + bytes))
done

for ((i = 0; i < count; ++i)); do
  size=${sizes[i]}
  pixels=${images[i]}
  mask_bytes=$(mask_row_bytes "$size")
  # BITMAPINFOHEADER: the height counts the colour and the mask bitmaps.
  dword 40
  dword "$size"
  dword $((size * 2))
  word 1
  word 4
  dword 0
  dword $((size * size / 2 + size * mask_bytes))
  dword 0
  dword 0
  dword 16
  dword 0
  for ((c = 0; c < 16; ++c)); do
    rgb=${palette[c]:-000000}
    byte $((16#${rgb:4:2}))
    byte $((16#${rgb:2:2}))
    byte $((16#${rgb:0:2}))
    byte 0
  done
  # Colour bits, bottom row first, two pixels a byte (the left one high).
  for ((y = size - 1; y >= 0; --y)); do
    for ((x = 0; x < size; x += 2)); do
      left=${pixels:y*size+x:1}
      right=${pixels:y*size+x+1:1}
      for char in "$left" "$right"; do
        [ -n "${index_of[$char]:-}" ] || { line_number=0; fail "pixel '$char' has no colour"; }
      done
      byte $((index_of[$left] << 4 | index_of[$right]))
    done
  done
  # Mask bits, bottom row first: 1 where the pixel is transparent.
  for ((y = size - 1; y >= 0; --y)); do
    for ((x = 0; x < mask_bytes * 8; x += 8)); do
      bits=0
      for ((b = 0; b < 8; ++b)); do
        if ((x + b < size)) && [ "${pixels:y*size+x+b:1}" = . ]; then
          bits=$((bits | 128 >> b))
        fi
      done
      byte "$bits"
    done
  done
done

mkdir -p "$(dirname "$output")"
printf "$out" >"$output.tmp"
mv "$output.tmp" "$output"
