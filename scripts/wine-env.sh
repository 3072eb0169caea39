# Sourced by the scripts that run Wine: one project-owned prefix under build/,
# Hungarian locale (ANSI code page 1250), a scratch HOME, no menu builder and no
# Mono or Gecko installers popping up in a new prefix.
top=${QMK_TOP:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export QMK_TOP="$top"
export WINEPREFIX=${WINEPREFIX:-$top/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export LOCPATH="$top/build/locale"
{ export LC_ALL=${QMK_LC_ALL:-hu_HU.UTF-8}; } 2>/dev/null
export HOME="$top/build/home"
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
mkdir -p "$HOME"
# A running test session (scripts/wine-session.sh) publishes its display here.
if [ -z "${DISPLAY:-}" ] && [ -f "$top/build/session.env" ]; then
    # shellcheck disable=SC1091
    . "$top/build/session.env"
fi
