#!/usr/bin/env bash
# Under a Wayland compositor: the program runs on Qt's own Wayland platform (no X display to fall back
# on), names its desktop file to the compositor and opens its file; the Index menu (Alt+I) and the
# context menu open as popups of the window at their anchors, Go to line and the save question as its
# children; Ctrl+Q ends it with status 0 and the settings file keeps the place the compositor never told.
# First under weston's headless backend, with no output and no input: the desktop test binary's checks
# (the place and size over sessions, a dialog, the Index menu) and the app id. Then weston shows its
# output in a private Xvfb, so that xdotool's keys reach the program through the compositor's seat.
# Skipped (status 77) where weston, Qt's Wayland platform, Xvfb or xdotool is missing, or weston cannot start.
skip() { echo "SKIP: $*"; exit 77; }
command -v weston >/dev/null || skip "weston is not installed (Debian package weston)"
plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
ls "$plugins"/platforms/libqwayland-*.so >/dev/null 2>&1 || skip "Qt's Wayland platform is not installed (qt6-wayland)"
for tool in Xvfb xdotool; do command -v "$tool" >/dev/null || skip "$tool is not installed"; done
source "$(dirname "$0")/lib.sh"
oruvan=$1 version=$3
desktop_test=$(cd "$(dirname "$oruvan")" && pwd)/tests/tst_desktop

# A runtime folder of our own, private as a session's is: CI runs as root with no session.
export XDG_RUNTIME_DIR=$E2E_TMP/run XDG_STATE_HOME=$E2E_TMP/state
mkdir -m 700 "$XDG_RUNTIME_DIR"
WESTON_PID=""
stop_compositor() {
  [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null || true
  APP_PID=""
  [ -n "$WESTON_PID" ] && { kill "$WESTON_PID" 2>/dev/null; wait "$WESTON_PID" 2>/dev/null; } || true
  cleanup
}
trap stop_compositor EXIT

dir=$E2E_TMP/prog
mkdir -p "$dir"
cp "$oruvan" "$dir/oruvan"
printf '//@one\r\nbody\r\n//@two\r\nmore\r\n' >"$E2E_TMP/doc.txt"

# wait_socket NAME PID: waits for weston's socket NAME while weston PID lives.
wait_socket() {
  for _ in $(seq 1 100); do
    [ -S "$XDG_RUNTIME_DIR/$1" ] && return 0
    kill -0 "$2" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
weston --backend=headless-backend.so --no-config --socket=oruvan-headless --idle-time=0 \
  >"$E2E_TMP/headless.log" 2>&1 &
WESTON_PID=$!
wait_socket oruvan-headless "$WESTON_PID" || { tail -n 20 "$E2E_TMP/headless.log"; skip "weston's headless backend did not start"; }
if [ -x "$desktop_test" ]; then
  (cd "$E2E_TMP" && WAYLAND_DISPLAY=oruvan-headless QT_QPA_PLATFORM=wayland "$desktop_test") >"$E2E_TMP/desktop.log" 2>&1 ||
    { cat "$E2E_TMP/desktop.log"; fail "desktop test under headless weston"; }
  grep -q "platform: wayland" "$E2E_TMP/desktop.log" || { cat "$E2E_TMP/desktop.log"; fail "desktop test not on Wayland"; }
  echo "headless weston, desktop test: $(grep '^Totals' "$E2E_TMP/desktop.log")"
else
  echo "no desktop test binary beside the program ($desktop_test): its window checks not run"
fi
WAYLAND_DISPLAY=oruvan-headless QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client DISPLAY= \
  "$dir/oruvan" "$E2E_TMP/doc.txt" 2>"$E2E_TMP/headless-protocol.log" &
APP_PID=$!
for _ in $(seq 1 100); do
  grep -q 'set_app_id("org\.example\.Oruvan")' "$E2E_TMP/headless-protocol.log" && break
  kill -0 "$APP_PID" 2>/dev/null || break
  sleep 0.1
done
grep -q 'set_app_id("org\.example\.Oruvan")' "$E2E_TMP/headless-protocol.log" ||
  { tail -n 20 "$E2E_TMP/headless-protocol.log"; fail "no app id org.example.Oruvan given to headless weston"; }
kill "$APP_PID" "$WESTON_PID" 2>/dev/null || true
wait "$APP_PID" "$WESTON_PID" 2>/dev/null || true
APP_PID="" WESTON_PID=""

start_display
weston --backend=x11-backend.so --use-pixman --no-config --socket=oruvan-e2e --idle-time=0 \
  --width=1024 --height=700 >"$E2E_TMP/weston.log" 2>&1 &
WESTON_PID=$!
for _ in $(seq 1 100); do
  grep -q 'window id' "$E2E_TMP/weston.log" && [ -S "$XDG_RUNTIME_DIR/oruvan-e2e" ] && break
  kill -0 "$WESTON_PID" 2>/dev/null || break
  sleep 0.1
done
output=$(sed -n 's/.*window id \([0-9]*\).*/\1/p' "$E2E_TMP/weston.log")
[ -n "$output" ] && [ -S "$XDG_RUNTIME_DIR/oruvan-e2e" ] || { tail -n 20 "$E2E_TMP/weston.log"; skip "weston did not start"; }
# Into weston's window from outside, so that it knows the pointer is there.
xdotool mousemove 1020 760 windowfocus --sync "$output" mousemove --window "$output" 512 350
x_display=$DISPLAY
unset DISPLAY
export WAYLAND_DISPLAY=oruvan-e2e QT_QPA_PLATFORM=wayland

log=$E2E_TMP/protocol.log
# after LINE PATTERN: waits up to ten seconds for PATTERN in the protocol log after line LINE, prints it.
after() {
  local line
  for _ in $(seq 1 100); do
    line=$(tail -n +"$1" "$log" | grep -m 1 -e "$2" || true)
    [ -n "$line" ] && { echo "$line"; return 0; }
    sleep 0.1
  done
  tail -n 20 "$log" >&2
  fail "no '$2' in the protocol log"
}
lines() { wc -l <"$log"; }
key() { DISPLAY=$x_display xdotool key "$@"; }

# Big enough that wherever the compositor puts it, the window covers the output's centre.
printf '[Form]\r\nLeft=100\r\nTop=50\r\nWidth=700\r\nHegiht=560\r\n' >"$dir/oruvan.ini"
WAYLAND_DEBUG=client "$dir/oruvan" "$E2E_TMP/doc.txt" 2>"$log" &
APP_PID=$!

title=$(after 1 "set_title(\"Oruvan $version - doc.txt\")")
main=$(sed 's/.*xdg_toplevel@\([0-9]*\)\..*/\1/' <<<"$title")
surface=$(grep -m 1 "get_toplevel(new id xdg_toplevel@$main)" "$log" | sed 's/.*xdg_surface@\([0-9]*\)\..*/\1/')
wl_surface=$(grep -m 1 "get_xdg_surface(new id xdg_surface@$surface," "$log" | sed 's/.*wl_surface@\([0-9]*\)).*/\1/')
grep -q "xdg_toplevel@$main\.set_app_id(\"org\.example\.Oruvan\")" "$log" || fail "no app id org.example.Oruvan given to the compositor"
size=$(grep "xdg_surface@$surface\.set_window_geometry" "$log" | tail -n 1 |
  sed 's/.*(\(-*[0-9]*\), \(-*[0-9]*\), \([0-9]*\), \([0-9]*\)).*/\3 \4/')
read -r width height <<<"$size"

# popup_at LINE: the next popup's anchor, which must lie in the window, on the window's own surface.
popup_at() {
  local popup anchor
  popup=$(after "$1" "get_popup(")
  [[ $popup == *", xdg_surface@$surface, "* ]] || fail "a popup not of the window: $popup"
  anchor=$(tail -n +"$1" "$log" | grep -m 1 'set_anchor_rect(' | sed 's/.*(\(-*[0-9]*\), \(-*[0-9]*\),.*/\1 \2/')
  read -r ax ay <<<"$anchor"
  ((ax > 0 && ax < width && ay > 0 && ay < height)) || fail "popup anchored at $ax,$ay, outside the ${width}x$height window"
  echo "$ax $ay"
}
# focused LINE SURFACE: waits for the keyboard to come to the wl_surface SURFACE after line LINE.
focused() {
  after "$1" "wl_keyboard@[0-9]*\.enter([0-9]*, wl_surface@$2," >/dev/null
}
# child_of LINE: the next toplevel is the window's child; prints its id once it has the keyboard.
child_of() {
  local child xdg
  child=$(after "$1" "set_parent(xdg_toplevel@$main)" | sed 's/.*xdg_toplevel@\([0-9]*\)\.set_parent.*/\1/')
  xdg=$(tail -n +"$1" "$log" | grep "get_toplevel(new id xdg_toplevel@$child)" | tail -n 1 | sed 's/.*xdg_surface@\([0-9]*\)\..*/\1/')
  focused "$1" "$(tail -n +"$1" "$log" | grep "get_xdg_surface(new id xdg_surface@$xdg," | tail -n 1 |
    sed 's/.*wl_surface@\([0-9]*\)).*/\1/')"
  echo "$child"
}
# pointer_on LINE: where the pointer is on the window, once it moved there after line LINE.
pointer_on() {
  local place
  for _ in $(seq 1 100); do
    place=$(awk -v from="$1" -v window="wl_surface@$wl_surface," '
      /wl_pointer@[0-9]+\.enter\(/ { on = index($0, window) > 0 }
      /wl_pointer@[0-9]+\.leave\(/ { on = 0 }
      /wl_pointer@[0-9]+\.(enter|motion)\(/ && on && NR >= from {
        sub(/\)$/, ""); n = split($0, f, ", "); place = int(f[n - 1]) " " int(f[n]) }
      END { print place }' "$log")
    [ -n "$place" ] && { echo "$place"; return 0; }
    sleep 0.1
  done
  grep 'wl_pointer@[0-9]*\.\(enter\|leave\|motion\)' "$log" | tail -n 5 >&2
  fail "the pointer never came onto the window"
}

focused 1 "$wl_surface"
n=$(lines); key alt+i
anchor=$(popup_at "$n")
read -r menu_x menu_y <<<"$anchor"
key Escape Escape
n=$(lines); key ctrl+g
dialog=$(child_of "$n")
n=$(lines); key Return
after "$n" "xdg_toplevel@$dialog\.destroy()" >/dev/null
focused "$n" "$wl_surface"
# A right click in the text: its menu opens where the pointer is. The compositor places the window;
# where, the pointer's place on it says.
pointer() { DISPLAY=$x_display xdotool mousemove --window "$output" "$@"; }
n=$(lines); pointer 480 330
at=$(pointer_on "$n")
read -r px py <<<"$at"
click_x=$((width * 7 / 10)) click_y=$((height * 6 / 10))
n=$(lines); pointer $((480 - px + click_x)) $((330 - py + click_y)) click 3
anchor=$(popup_at "$n")
read -r context_x context_y <<<"$anchor"
[ "$context_x,$context_y" = "$click_x,$click_y" ] || fail "the context menu opened at $context_x,$context_y, not at the click $click_x,$click_y"
key Escape
# An edit, then Ctrl+Q: the save question belongs to the window; no saving ends the program.
key x
n=$(lines); key ctrl+q
child_of "$n" >/dev/null
key n
wait_exit "$APP_PID" 20
APP_PID=""
[ "$STATUS" = "0" ] || fail "exit status under Wayland: $STATUS"
grep -q '^Left=100' "$dir/oruvan.ini" && grep -q '^Top=50' "$dir/oruvan.ini" ||
  fail "the stored place was overwritten: $(grep -a -A4 '^\[Form\]' "$dir/oruvan.ini")"
if grep -v '^\[' "$log" | grep -i 'wayland\|popup' >&2; then fail "Qt's Wayland platform complained"; fi
echo "native Wayland window, app id org.example.Oruvan, doc.txt open; Index menu at $menu_x,$menu_y and" \
  "context menu at $context_x,$context_y as popups, Go to line and the save question as children; closed with 0"

echo "wayland: 1 passed, 0 failed"
