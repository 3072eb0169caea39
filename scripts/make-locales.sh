#!/usr/bin/env bash
# Wine takes its ANSI code page from LC_ALL, and it needs the glibc locale to
# exist for non-ASCII file names. The locales are compiled into build/locale so
# the system's locale set is left alone.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out="$top/build/locale"
mkdir -p "$out"
for loc in hu_HU ja_JP; do
    [ -d "$out/$loc.UTF-8" ] && continue
    localedef -i "$loc" -f UTF-8 "$out/$loc.UTF-8" 2>/dev/null || [ -d "$out/$loc.UTF-8" ]
done
