#!/usr/bin/env bash
# Runs a command with DISPLAY set to a private Xvfb server, started for it and
# stopped after it.
#
# The server picks its own free display number (-displayfd), so several runs
# at once never share or steal a display, and it never resets (-noreset):
# a server that resets when its last client leaves refuses the connections
# that arrive during the reset, which parallel GUI tests hit now and then.
set -euo pipefail

tmp=$(mktemp -d -t velk-xvfb.XXXXXX)
pid=
cleanup() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT

mkfifo "$tmp/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset -maxclients 512 \
  3>"$tmp/display" 2>"$tmp/log" &
pid=$!

number=
if ! read -r -t 30 number <"$tmp/display" || [ -z "$number" ]; then
  echo "with-xvfb: Xvfb did not start" >&2
  cat "$tmp/log" >&2 || true
  exit 1
fi

set +e
DISPLAY=":$number" "$@"
rc=$?
set -e
exit $rc
