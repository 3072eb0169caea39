#!/usr/bin/env bash
# Drives the wizard through every page under Xvfb and saves a PNG of each page
# into docs/screenshots/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh" >/dev/null
"$top/scripts/wine-session.sh" start
trap '"$top/scripts/wine-session.sh" stop' EXIT
. "$top/scripts/wine-env.sh"

out="$top/docs/screenshots"
mkdir -p "$out"
sync_unix="$WINEPREFIX/drive_c/qmk-screens"
rm -rf "$sync_unix"
mkdir -p "$sync_unix"

QMK_SCREENSHOT_SYNC='C:\qmk-screens' "$top/scripts/wine-run" "$top/build/bin/qmk_tests.exe" \
    --gtest_filter=WizardScreens.EveryPage &
runner=$!

pages="1-welcome 2-agreement 3-folder 4-group 5-ready 6-finish"
for page in $pages; do
    for _ in $(seq 1 600); do
        [ -s "$sync_unix/$page.ready" ] && break
        kill -0 "$runner" 2>/dev/null || { echo "wizard run ended before $page" >&2; exit 1; }
        sleep 0.1
    done
    read -r x y w h <"$sync_unix/$page.ready"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$page.png"
    echo "saved docs/screenshots/$page.png"
    : >"$sync_unix/$page.done"
done
wait "$runner"
