# Prints the values of one key of a Wine registry file (system.reg,
# user.reg), decoded to UTF-8: NAME<TAB>TYPE<TAB>DATA per value, or with
# only=2 the data of the value named `value`. Key and value names compare
# without case (ASCII letters). Exits 1 when nothing was found.
#   awk -v want='Software\Wine' -v value= -v only=1 -f read-reg.awk user.reg

function utf8(code) {
  if (code < 128) return sprintf("%c", code)
  if (code < 2048) return sprintf("%c%c", 192 + int(code / 64), 128 + code % 64)
  return sprintf("%c%c%c", 224 + int(code / 4096), 128 + int(code / 64) % 64, 128 + code % 64)
}

function hexval(text,    i, n) {
  n = 0
  for (i = 1; i <= length(text); ++i) n = n * 16 + index("0123456789abcdef", tolower(substr(text, i, 1))) - 1
  return n
}

# Undoes Wine's escapes: \\ \" \n \r \t \0 and \xNNNN (a UTF-16 unit).
function unescape(text,    out, i, c, hex) {
  out = ""
  for (i = 1; i <= length(text); ++i) {
    c = substr(text, i, 1)
    if (c != "\\") { out = out c; continue }
    c = substr(text, ++i, 1)
    if (c == "n") out = out "\n"
    else if (c == "r") out = out "\r"
    else if (c == "t") out = out "\t"
    else if (c == "0") out = out ""
    else if (c == "x") {
      hex = ""
      while (length(hex) < 4 && substr(text, i + 1, 1) ~ /[0-9a-fA-F]/) hex = hex substr(text, ++i, 1)
      out = out utf8(hexval(hex))
    } else out = out c
  }
  return out
}

# A quoted string at the start of `text`: its raw content; the rest in rest.
function quoted(text,    i, c) {
  for (i = 2; i <= length(text); ++i) {
    c = substr(text, i, 1)
    if (c == "\\") { ++i; continue }
    if (c == "\"") { rest = substr(text, i + 1); return substr(text, 2, i - 2) }
  }
  rest = ""
  return substr(text, 2)
}

# hex(7) bytes "5c,00,3f,00,..." as UTF-16 strings split at NULs; empty
# strings inside the list are kept (a pending deletion has an empty
# target), the list's own terminator is not.
function multi(bytes, items,    b, n, i, unit, text, count) {
  n = split(bytes, b, ",")
  count = 0
  text = ""
  for (i = 1; i + 1 <= n; i += 2) {
    unit = hexval(b[i]) + 256 * hexval(b[i + 1])
    if (unit == 0) { items[++count] = text; text = "" }
    else text = text utf8(unit)
  }
  if (text != "") items[++count] = text
  else if (count > 0 && items[count] == "") --count
  return count
}

# str(7) text "a\0b\0" (Wine's form when every string is printable): its
# strings, each ended by the escape \0 (not an escaped backslash before a 0).
# Wine leaves out the list's own terminator, so every empty string is one of
# the list's (a pending deletion's target).
function multi_text(raw, items,    i, c, text, count) {
  count = 0
  text = ""
  for (i = 1; i <= length(raw); ++i) {
    c = substr(raw, i, 1)
    if (c == "\\" && substr(raw, i + 1, 1) == "0") { items[++count] = unescape(text); text = ""; ++i; continue }
    if (c == "\\") { text = text c substr(raw, ++i, 1); continue }
    text = text c
  }
  if (text != "") items[++count] = unescape(text)
  return count
}

function emit(name, type, data,    items, n, i) {
  if (type == "REG_MULTI_SZ") {
    n = data ~ /^"/ ? multi_text(quoted(data), items) : multi(data, items)
    for (i = 1; i <= n; ++i) {
      if (only == 2) print items[i]
      else print name "\t" type "\t" items[i]
    }
  } else if (only == 2) print data
  else print name "\t" type "\t" data
  found = 1
}

function value_line(line,    name, data, type) {
  if (substr(line, 1, 1) == "@") { name = "(Default)"; rest = substr(line, 2) }
  else name = unescape(quoted(line))
  if (only == 2 && tolower(name) != tolower(value)) return
  data = substr(rest, 2)
  if (data ~ /^"/) { type = "REG_SZ"; data = unescape(quoted(data)) }
  else if (data ~ /^str\(2\):/) { type = "REG_EXPAND_SZ"; data = unescape(quoted(substr(data, 8))) }
  else if (data ~ /^dword:/) { type = "REG_DWORD"; data = "0x" substr(data, 7) }
  else if (data ~ /^hex\(7\):/) { type = "REG_MULTI_SZ"; data = substr(data, 8) }
  else if (data ~ /^str\(7\):/) { type = "REG_MULTI_SZ"; data = substr(data, 8) }
  else { type = "REG_BINARY"; sub(/^hex(\([0-9a-f]+\))?:/, "", data) }
  emit(name, type, data)
}

BEGIN { inside = 0; found = 0; pending = "" }
/^\[/ {
  name = $0
  sub(/^\[/, "", name)
  sub(/\][^\]]*$/, "", name)
  inside = tolower(unescape(name)) == tolower(want)
  if (inside && only != 2) found = 1
  next
}
inside && /^[@"]/ || pending != "" {
  if (!inside) { pending = ""; next }
  line = pending $0
  if (line ~ /\\$/) { pending = substr(line, 1, length(line) - 1); sub(/^[ \t]+/, "", pending); next }
  pending = ""
  gsub(/,[ \t]+/, ",", line)
  value_line(line)
}
END { exit found ? 0 : 1 }
