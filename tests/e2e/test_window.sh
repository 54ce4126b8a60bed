#!/usr/bin/env bash
# The real window: its title, Alt+F4 ends the process with status 0, a file argument does not crash it.
source "$(dirname "$0")/lib.sh"
oruvan=$1
version=$3
start_display
dir="$E2E_TMP/prog"; mkdir -p "$dir"
cp "$oruvan" "$dir/oruvan"

display_ready
"$dir/oruvan" & APP_PID=$!
w=$(wait_window "$APP_PID")
title=$(xdotool getwindowname "$w")
[ "$title" = "Oruvan $version" ] || fail "title is '$title'"
xdotool windowfocus --sync "$w" key alt+F4
wait_exit "$APP_PID" 30
[ "$STATUS" = "0" ] || fail "Alt+F4 exit status: $STATUS"
[ -f "$dir/oruvan.ini" ] || fail "no settings file written on close"

printf '//@one\r\nbody\r\n' > "$E2E_TMP/doc.txt"
display_ready
"$dir/oruvan" "$E2E_TMP/doc.txt" & APP_PID=$!
w=$(wait_window "$APP_PID")
sleep 0.5
kill -0 "$APP_PID" || fail "crashed with a file argument"
title=$(xdotool getwindowname "$w")
[ "$title" = "Oruvan 1.5 - doc.txt" ] || fail "title with a document is '$title'"
xdotool windowfocus --sync "$w" key alt+F4
wait_exit "$APP_PID" 30
[ "$STATUS" = "0" ] || fail "exit status with a document: $STATUS"

# Several files: a window each, in one process; closing both in turn ends it, and the word wrap the
# second window switched on stays in the settings file after the first, which left it alone, closes.
printf -- '--two\r\n' > "$E2E_TMP/two.txt"
display_ready
"$dir/oruvan" "$E2E_TMP/doc.txt" "$E2E_TMP/two.txt" & APP_PID=$!
wait_window "$APP_PID" >/dev/null
one="" two=""
for _ in $(seq 1 100); do
  one=$(xdotool search --all --onlyvisible --pid "$APP_PID" --name 'doc\.txt$' 2>/dev/null | head -n 1 || true)
  two=$(xdotool search --all --onlyvisible --pid "$APP_PID" --name 'two\.txt$' 2>/dev/null | head -n 1 || true)
  [ -n "$one" ] && [ -n "$two" ] && break
  sleep 0.1
done
[ -n "$one" ] && [ -n "$two" ] || fail "no window for each file: '$one' '$two'"
sed -i 's/^WordWrap=.*/WordWrap=0/' "$dir/oruvan.ini"
xdotool windowfocus --sync "$two" key alt+s
sleep 0.3
xdotool key w
sleep 0.3
xdotool windowfocus --sync "$two" key ctrl+q
sleep 0.5
kill -0 "$APP_PID" || fail "closing one window of two ended the process"
xdotool windowfocus --sync "$one" key ctrl+q
wait_exit "$APP_PID" 30
[ "$STATUS" = "0" ] || fail "exit status with two windows: $STATUS"
grep -q '^WordWrap=1' "$dir/oruvan.ini" || fail "the word wrap switched in the second window was lost"
APP_PID=""
echo "window: 1 passed, 0 failed"
