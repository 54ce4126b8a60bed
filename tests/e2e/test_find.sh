#!/usr/bin/env bash
# The find bar, replace all, go to line, redo and the colour commands of the real program, driven by keys.
# What a step selected is made visible by typing a marker at the end of its line and saving.
source "$(dirname "$0")/lib.sh"
oruvan=$1
start_display
dir="$E2E_TMP/prog"; mkdir -p "$dir"
cp "$oruvan" "$dir/oruvan"
ini="$dir/oruvan.ini"

# start FILE: runs the program on FILE and sets W to its window.
start() {
  display_ready
  "$dir/oruvan" "$@" & APP_PID=$!
  W=$(wait_window "$APP_PID")
  sleep 0.5
  xdotool windowfocus --sync "$W"
}

keys() { xdotool key --delay 120 "$@"; sleep 0.3; }
typed() { xdotool type --delay 80 "$1"; sleep 0.3; }

# save_as_expected FILE EXPECTED-PRINTF: Ctrl+S and compare the bytes.
save_as_expected() {
  local file=$1 expected=$2
  touch -d '2001-01-01' "$file"
  local old
  old=$(stat -c %Y "$file")
  keys ctrl+s
  for _ in $(seq 1 50); do
    [ "$(stat -c %Y "$file")" != "$old" ] && break
    sleep 0.1
  done
  printf "$expected" > "$E2E_TMP/expected"
  if ! cmp -s "$E2E_TMP/expected" "$file"; then
    iconv -f CP932 -t UTF-8 "$file" >&2 || true
    fail "saved text differs from the expected one"
  fi
}

finish() {
  keys alt+F4
  wait_exit "$APP_PID" 30
  APP_PID=""
  [ "$STATUS" = "0" ] || fail "exit status $STATUS (a prompt or a message box left open?)"
}

windows() { xdotool search --onlyvisible --pid "$APP_PID" --name . 2>/dev/null | wc -l; }

# Full-width and half-width letters fold their case only within their own width; Enter, Shift+Enter,
# F3 and Shift+F3 step and wrap.
doc="$E2E_TMP/find.txt"
printf 'ABC\r\n\x82\x60\x82\x61\x82\x62\r\nabc\r\n\x82\x81\x82\x82\x82\x83\r\nxyz\r\n' > "$doc"  # ＡＢＣ, ａｂｃ
start "$doc"
keys ctrl+f
typed "ａｂｃ"                           # as typed: ＡＢＣ on line 2
keys Return Return shift+Return Escape    # ａｂｃ, wrap to ＡＢＣ, wrap back to ａｂｃ
keys End; typed "a"                       # line 4
keys F3 End; typed "b"                    # wraps to line 2
keys Home shift+F3 End; typed "c"         # wraps back to line 4
keys ctrl+Home ctrl+f; typed "abc"        # the half-width ones: ABC on line 1
keys Escape End; typed "d"
keys F3 End; typed "e"                    # abc on line 3
# Nothing found: the field turns red, the status bar says so, and no message box opens.
keys ctrl+f; typed "zzz"; keys Return F3
[ "$(windows)" = "1" ] || fail "a window besides the main window opened when nothing was found"
keys Escape
save_as_expected "$doc" 'ABCd\r\n\x82\x60\x82\x61\x82\x62b\r\nabce\r\n\x82\x81\x82\x82\x82\x83ac\r\nxyz\r\n'
finish

# Replace all with double-byte text, undone by one Undo.
printf '\x8c\xa9\x8f\x6f\x82\xb5 one \x8c\xa9\x8f\x6f\x82\xb5 two\r\n\x8c\xa9\x8f\x6f\x82\xb5\r\n' > "$doc"  # 見出し
cp "$doc" "$E2E_TMP/original"
start "$doc"
keys ctrl+r; typed "見出し"; keys Tab; typed "章"; keys alt+a
save_as_expected "$doc" '\x8f\xcd one \x8f\xcd two\r\n\x8f\xcd\r\n'   # 章
keys Escape ctrl+z                        # in the text, not in the replacement field
save_as_expected "$doc" "$(od -An -tx1 -v "$E2E_TMP/original" | tr -d ' \n' | sed 's/../\\x&/g')"
finish

# Go to line, then undo and redo with both redo keys.
printf 'l1\r\nl2\r\nl3\r\nl4\r\n' > "$doc"
start "$doc"
keys ctrl+g; typed "3"; keys Return
typed "Z"
keys ctrl+z ctrl+y ctrl+z ctrl+shift+z
save_as_expected "$doc" 'l1\r\nl2\r\nZl3\r\nl4\r\n'
finish

# Both colours, chosen in the colour dialog, are kept across a restart.
start
# Without a window manager the focus does not come back by itself when a dialog closes.
refocus() { sleep 0.3; xdotool windowfocus --sync "$W"; }
keys alt+s b; sleep 0.5; keys alt+h ctrl+a; typed "#123456"; keys Return; refocus
keys alt+s t; sleep 0.5; keys alt+h ctrl+a; typed "#fedcba"; keys Return; refocus
keys alt+s b; sleep 0.5; keys alt+h ctrl+a; typed "#ff0000"; keys Escape; refocus  # Cancel changes nothing
finish
grep -aq $'^BackColor=#123456\r$' "$ini" || fail "BackColor not written: $(grep -a Color "$ini")"
grep -aq $'^TextColor=#FEDCBA\r$' "$ini" || fail "TextColor not written: $(grep -a Color "$ini")"
start
finish
grep -aq $'^BackColor=#123456\r$' "$ini" || fail "BackColor lost across a restart"
grep -aq $'^TextColor=#FEDCBA\r$' "$ini" || fail "TextColor lost across a restart"
grep -aq $'^1=zzz\r$' "$ini" || fail "the searches are not in the history: $(grep -a -A5 Search "$ini")"
echo "find: passed"
