#!/usr/bin/env bash
# Ctrl+S in the real program writes a cp932 file back byte for byte, apart from its line breaks, which
# all become CR LF; the title shows the file name whole, Japanese names included.
source "$(dirname "$0")/lib.sh"
oruvan=$1
start_display
dir="$E2E_TMP/prog"; mkdir -p "$dir"
cp "$oruvan" "$dir/oruvan"

docs="$E2E_TMP/docs"; mkdir -p "$docs"

# Lines of the test document (printf formats) and the break each ends with in the original.
lines=(
  '//@\x8c\xa9\x8f\x6f\x82\xb5'      # //@見出し
  'bad \x80 \xa0 \xfd \xfe \xff end'  # bytes that are no cp932 character
  'unassigned \x85\x40 pair'          # a lead byte and a trail byte naming nothing
  'nul \x00 in \x00 the middle'
  'NEC \x87\x90 NEC-IBM \xed\x40 IBM \xfa\x5c'
  'kana \xb1\xb2\xde\xdf'
  '\x95\x5c\x8e\xa6 \x83\x5c\x83\x74\x83\x67'  # 表示 ソフト: trail byte 0x5C
  ''
  'tab\there'
  'lone lead at the end \x81'
)
breaks=('\r\n' '\n' '\r' '\r\n' '\n' '\r' '\n' '\r' '\r\n' '')

build() {  # build FILE CRLF-ONLY
  local file=$1 crlf=$2 i
  : > "$file"
  for i in "${!lines[@]}"; do
    local brk=${breaks[$i]}
    [ "$crlf" = 1 ] && [ -n "$brk" ] && brk='\r\n'
    printf "${lines[$i]}${brk}" >> "$file"
  done
}
build "$docs/data.txt" 0
build "$E2E_TMP/expected.txt" 1
[ "$(tail -c 1 "$docs/data.txt" | od -An -tx1 | tr -d ' ')" = "81" ] || fail "test file does not end in a lone lead byte"

# save_and_check FILE EXPECTED TITLE: opens FILE, checks the title, Ctrl+S, compares, closes.
save_and_check() {
  local file=$1 expected=$2 title=$3
  display_ready
  "$dir/oruvan" "$file" & APP_PID=$!
  local w
  w=$(wait_window "$APP_PID")
  sleep 0.5
  local got
  got=$(xdotool getwindowname "$w")
  [ "$got" = "$title" ] || fail "title is '$got', expected '$title'"
  # An old time stamp on the file shows when the save has replaced it.
  touch -d '2001-01-01' "$file"
  local old
  old=$(stat -c %Y "$file")
  xdotool windowfocus --sync "$w" key ctrl+s
  for _ in $(seq 1 50); do
    [ "$(stat -c %Y "$file")" != "$old" ] && break
    sleep 0.1
  done
  [ "$(stat -c %Y "$file")" != "$old" ] || fail "Ctrl+S did not write $file"
  if ! cmp "$expected" "$file"; then
    od -An -tx1 "$file" | head -20 >&2
    fail "saved bytes differ from the expected ones"
  fi
  xdotool windowfocus --sync "$w" key alt+F4
  wait_exit "$APP_PID" 30
  APP_PID=""
  [ "$STATUS" = "0" ] || fail "exit status after saving: $STATUS (a prompt would mean the save left it modified)"
}

save_and_check "$docs/data.txt" "$E2E_TMP/expected.txt" "Oruvan 1.5 - data.txt"

printf '\x95\x5c\r\nline\r\n' > "$docs/表.txt"
cp "$docs/表.txt" "$E2E_TMP/expected2.txt"
save_and_check "$docs/表.txt" "$E2E_TMP/expected2.txt" "Oruvan 1.5 - 表.txt"
echo "save_bytes: passed"
