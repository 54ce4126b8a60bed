#!/usr/bin/env bash
# Under a headless Wayland compositor: the program runs on Qt's own Wayland platform, names its desktop
# file to the compositor, opens its file, and the desktop test binary's checks (the settings file keeps
# the window's place, dialogs and the Index menu belong to the window) hold there too.
# Skipped (status 77) where weston or Qt's Wayland platform is missing, or weston cannot start.
set -euo pipefail
oruvan=$1 version=$3
desktop_test=$(cd "$(dirname "$oruvan")" && pwd)/tests/tst_desktop
skip() { echo "SKIP: $*"; exit 77; }
command -v weston >/dev/null || skip "weston is not installed (Debian package weston)"
plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
ls "$plugins"/platforms/libqwayland-*.so >/dev/null 2>&1 || skip "Qt's Wayland platform is not installed (qt6-wayland)"

work=$(mktemp -d)
export XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/data LC_ALL=C.UTF-8
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston_pid="" app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
weston --backend=headless-backend.so --socket=oruvan-test --idle-time=0 >"$work/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 1 50); do [ -S "$XDG_RUNTIME_DIR/oruvan-test" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/oruvan-test" ] || { cat "$work/weston.log"; skip "weston did not start"; }
export WAYLAND_DISPLAY=oruvan-test QT_QPA_PLATFORM=wayland
unset DISPLAY

mkdir -p "$work/prog"
cp "$oruvan" "$work/prog/oruvan"
printf '//@one\r\nbody\r\n' >"$work/doc.txt"
WAYLAND_DEBUG=client "$work/prog/oruvan" "$work/doc.txt" 2>"$work/protocol.log" &
app_pid=$!
for _ in $(seq 1 100); do grep -q "set_title(\"Oruvan $version - doc.txt\")" "$work/protocol.log" && break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null || { tail -n 20 "$work/protocol.log"; echo "FAIL: the program ended under Wayland" >&2; exit 1; }
kill "$app_pid"; wait "$app_pid" 2>/dev/null || true; app_pid=""
grep -q 'xdg_toplevel@[0-9]*\.set_app_id("org\.example\.Oruvan")' "$work/protocol.log" ||
  { echo "FAIL: no app id org.example.Oruvan given to the compositor" >&2; exit 1; }
grep -q "set_title(\"Oruvan $version - doc.txt\")" "$work/protocol.log" ||
  { echo "FAIL: the window did not open doc.txt" >&2; exit 1; }
echo "native Wayland window, app id org.example.Oruvan, doc.txt open"

if [ -x "$desktop_test" ]; then
  (cd "$work" && "$desktop_test") >"$work/desktop.log" 2>&1 || { cat "$work/desktop.log"; echo "FAIL: desktop test under Wayland" >&2; exit 1; }
  grep -q "platform: wayland" "$work/desktop.log" || { cat "$work/desktop.log"; echo "FAIL: desktop test not on Wayland" >&2; exit 1; }
  grep '^Totals' "$work/desktop.log"
else
  echo "no desktop test binary beside the program ($desktop_test): window checks not run"
fi
