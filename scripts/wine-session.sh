#!/usr/bin/env bash
# start: one Xvfb display and a persistent wineserver for a whole test run.
# stop:  ends both. Programs started in between share them.
. "$(dirname "$0")/wine-env.sh"
state="$QMK_TOP/build/session.env"
case "${1:-}" in
start)
    "$0" stop
    mkdir -p "$QMK_TOP/build"
    fdfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
    xpid=$!
    for _ in $(seq 1 100); do [ -s "$fdfile" ] && break; sleep 0.1; done
    display=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
    unset DISPLAY
    echo "export DISPLAY=$display" >"$state"
    echo "QMK_XVFB_PID=$xpid" >>"$state"
    export DISPLAY=$display
    wineserver -k >/dev/null 2>&1 || true
    wineserver -f -p >/dev/null 2>&1 &
    echo "QMK_WINESERVER_PID=$!" >>"$state"
    "$QMK_TOP/scripts/wine-prefix.sh"
    # Start the prefix's helper processes now, outside any caller's pipes.
    wine cmd /c exit </dev/null >/dev/null 2>&1
    ;;
stop)
    [ -f "$state" ] || exit 0
    # shellcheck disable=SC1090
    . "$state"
    wineserver -k >/dev/null 2>&1 || true
    [ -n "${QMK_WINESERVER_PID:-}" ] && kill "$QMK_WINESERVER_PID" 2>/dev/null
    [ -n "${QMK_XVFB_PID:-}" ] && kill "$QMK_XVFB_PID" 2>/dev/null
    rm -f "$state"
    ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
exit 0
