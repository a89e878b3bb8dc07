#!/usr/bin/env bash
# xvfb-run.sh WxHxD command [args...]
# Runs the command inside a private Xvfb screen of the given size and depth,
# on a display number the X server picks itself, and stops the server after.
set -u
geometry=$1; shift
fifo=$(mktemp -u); mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
xvfb=$!
read -r -t 10 display <"$fifo"; rm -f "$fifo"
if [ -z "${display:-}" ]; then echo "xvfb-run.sh: Xvfb did not start" >&2; kill "$xvfb" 2>/dev/null; exit 1; fi
export DISPLAY=":$display"
"$@"; rc=$?
kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null
exit $rc
