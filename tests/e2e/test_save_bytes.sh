#!/usr/bin/env bash
# Ctrl+S in the real program writes a file back byte for byte: cp932 with mixed breaks and bytes that
# are no character, and every other encoding with each break style, where one typed letter is the only
# difference. The title shows the file name whole, Japanese names included.
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

: > "$docs/data.txt"
for i in "${!lines[@]}"; do printf "${lines[$i]}${breaks[$i]}" >> "$docs/data.txt"; done
cp "$docs/data.txt" "$E2E_TMP/expected.txt"
[ "$(tail -c 1 "$docs/data.txt" | od -An -tx1 | tr -d ' ')" = "81" ] || fail "test file does not end in a lone lead byte"

# save_and_check FILE EXPECTED TITLE [KEYS]: opens FILE, checks the title, presses KEYS, Ctrl+S,
# compares, closes.
save_and_check() {
  local file=$1 expected=$2 title=$3 keys=${4:-}
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
  if [ -n "$keys" ]; then
    # shellcheck disable=SC2086
    xdotool windowfocus --sync "$w" key --delay 50 $keys
  fi
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
# One text in every encoding and break style: X typed at its start is all a save changes.
text_lines=('//@見出し ASCII too' '本文の行 ｶﾀｶﾅ ①' '' '■次の見出し' 'last line')
for style in lf crlf mixed; do
  case $style in
    lf) ends=('\n' '\n' '\n' '\n' '\n') ;;
    crlf) ends=('\r\n' '\r\n' '\r\n' '\r\n' '') ;;
    mixed) ends=('\r\n' '\n' '\r' '\n' '') ;;
  esac
  : > "$E2E_TMP/utf8.txt"
  for i in "${!text_lines[@]}"; do printf '%s'"${ends[$i]}" "${text_lines[$i]}" >> "$E2E_TMP/utf8.txt"; done
  { printf X; cat "$E2E_TMP/utf8.txt"; } > "$E2E_TMP/utf8-x.txt"
  for enc in UTF-8 UTF-8-BOM EUC-JP-MS UTF-16LE UTF-16BE ISO-2022-JP; do
    name="$style-$enc.txt"
    for src in utf8 utf8-x; do
      # The converter's ISO-2022-JP has no half-width katakana and no NEC row 13.
      sed 's/ ｶﾀｶﾅ ①//' "$E2E_TMP/$src.txt" > "$E2E_TMP/iso-$src.txt"
      case $enc in
        UTF-8-BOM) { printf '\xef\xbb\xbf'; cat "$E2E_TMP/$src.txt"; } ;;
        UTF-16LE) { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$E2E_TMP/$src.txt"; } ;;
        ISO-2022-JP) iconv -f UTF-8 -t ISO-2022-JP "$E2E_TMP/iso-$src.txt" ;;
        *) iconv -f UTF-8 -t "$enc" "$E2E_TMP/$src.txt" ;;
      esac > "$E2E_TMP/$src-$name"
    done
    cp "$E2E_TMP/utf8-$name" "$docs/$name"
    # Focus starts in the index box; the text view is two tabs away.
    save_and_check "$docs/$name" "$E2E_TMP/utf8-x-$name" "Oruvan 1.5 - $name" "Tab Tab ctrl+Home X"
  done
done

# A binary file comes back as it was.
head -c 65536 /dev/urandom > "$docs/binary.bin"
cp "$docs/binary.bin" "$E2E_TMP/expected-binary.bin"
save_and_check "$docs/binary.bin" "$E2E_TMP/expected-binary.bin" "Oruvan 1.5 - binary.bin"
echo "save_bytes: passed"
