#!/usr/bin/env bash
# install-check.sh BUILD_DIR: installs into a scratch prefix and plays the
# installed game through its launcher (run inside an X server): it must find
# its data, open its window, and end with exit code 0 on Escape.
# install-check.sh --play LAUNCHER: only plays, through a launcher already in place.
set -u
if [ "$1" = --play ]; then
  launcher=$2
else
  build=$1
  prefix=$(mktemp -d); trap 'rm -rf "$prefix"' EXIT
  cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "install failed"; exit 1; }
  for f in bin/veldrake lib/veldrake/veldrake share/veldrake/rifle.wav share/veldrake/texture/floor.bmp \
           share/applications/veldrake.desktop share/icons/hicolor/scalable/apps/veldrake.svg; do
    [ -e "$prefix/$f" ] || { echo "missing after install: $f"; exit 1; }
  done
  [ "$(ls "$prefix/share/veldrake/texture" | wc -l)" -eq 18 ] || { echo "not all 18 textures installed"; exit 1; }
  launcher=$prefix/bin/veldrake
fi
cd / && ALSOFT_DRIVERS=null "$launcher" 2>/dev/null &
game=$!
opened=no
for _ in $(seq 300); do
  xdotool search --name '^Veldrake$' >/dev/null 2>&1 && { opened=yes; break; }
  kill -0 "$game" 2>/dev/null || { echo "the installed game ended before its window opened"; exit 1; }
  sleep 0.1
done
# Escape could also dismiss a start-up error box, which ends the game with 0 too.
[ "$opened" = yes ] || { echo "the installed game opened no window in 30 s"; kill "$game"; exit 1; }
sleep 0.5
xdotool key Escape
wait "$game"; rc=$?
[ "$rc" -eq 0 ] || { echo "the installed game ended with $rc"; exit 1; }
echo "installed game started from its launcher and ended with 0"
