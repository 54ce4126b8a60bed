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
APP_PID=""
echo "window: 1 passed, 0 failed"
