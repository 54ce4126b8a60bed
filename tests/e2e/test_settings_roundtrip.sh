#!/usr/bin/env bash
# The settings file of the real program: closing writes it beside the executable, and a start that reads
# it back writes it again byte for byte.
source "$(dirname "$0")/lib.sh"
oruvan=$1
start_display
dir="$E2E_TMP/prog"; mkdir -p "$dir"
cp "$oruvan" "$dir/oruvan"

ini="$dir/oruvan.ini"

# run_and_close: starts the program, checks its outer size, closes it with Alt+F4.
run_and_close() {
  local want_size=$1
  display_ready
  "$dir/oruvan" & APP_PID=$!
  local w
  w=$(wait_window "$APP_PID")
  sleep 0.3
  local size
  size=$(xdotool getwindowgeometry "$w" | sed -n 's/.*Geometry: //p')
  [ "$size" = "$want_size" ] || fail "window size is '$size', expected '$want_size'"
  xdotool windowfocus --sync "$w" key alt+F4
  wait_exit "$APP_PID" 30
  APP_PID=""
  [ "$STATUS" = "0" ] || fail "Alt+F4 exit status: $STATUS"
}

# First start in a folder holding only the program: the designed window, and a new settings file.
run_and_close 423x340
[ -f "$ini" ] || fail "no settings file written on close"
sections=$(grep -a '^\[' "$ini" | tr -d '\r' | tr '\n' ' ')
[ "$sections" = "[Files] [Font] [Setting] [Form] " ] || fail "sections in the order: $sections"
grep -aq $'^Hegiht=340\r$' "$ini" || fail "height not written as 340"
cp "$ini" "$E2E_TMP/first.ini"

run_and_close 423x340
cmp "$E2E_TMP/first.ini" "$ini" || fail "second close wrote a different settings file"

# Values away from the defaults, a Japanese font name and registered files among them, survive too.
{
  printf '[Files]\r\nCount=2\r\n0=a.txt\r\n1=sub/\x95\x5c.txt\r\n'
  printf '[Font]\r\nName=\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e\r\nSize=12\r\n'
  printf '[Setting]\r\nDropDownCount=5\r\nStartUpIndex=9\r\nTitleMarks=#,\x81\xa1\r\n'
  printf 'ListViewVisible=0\r\nWordWrap=1\r\nNextPageMenuIsHead=0\r\nIgnoreHeadSpaces=0\r\n'
  printf 'CaptionIncludingTitleMark=1\r\n'
  printf '[Form]\r\nLeft=100\r\nTop=50\r\nWidth=500\r\nHegiht=400\r\n'
} > "$ini"
cp "$ini" "$E2E_TMP/custom.ini"
run_and_close 500x400
cmp "$E2E_TMP/custom.ini" "$ini" || fail "non-default settings were not written back unchanged"
run_and_close 500x400
cmp "$E2E_TMP/custom.ini" "$ini" || fail "non-default settings changed on the second round"
echo "settings_roundtrip: passed"
