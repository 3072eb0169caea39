#!/usr/bin/env bash
# Builds everything and runs every test under Wine and Xvfb.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh" || exit 1
"$top/scripts/wine-session.sh" start || exit 1
trap '"$top/scripts/wine-session.sh" stop' EXIT
cd "$top/build" && ctest --output-on-failure --timeout 300 "$@"
