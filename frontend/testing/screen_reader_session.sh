#!/usr/bin/env bash
# Runs one command in the session a screen reader's user has: a virtual X display of its own
# (Xvfb), a session bus of its own with the accessibility bus up on it, and Qt's accessibility
# bridge on without waiting for a reader to ask. Display, buses and the private runtime
# directory of their sockets end with the command, whose exit status this returns; 77 (skipped,
# for ctest) when a tool is missing.
#   frontend/testing/screen_reader_session.sh COMMAND [ARG...]
set -euo pipefail

if [ -z "${DALVO_SCREEN_READER_SESSION:-}" ]; then
  for tool in Xvfb xauth dbus-run-session dbus-send; do
    command -v "$tool" >/dev/null || {
      echo "screen_reader_session: $tool is missing (scripts/install_deps.sh)" >&2
      exit 77
    }
  done
  # The display's cookie and socket name, the buses' sockets (the accessibility bus puts its own
  # in the runtime directory, else below ~/.cache): all in a fresh private directory, removed
  # afterwards, so the user's own stay untouched.
  runtime=$(mktemp -d)
  xvfb=""
  cleanup() {
    if [ -n "$xvfb" ]; then
      kill "$xvfb" 2>/dev/null || true
      wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$runtime"
  }
  trap cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM

  # Only clients with this cookie reach the display. The server takes every cookie of its file
  # whatever display it is listed for, and its number is known only once it runs.
  export XAUTHORITY="$runtime/Xauthority"
  : >"$XAUTHORITY"
  cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
  xauth -q add :0 . "$cookie"
  # Xvfb picks a free display number itself and writes it to descriptor 3 once it listens, so
  # two sessions started at once never race for one number, and nothing polls.
  mkfifo "$runtime/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -auth "$XAUTHORITY" \
    3>"$runtime/display" 2>"$runtime/xvfb.log" &
  xvfb=$!
  number=""
  read -r -t 20 number <"$runtime/display" || true
  if [ -z "$number" ]; then
    echo "screen_reader_session: Xvfb did not start:" >&2
    cat "$runtime/xvfb.log" >&2
    exit 1
  fi
  xauth -q add ":$number" . "$cookie"
  status=0
  DALVO_SCREEN_READER_SESSION=1 DISPLAY=":$number" XDG_RUNTIME_DIR="$runtime" \
    dbus-run-session -- "$0" "$@" || status=$?
  exit "$status"
fi

# Inside the display and the session bus from here on. The first call to the accessibility
# bus makes the session bus start its launcher, and returns once the launcher answers (at most
# ten seconds), so the bus is up before the command starts: no sleep, no poll.
unset DALVO_SCREEN_READER_SESSION
dbus-send --session --print-reply=literal --reply-timeout=10000 --dest=org.a11y.Bus \
  /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
export QT_QPA_PLATFORM=xcb
# Qt's own switch: the bridge talks even though no reader has set the bus's "enabled" flag.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
exec "$@"
