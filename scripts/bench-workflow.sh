#!/usr/bin/env bash
# Times big playlists (32767 songs: load, parse and fill, mark all) and a run
# over 200 songs against the stand-in chart site, beside in-run references.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}

"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target bench_workflow

exec "$build/bench/bench_workflow" "$@"
