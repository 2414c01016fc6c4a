#!/usr/bin/env bash
# Builds the Windows program with its test suite (scripts/build-windows.sh) and
# runs every test program under Wine, offscreen, in a Wine prefix of its own;
# then checks the installed program in a real window (scripts/e2e-windows.sh).
# A test that cannot run under Wine is listed by ctest as skipped, with why;
# the Linux servers the tests need run on this side, through scripts/process-host.py.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${WINDOWS_BUILD_DIR:-$top/build-windows}

[ -n "${TUNETRAWL_DEPS_INSTALLED:-}" ] || "$top/scripts/install-deps.sh" --windows
export TUNETRAWL_DEPS_INSTALLED=1
TUNETRAWL_WINDOWS_TESTS=ON WINDOWS_BUILD_DIR=$build "$top/scripts/build-windows.sh"
. "$top/scripts/wine-env.sh" "$build"

# The servers and tools the fixtures start (nginx, Apache, lighttpd, Python,
# openssl, curl, mpg123) are Linux programs: a process host here runs them for
# the tests, on a loopback port they find in TUNETRAWL_PROCESS_HOST.
port_file=$(mktemp)
rm -f "$port_file"
"$top/scripts/process-host.py" "$port_file" &
host_pid=$!
trap 'kill $host_pid 2>/dev/null; rm -f "$port_file"' EXIT
for _ in $(seq 50); do [ -s "$port_file" ] && break; sleep 0.1; done
[ -s "$port_file" ] || { echo "test-windows.sh: the process host did not start" >&2; exit 1; }
export TUNETRAWL_PROCESS_HOST=$(cat "$port_file")

log=$build/ctest-wine.log
started=$SECONDS
set +e
ctest --test-dir "$build" --output-on-failure --no-tests=error --timeout 600 -j "$(nproc)" | tee "$log"
status=${PIPESTATUS[0]}
set -e
echo "=== Windows suite under Wine: $(grep -c ' Passed ' "$log") passed," \
  "$(grep -cE '\*\*\*(Failed|Timeout|Exception)|Failed  ' "$log") failed," \
  "$(grep -c '\*\*\*Skipped' "$log") not run here, in $((SECONDS - started)) s"
grep -h '^not run in this build: ' "$build"/Testing/Temporary/LastTest.log | sort -u || true
[ "$status" -eq 0 ] || exit "$status"

"$top/scripts/e2e-windows.sh" "$build"
