#!/usr/bin/env bash
# Under a Wayland compositor: the program runs on Qt's own Wayland platform (no X display to fall back
# on), names its desktop file to the compositor and opens its file; the Index menu (Alt+I) and the
# context menu open as popups of the window at their anchors, Go to line and the save question as its
# children; Ctrl+Q ends it with status 0 and the settings file keeps the place the compositor never told.
# The desktop test binary's checks of the place and of a dialog run there too.
# weston shows its output in a private Xvfb, so that xdotool's keys reach the program through the
# compositor's seat: a compositor without a seat gives no popups at all.
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

dir=$E2E_TMP/prog
mkdir -p "$dir"
cp "$oruvan" "$dir/oruvan"
# Big enough that wherever the compositor puts it, the window covers the output's centre.
printf '[Form]\r\nLeft=100\r\nTop=50\r\nWidth=700\r\nHegiht=560\r\n' >"$dir/oruvan.ini"
printf '//@one\r\nbody\r\n//@two\r\nmore\r\n' >"$E2E_TMP/doc.txt"
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

if [ -x "$desktop_test" ]; then
  # Its Index menu check opens a popup without input, which a compositor with a seat refuses.
  (cd "$E2E_TMP" && "$desktop_test" placeAndSizeSurviveSessions dialogBelongsToTheWindow) >"$E2E_TMP/desktop.log" 2>&1 || { cat "$E2E_TMP/desktop.log"; fail "desktop test under Wayland"; }
  grep -q "platform: wayland" "$E2E_TMP/desktop.log" || { cat "$E2E_TMP/desktop.log"; fail "desktop test not on Wayland"; }
  grep '^Totals' "$E2E_TMP/desktop.log"
else
  echo "no desktop test binary beside the program ($desktop_test): its window checks not run"
fi
echo "wayland: 1 passed, 0 failed"
