#!/bin/sh
# Starts or stops the throwaway Wine prefix that the Windows tests run in.
# usage: wine-prefix.sh start|stop <prefix>
set -eu
action=$1
export WINEPREFIX=$2
export WINEDEBUG=-all
# No Mono or Gecko installer prompts: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
case $action in
  start)
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      mkdir -p "$WINEPREFIX"
      wineboot -i </dev/null >/dev/null 2>&1 || true
      wineserver -w
    fi
    # A persistent server keeps HKLM\HARDWARE fixtures alive across processes.
    # Its output is detached so that the caller's pipes close.
    wineserver -p </dev/null >/dev/null 2>&1 || true  # fails only when one already runs
    wine cmd /c exit </dev/null >/dev/null 2>&1
    ;;
  stop)
    wineserver -k 2>/dev/null || true
    ;;
esac
