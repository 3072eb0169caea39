#!/usr/bin/env bash
# Installs the Debian packages the benchmark needs beyond the build's own
# (makensis for the peer installers, Python for the report), skipping at once when they are present.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/ensure-deps.sh"

packages=(nsis python3)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
