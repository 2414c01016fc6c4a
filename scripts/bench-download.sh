#!/usr/bin/env bash
# A 256 MiB song from a local nginx through the real window, over HTTP and over
# TLS, against curl -o file of the same URL into the same folder; then four such
# songs at once (one page naming them, the default Parallel) against curl
# --parallel; the window's peak memory and what it keeps after the run. Needs
# about 2.5 GiB free in the temporary folder. Options go to the program:
# --size-mib N (256), --rounds N (5), --no-tls, --tls-only, --no-four, --four-only.
set -euo pipefail
. "$(dirname "$0")/bench-env.sh" bench_download
on_display "$build/bench/bench_download" "$@"
