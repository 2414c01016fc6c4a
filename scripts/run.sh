#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tunetrawl.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}

"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target tunetrawl

exec "$build/app/tunetrawl" "$@"
