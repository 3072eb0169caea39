#!/usr/bin/env bash
# Builds the program and runs it on a demo package.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh"
echo "Built $top/build/bin/setup.exe"
