#!/usr/bin/env bash
# Downloads a large file through the HTTP client and through curl from a local nginx
# and prints the time ratio and the client's peak memory.
# Options go to the program: --size-mib N (256), --runs N (5).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}

"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target bench_download

exec "$build/bench/bench_download" "$@"
