#!/usr/bin/env bash
# wine-prefix.sh create|remove PREFIX: the one Wine prefix a test run shares.
set -u
export WINEPREFIX=$2 WINEDEBUG=-all
case $1 in
create)
  rm -rf "$WINEPREFIX"
  # No display: the prefix needs none, and Wine's desktop would outlive it.
  DISPLAY= wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; exit 1; }
  wineserver -w
  test -f "$WINEPREFIX/system.reg" || { echo "no registry in $WINEPREFIX" >&2; exit 1; } ;;
remove)
  wineserver -k 2>/dev/null
  rm -rf "$WINEPREFIX" ;;
esac
