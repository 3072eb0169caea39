#!/usr/bin/env bash
# Creates the Wine prefix on first use (about 20 s), then reuses it.
. "$(dirname "$0")/wine-env.sh"
[ -f "$WINEPREFIX/.qmk-ready" ] && exit 0
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
[ -f "$WINEPREFIX/.qmk-ready" ] && exit 0
wineboot -i >/dev/null 2>&1
# Wait until the registry is written out before the prefix is used.
for _ in $(seq 1 120); do
    [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/user.reg" ] && break
    sleep 0.5
done
touch "$WINEPREFIX/.qmk-ready"
