#!/usr/bin/env bash
# A file holding a 10 MB line of mixed Japanese and Latin text opens in the real program; Down to the
# line, End, a letter, Ctrl+S: the file is written within 3 s of the window showing, byte for byte the
# original with the letter before that line's break, and the window answers all along.
source "$(dirname "$0")/lib.sh"
oruvan=$1
start_display
dir="$E2E_TMP/prog"; mkdir -p "$dir"
cp "$oruvan" "$dir/oruvan"
file="$E2E_TMP/long.txt"

# Shift_JIS: a heading, the long line (kanji, kana, words, digits), a last line; CR LF breaks.
python3 - "$file" "$E2E_TMP/expected.txt" <<'EOF'
import sys
unit = '長い行の文字とかな、words and digits 12345 ｶﾀｶﾅ。'.encode('cp932')
line = unit * int(__import__("os").environ.get("LONG_UNITS", 10 * 1024 * 1024 // len(unit)))
head = '//@見出し\r\n'.encode('cp932')
tail = '\r\n最後の行\r\n'.encode('cp932')
open(sys.argv[1], 'wb').write(head + line + tail)
open(sys.argv[2], 'wb').write(head + line + b'x' + tail)
EOF

display_ready
"$dir/oruvan" "$file" & APP_PID=$!
w=$(wait_window "$APP_PID")
shown=$(date +%s.%N)
old=$(stat -c %i "$file")
sleep 0.5  # the window settles, as the other tests wait
xdotool windowfocus --sync "$w" key --delay 50 Tab Tab ctrl+Home Down End x  # Tab Tab: to the text
xdotool windowfocus --sync "$w" key ctrl+s
for _ in $(seq 1 300); do
  [ "$(stat -c %i "$file")" != "$old" ] && break
  sleep 0.05
done
written=$(date +%s.%N)
[ "$(stat -c %i "$file")" != "$old" ] || fail "Ctrl+S did not write the file within 15 s"
took=$(python3 -c "print(f'{$written - $shown:.2f}')")
echo "written ${took} s after the window showed"
python3 -c "import sys; sys.exit(0 if $written - $shown <= 3 else 1)" || fail "the save came ${took} s after the window showed"
if ! cmp "$E2E_TMP/expected.txt" "$file"; then
  python3 -c "
import sys
a, b = open(sys.argv[1], 'rb').read(), open(sys.argv[2], 'rb').read()
i = next((i for i in range(min(len(a), len(b))) if a[i] != b[i]), min(len(a), len(b)))
print(f'sizes {len(a)} and {len(b)}; at {i}: expected {a[i-8:i+8]!r}, saved {b[i-8:i+8]!r}')
" "$E2E_TMP/expected.txt" "$file" >&2
  fail "saved bytes differ from the original with one letter added"
fi

# Still answering: the title comes back at once, and the window closes without a question.
timeout 2 xdotool getwindowname "$w" >/dev/null || fail "the window does not answer"
xdotool windowfocus --sync "$w" key alt+F4
wait_exit "$APP_PID" 30
APP_PID=""
[ "$STATUS" = "0" ] || fail "exit status after saving: $STATUS"
echo "PASS"
