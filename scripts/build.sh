#!/usr/bin/env bash
# Configures and builds the program, the product stand-in and the tests into build/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/ensure-deps.sh"
"$top/scripts/make-locales.sh"
cmake -S "$top" -B "$top/build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build" -j "$(nproc)"
