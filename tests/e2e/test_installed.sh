#!/usr/bin/env bash
# The installed layout (cmake --install into a staging folder, as the package lays it out), run by an
# ordinary user with a fresh home: closing writes ~/.config/oruvan/oruvan.ini with no message, the next
# start comes back where the window was, F1 opens the installed help text, and oruvan-outline reads the
# same settings.
source "$(dirname "$0")/lib.sh"
oruvan=$1
build=$(dirname "$oruvan")
chmod 755 "$E2E_TMP"
root=$E2E_TMP/root
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
bin=$root/usr/bin

home=$E2E_TMP/home
mkdir -p "$home"
# Tests run as root in CI: the program then runs as nobody, whose home folder is the fresh one.
as_user=()
user=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
  user=nobody
  chown "$user" "$home"
  as_user=(setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups)
fi
run_user() { "${as_user[@]}" env -u XDG_CONFIG_HOME HOME="$home" "$@"; }

printf '#one\r\nbody\r\n//@two\r\n' >"$E2E_TMP/doc.txt"
chmod 644 "$E2E_TMP/doc.txt"
ini=$home/.config/oruvan/oruvan.ini
start_display

# close_window WINDOW PID: Alt+F4; the process must end by itself, so no message box held it open.
# The status is known only for a child of this shell.
close_window() {
  local w=$1 pid=$2
  xdotool windowfocus --sync "$w" key alt+F4
  STATUS=timeout
  for _ in $(seq 1 150); do
    kill -0 "$pid" 2>/dev/null || { STATUS=0; break; }
    sleep 0.1
  done
  if [ "$STATUS" = timeout ]; then
    fail "still running after Alt+F4; its windows: $(xdotool search --onlyvisible --pid "$pid" --name . getwindowname %@ 2>/dev/null | tr '\n' '|')"
  fi
  if [ "$pid" = "${APP_PID:-}" ]; then
    wait "$pid" || fail "exit status $?"
  fi
}

display_ready
run_user "$bin/oruvan" "$E2E_TMP/doc.txt" & APP_PID=$!
w=$(wait_window "$APP_PID")
[ "$(xdotool getwindowname "$w")" = "Oruvan 1.5 - doc.txt" ] || fail "title: $(xdotool getwindowname "$w")"

# F1: a second instance shows the help text installed in share/oruvan.
xdotool windowfocus --sync "$w" key F1
help=""
for _ in $(seq 1 100); do
  help=$(xdotool search --onlyvisible --name '^Oruvan 1\.5 - readme\.txt$' 2>/dev/null | head -n 1 || true)
  [ -n "$help" ] && break
  sleep 0.1
done
[ -n "$help" ] || fail "F1 showed no help window"
close_window "$help" "$(xdotool getwindowpid "$help")"

xdotool windowmove --sync "$w" 150 90
sleep 0.3
close_window "$w" "$APP_PID"
APP_PID=""
[ -f "$ini" ] || fail "no settings file in ~/.config/oruvan: $(find "$home" "$bin" -name '*.ini')"
[ ! -e "$bin/oruvan.ini" ] || fail "settings written beside the installed executable"
[ "$(stat -c %U "$ini")" = "$user" ] || fail "settings file owned by $(stat -c %U "$ini")"
[ "$(stat -c %a "$(dirname "$ini")")" = 700 ] || fail "~/.config/oruvan is not private: $(stat -c %a "$(dirname "$ini")")"
left=$(sed -n 's/^Left=\([0-9-]*\)\r$/\1/p' "$ini")
top=$(sed -n 's/^Top=\([0-9-]*\)\r$/\1/p' "$ini")
[ -n "$left" ] && [ -n "$top" ] || fail "no window position in the settings"

# The marks the user sets in that file are the editor's and the tool's.
run_user LC_ALL=C sed -i 's/^TitleMarks=.*\r$/TitleMarks=#\r/' "$ini"
out=$(run_user "$bin/oruvan-outline" "$E2E_TMP/doc.txt") || fail "oruvan-outline status $?"
[ "$out" = $'1\tone' ] || fail "oruvan-outline did not use the user's marks: '$out'"

# The second start comes back at the same place and keeps the marks.
display_ready
run_user "$bin/oruvan" & APP_PID=$!
w=$(wait_window "$APP_PID")
sleep 0.3
pos=$(xdotool getwindowgeometry "$w" | sed -n 's/.*Position: \([0-9-]*\),\([0-9-]*\).*/\1 \2/p')
close_window "$w" "$APP_PID"
APP_PID=""
grep -aq $'^TitleMarks=#\r$' "$ini" || fail "the marks were not kept"
[ "$(sed -n 's/^Left=\([0-9-]*\)\r$/\1/p' "$ini") $(sed -n 's/^Top=\([0-9-]*\)\r$/\1/p' "$ini")" = "$left $top" ] ||
  fail "the second close moved the window: $(grep -a -E '^(Left|Top)=' "$ini" | tr -d '\r' | tr '\n' ' ')"
echo "installed: 1 passed, 0 failed (window at $pos)"
