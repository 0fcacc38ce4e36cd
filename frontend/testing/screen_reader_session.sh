#!/usr/bin/env bash
# Runs one command in the session a screen reader's user has: a virtual X display of its own
# (Xvfb), a session bus of its own with the accessibility bus up on it, and Qt's accessibility
# bridge on without waiting for a reader to ask. Display, buses and the private runtime
# directory of their sockets end with the command, whose exit status this returns; 77 (skipped,
# for ctest) when a tool is missing.
#   frontend/testing/screen_reader_session.sh COMMAND [ARG...]
set -euo pipefail

if [ -z "${DALVO_SCREEN_READER_SESSION:-}" ]; then
  for tool in xvfb-run dbus-run-session dbus-send; do
    command -v "$tool" >/dev/null || {
      echo "screen_reader_session: $tool is missing (scripts/install_deps.sh)" >&2
      exit 77
    }
  done
  # The accessibility bus puts its socket in the runtime directory (else below ~/.cache): a
  # fresh private one, removed afterwards, keeps the user's own untouched.
  runtime=$(mktemp -d)
  trap 'rm -rf "$runtime"' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  status=0
  DALVO_SCREEN_READER_SESSION=1 XDG_RUNTIME_DIR="$runtime" \
    xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- "$0" "$@" || status=$?
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
