#!/usr/bin/env bash
# Nothing lost, with real processes: a file another process rewrote under a modified document (Save
# asks, No keeps their text), an unmodified document following its file, unsaved edits brought back
# after kill -9 (and left alone by a second window while their owner runs), also for a file renamed away,
# a hard-linked file saved, and a save on a full disk.
source "$(dirname "$0")/lib.sh"
oruvan=$1
start_display
dir="$E2E_TMP/prog"; mkdir -p "$dir"
cp "$oruvan" "$dir/oruvan"
docs="$E2E_TMP/docs"; mkdir -p "$docs"
export XDG_STATE_HOME="$E2E_TMP/state"
recovery="$XDG_STATE_HOME/oruvan/recovery"

# other_window PID [MAIN]: prints the id of a visible window that PID owns, other than MAIN (a message
# box). The owner is checked: a search by process also lists other processes' windows at times.
other_window() {
  local pid=$1 main=${2:-} w
  for _ in $(seq 1 50); do
    for w in $(xdotool search --onlyvisible --pid "$pid" --name . 2>/dev/null || true); do
      [ "$w" != "$main" ] && [ "$(xdotool getwindowpid "$w" 2>/dev/null)" = "$pid" ] && { echo "$w"; return 0; }
    done
    sleep 0.1
  done
  return 1
}

start_on() {  # start_on FILE: sets APP_PID and WIN
  display_ready
  "$dir/oruvan" "$1" & APP_PID=$!
  wait_window "$APP_PID" >/dev/null
  WIN=$(other_window "$APP_PID") || fail "no window of its own for process $APP_PID"
  sleep 0.5
}

type_at_start() {  # type_at_start KEYSYM...: into the text view, at the start of the text
  xdotool mousemove --window "$WIN" 300 200 click 1
  xdotool windowfocus --sync "$WIN" key ctrl+Home
  xdotool key --delay 30 "$@"
  sleep 0.3
}

stop_app() {
  kill "$APP_PID" 2>/dev/null || true
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=""
}

close_saved() {  # Alt+F4 on a saved document: no prompt, clean exit
  xdotool windowfocus --sync "$WIN" key alt+F4
  wait_exit "$APP_PID" 30
  APP_PID=""
  [ "$STATUS" = "0" ] || fail "exit status $STATUS after closing a saved document"
}

wait_content() {  # wait_content FILE EXPECTED(printf format)
  local want
  want=$(printf "$2" | od -An -tx1)
  for _ in $(seq 1 50); do
    [ "$(od -An -tx1 "$1")" = "$want" ] && return 0
    sleep 0.1
  done
  fail "$1 holds '$(cat -A "$1")', expected '$2'"
}

# 1. Modified document, file rewritten by another process: Save asks; No (Escape) keeps their text.
printf 'mine\r\n' > "$docs/a.txt"
start_on "$docs/a.txt"
type_at_start x
sh -c "printf 'theirs\r\n' > '$docs/a.txt'"
sleep 0.5
xdotool windowfocus --sync "$WIN" key ctrl+s
box=$(other_window "$APP_PID" "$WIN") || fail "Save asked nothing about the changed file ($(cat -A "$docs/a.txt"))"
[ "$(xdotool getwindowname "$box")" = "確認" ] || fail "question captioned '$(xdotool getwindowname "$box")'"
xdotool windowfocus --sync "$box" key Escape
sleep 0.5
wait_content "$docs/a.txt" 'theirs\r\n'
stop_app
rm -rf "$recovery"

# 2. Unmodified document: follows the file within two seconds.
printf '//@one\r\nbody\r\n' > "$docs/b.txt"
start_on "$docs/b.txt"
sh -c "printf '//@two\r\nnew body\r\n' > '$docs/b.txt'"
sleep 2
type_at_start Z
xdotool windowfocus --sync "$WIN" key ctrl+s
wait_content "$docs/b.txt" 'Z//@two\r\nnew body\r\n'
close_saved

# 3. Typed, three seconds, kill -9: the next start on the file offers the edits; Enter restores them,
# in the file's own encoding and breaks (UTF-8, LF).
printf 'original 原文\n' > "$docs/c.txt"
start_on "$docs/c.txt"
type_at_start t y p e d space
sleep 3
ls "$recovery"/*.info >/dev/null 2>&1 || fail "no recovery copy three seconds after typing"
first=$APP_PID; first_win=$WIN
# A second window on the same file while the first runs: no offer, and the copy stays.
start_on "$docs/c.txt"
sleep 1
if extra=$(other_window "$APP_PID" "$WIN"); then fail "a second window offered the running window's edits ($(xdotool getwindowname "$extra"))"; fi
stop_app
ls "$recovery"/*.info >/dev/null 2>&1 || fail "a second window removed the running window's copy"
kill -9 "$first"; wait "$first" 2>/dev/null || true
start_on "$docs/c.txt"
box=$(other_window "$APP_PID" "$WIN") || fail "no recovery question after kill -9"
xdotool windowfocus --sync "$box" key Return
sleep 0.5
xdotool windowfocus --sync "$WIN" key ctrl+s
wait_content "$docs/c.txt" 'typed original 原文\n'
close_saved
sleep 0.3
ls "$recovery"/*.info >/dev/null 2>&1 && fail "recovery copies left after saving: $(ls "$recovery")"

# 4. A hard-linked file: both names show the new text.
printf 'linked\r\n' > "$docs/d.txt"
ln "$docs/d.txt" "$docs/e.txt"
start_on "$docs/d.txt"
type_at_start N
xdotool windowfocus --sync "$WIN" key ctrl+s
wait_content "$docs/d.txt" 'Nlinked\r\n'
wait_content "$docs/e.txt" 'Nlinked\r\n'
[ "$(stat -c %h "$docs/d.txt")" = 2 ] || fail "the save broke the hard link"
close_saved

# 5. Renamed away while open, then kill -9: the next start without a file offers the edits under the
# old name; Enter restores them and Ctrl+S writes that file again.
printf 'kept\r\n' > "$docs/g.txt"
start_on "$docs/g.txt"
type_at_start K
mv "$docs/g.txt" "$docs/h.txt"
sleep 1
ls "$recovery"/*.info >/dev/null 2>&1 || fail "no recovery copy after the file was renamed away"
kill -9 "$APP_PID"; wait "$APP_PID" 2>/dev/null || true
start_on ""
box=$(other_window "$APP_PID" "$WIN") || fail "the edits of a file renamed away were not offered after kill -9"
xdotool windowfocus --sync "$box" key Return
sleep 0.5
xdotool windowfocus --sync "$WIN" key ctrl+s
wait_content "$docs/g.txt" 'Kkept\r\n'
wait_content "$docs/h.txt" 'kept\r\n'
close_saved

# 6. A full disk: the save reports it and the old file stays whole.
full="$E2E_TMP/full"; mkdir -p "$full"
if mount -t tmpfs -o size=64k tmpfs "$full" 2>/dev/null; then
  trap 'umount "$full" 2>/dev/null || true; cleanup' EXIT
  for i in $(seq 1 400); do printf 'line %03d of the old text, kept whole\r\n' "$i"; done > "$full/f.txt"
  cp "$full/f.txt" "$E2E_TMP/f.expected"
  dd if=/dev/zero of="$full/filler" bs=1k 2>/dev/null || true
  start_on "$full/f.txt"
  type_at_start X
  xdotool windowfocus --sync "$WIN" key ctrl+s
  box=$(other_window "$APP_PID" "$WIN") || fail "a save on a full disk said nothing"
  cmp "$full/f.txt" "$E2E_TMP/f.expected" || fail "the old file was damaged by the failed save"
  [ -z "$(find "$full" -name '.f.txt.*')" ] || fail "a temporary file was left on the full disk"
  xdotool windowfocus --sync "$box" key Return
  stop_app
  umount "$full"
else
  echo "full disk step skipped: a tmpfs cannot be mounted here (needs root)"
fi
echo "nothing_lost: passed"
