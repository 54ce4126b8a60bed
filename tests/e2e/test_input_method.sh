#!/usr/bin/env bash
# Japanese input through fcitx5 and mozc in the real window: romaji typed, converted and committed goes
# into the text as the converted text (saved in the document's Shift_JIS), into the heading filter
# (whose Enter then goes to the matching heading), into the find field (which finds it from there) and
# into the settings dialog's title marks (committed by OK, kept in the settings file).
# Skipped (status 77) where fcitx5, mozc or the Qt front end is missing, or where they cannot start.
if [ "$(id -u)" -eq 0 ]; then
  # mozc's server will not run as root (CI's user): the whole session runs as nobody.
  as_nobody=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
  "${as_nobody[@]}" test -r "$0" -a -r "$(dirname "$0")/lib.sh" -a -x "$1" ||
    { echo "SKIP: nobody cannot read this test or run $1"; exit 77; }
  exec setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups env -u XDG_RUNTIME_DIR \
    -u DBUS_SESSION_BUS_ADDRESS HOME=/nonexistent bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"
oruvan=$1
skip() { echo "SKIP: $*"; exit 77; }
for tool in fcitx5 fcitx5-remote dbus-launch; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (Debian packages fcitx5, dbus-x11)"
done
plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
[ -e "$plugins/platforminputcontexts/libfcitx5platforminputcontextplugin.so" ] ||
  skip "Qt's fcitx5 front end is not installed (fcitx5-frontend-qt6)"
[ -e /usr/share/fcitx5/addon/mozc.conf ] || skip "mozc for fcitx5 is not installed (fcitx5-mozc)"

# A private home: fcitx5's profile with mozc as the second input method, mozc's own data.
export HOME=$E2E_TMP/home XDG_CONFIG_HOME=$E2E_TMP/home/.config XDG_RUNTIME_DIR=$E2E_TMP/run
mkdir -p "$XDG_CONFIG_HOME/fcitx5" && mkdir -m 700 "$XDG_RUNTIME_DIR"
cat >"$XDG_CONFIG_HOME/fcitx5/profile" <<'PROFILE'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=mozc

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=mozc
Layout=

[GroupOrder]
0=Default
PROFILE

start_display
eval "$(dbus-launch --sh-syntax)" || skip "no session bus"
FCITX_PID=""
stop_input_method() {
  [ -n "$FCITX_PID" ] && kill "$FCITX_PID" 2>/dev/null || true
  [ -n "${DBUS_SESSION_BUS_PID:-}" ] && kill "$DBUS_SESSION_BUS_PID" 2>/dev/null || true
  # mozc's server and renderer outlive fcitx5: this test's own, known by their home.
  local p
  for p in $(pgrep -u "$(id -u)" -x 'mozc_server|mozc_renderer' || true); do
    if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "HOME=$HOME"; then kill "$p" 2>/dev/null || true; fi
  done
  cleanup
}
trap stop_input_method EXIT
fcitx5 --disable=wayland,kimpanel,notificationitem,notifications >"$E2E_TMP/fcitx5.log" 2>&1 &
FCITX_PID=$!
for _ in $(seq 1 100); do fcitx5-remote >/dev/null 2>&1 && break; sleep 0.1; done
fcitx5-remote >/dev/null 2>&1 || { tail -n 20 "$E2E_TMP/fcitx5.log"; skip "fcitx5 did not start"; }
export QT_IM_MODULE=fcitx

dir="$E2E_TMP/prog"; mkdir -p "$dir"
cp "$oruvan" "$dir/oruvan"
doc="$E2E_TMP/doc.txt"
# --a / 日本語 one / --日本語 / 日本語 two, in Shift_JIS
printf -- '--a\r\n\x93\xfa\x96\x7b\x8c\xea one\r\n--\x93\xfa\x96\x7b\x8c\xea\r\n\x93\xfa\x96\x7b\x8c\xea two\r\n' >"$doc"

display_ready
"$dir/oruvan" "$doc" & APP_PID=$!
w=$(wait_window "$APP_PID")
sleep 1
xdotool windowfocus --sync "$w"
# Into the text, at its end.
xdotool mousemove --window "$w" 300 200 click 1
sleep 0.3
xdotool key ctrl+End
sleep 0.3

# compose: types romaji with the input method on, converts (Space) and commits (Return).
compose() {
  xdotool type --delay 60 "$1"
  sleep 0.5
  xdotool key space
  sleep 0.5
  xdotool key Return
  sleep 0.5
}
# Ctrl+Space, fcitx5's own key, switches mozc on; it types hiragana.
xdotool key ctrl+space
for _ in $(seq 1 30); do [ "$(fcitx5-remote -n 2>/dev/null)" = mozc ] && break; sleep 0.1; done
[ "$(fcitx5-remote -n 2>/dev/null)" = mozc ] || skip "mozc did not come on: $(fcitx5-remote -n 2>&1)"

# The text: 日本語 at its end.
compose nihongo
# The heading filter: 日本語 keeps the third line's heading, and Enter takes the caret to it.
xdotool key ctrl+j
sleep 0.3
compose nihongo
xdotool key Return
sleep 0.5
# The find field: 日本語, found from the caret as it is typed, is the heading's; Esc leaves it
# selected in the text, and a typed X (mozc off) replaces it.
xdotool key ctrl+f
sleep 0.3
compose nihongo
xdotool key Escape
sleep 0.3
xdotool key ctrl+space
sleep 0.3
xdotool key X
sleep 0.3
# A click elsewhere while composing commits the reading where it stands (the end of the text); what is
# typed next goes where the click put the caret (the end of the first line).
xdotool key ctrl+End ctrl+space
sleep 0.3
xdotool type --delay 60 nihonn
sleep 0.5
xdotool mousemove --window "$w" 400 50 click 1
sleep 0.5
compose nihongo
xdotool key ctrl+space ctrl+s
sleep 1
# The settings dialog's title marks: 日本語 on a line of its own, kept in the settings file at close.
# Converted but not yet committed when OK is clicked: OK commits it.
xdotool key alt+s s
sleep 1
xdotool mousemove 650 300 click 1
sleep 0.3
xdotool key ctrl+End Return ctrl+space
sleep 0.3
xdotool type --delay 60 nihongo
sleep 0.5
xdotool key space
sleep 0.5
xdotool mousemove 560 571 click 1  # OK
sleep 0.5
xdotool windowfocus --sync "$w" key alt+F4
wait_exit "$APP_PID" 10
marks=$(grep -a '^TitleMarks=' "$dir/oruvan.ini" | od -An -tx1 | tr -d ' \n')
[[ $marks == *2c93fa967b8cea0d0a ]] || fail "the title marks typed in the settings dialog: $(grep -a '^TitleMarks=' "$dir/oruvan.ini")"

# --a日本語 / 日本語 one / --X / 日本語 two / 日本語にほん
printf -- '--a\x93\xfa\x96\x7b\x8c\xea\r\n\x93\xfa\x96\x7b\x8c\xea one\r\n--X\r\n\x93\xfa\x96\x7b\x8c\xea two\r\n\x93\xfa\x96\x7b\x8c\xea\x82\xc9\x82\xd9\x82\xf1' >"$E2E_TMP/expected.txt"
if ! cmp -s "$E2E_TMP/expected.txt" "$doc"; then
  od -c "$doc" >&2
  fail "the saved text is not what mozc typed into the text, the filter, the find field and beside a click"
fi
echo "mozc's 日本語 typed into the text, the heading filter, the find field and the settings dialog"
