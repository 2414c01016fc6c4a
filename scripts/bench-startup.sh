#!/usr/bin/env bash
# Start-up to the first painted window: the program against a minimal Qt Widgets
# window, started alike, many interleaved runs. Options go to the program:
# --runs N (31), --warmup N (3), --compare PATH (another build of the program).
set -euo pipefail
. "$(dirname "$0")/bench-env.sh" bench_startup
on_display "$build/bench/bench_startup" "$@"
