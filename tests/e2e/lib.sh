# Shared by the end-to-end tests: a private Xvfb display and small helpers around xdotool.
# Usage: source lib.sh; start_display; ... ; (cleanup runs on exit)
set -euo pipefail
E2E_TMP=$(mktemp -d)
# The program's own language, whatever the caller's locale: the tests type its Japanese access keys.
export LC_ALL=C.UTF-8
unset LANGUAGE
# The program puts what it opens on the desktop's recent files: here, not in the user's own list.
export XDG_DATA_HOME="$E2E_TMP/data"
XVFB_PID=""
cleanup() {
  [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null || true
  stop_display
  rm -rf "$E2E_TMP"
}

# Waits for the server to end: one still exiting removes its socket, which may already belong to the
# next test's server on the same display number.
stop_display() {
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}
trap cleanup EXIT

# Starts a private server and makes sure a client can reach it; tries three times. -noreset: by
# default the server resets when its last client leaves, and a program started during that reset
# cannot connect.
start_display() {
  local fifo="$E2E_TMP/displayfd" n="" attempt
  for attempt in 1 2 3; do
    rm -f "$fifo"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    n=""
    read -r -t 10 n <"$fifo" || true
    if [ -n "$n" ]; then
      for _ in $(seq 1 50); do
        if DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1; then
          export DISPLAY=":$n"
          export QT_QPA_PLATFORM=xcb
          return 0
        fi
        sleep 0.1
      done
    fi
    echo "Xvfb attempt $attempt failed, retrying" >&2
    stop_display
  done
  echo "Xvfb did not start" >&2
  exit 1
}

# Before each program start: the server still answers (a clear message if it went away).
display_ready() {
  for _ in $(seq 1 50); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "display $DISPLAY stopped answering" >&2
  return 1
}

# wait_window PID: prints the id of the process's visible window once it is mapped.
wait_window() {
  local pid=$1 w=""
  for _ in $(seq 1 300); do
    kill -0 "$pid" 2>/dev/null || { echo "process $pid ended before showing a window" >&2; return 1; }
    w=$(xdotool search --onlyvisible --pid "$pid" --name . 2>/dev/null | head -n 1 || true)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.1
  done
  echo "no window for pid $pid" >&2
  return 1
}

# wait_exit PID SECONDS: waits (in this shell, so the status is real) for the process to end and
# sets STATUS to its exit status, or to "timeout".
wait_exit() {
  local pid=$1 secs=$2
  STATUS=timeout
  for _ in $(seq 1 $((secs * 10))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      STATUS=0
      wait "$pid" || STATUS=$?
      return 0
    fi
    sleep 0.1
  done
}

fail() { echo "FAIL: $*" >&2; exit 1; }
