#!/usr/bin/env bash
# A 32767-song history page loaded into the real window (with its parts, curl and a
# bare socket beside it, and the memory holding the list), then a run over 200
# songs of 64 KiB at the default Parallel and at Parallel 1 against a bare socket,
# curl and wget fetching the same URLs into files, with the window's paint events
# per song, and the same run from the command line beside the window's. Both from a
# local nginx. Then the page parser alone against decoding the page and a bare
# count of its blocks, and what the library scan adds to a load.
set -euo pipefail
. "$(dirname "$0")/bench-env.sh" bench_playlist bench_run bench_parse bench_library
status=0
on_display "$build/bench/bench_playlist" || status=1
echo
on_display "$build/bench/bench_run" || status=1
echo
"$build/bench/bench_parse" || status=1
echo
"$build/bench/bench_library" || status=1
exit $status
