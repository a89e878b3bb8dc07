#!/usr/bin/env bash
# Stands in for the Linux game in the end-to-end sessions: starts veldrake.exe
# under Wine, in the working directory and on the display the session gave.
#   VELDRAKE_WINDOWS_EXE  the game; WINEPREFIX  the test run's prefix
# The session's sound settings are those of OpenAL Soft; here they become
# ALSA's: the default device writes everything Wine plays into the session's
# capture file, and a session without a device gets none.
set -eu
work=$(dirname "${ALSOFT_CONF:?started outside a game session}")
export HOME=$work WINEDEBUG=-all
if [ "${ALSOFT_DRIVERS:-}" != no-such-backend ]; then
  printf 'pcm.!default { type file; slave.pcm "null"; file "%s"; format "wav" }\n' "$work/capture.wav" \
    >"$HOME/.asoundrc"
fi
# Wine's desktop process of the previous session is tied to an X server that
# has gone; a fresh server side starts with this session's display.
wineserver -k 2>/dev/null || true
exec wine "${VELDRAKE_WINDOWS_EXE:?}"
