#!/usr/bin/env bash
# Builds the Windows program with its test suite (scripts/build-windows.sh) and
# runs every test program under Wine, offscreen, in a Wine prefix of its own;
# then checks the installed program in a real window (scripts/e2e-windows.sh).
# A test that cannot run under Wine is listed by ctest as skipped, with why.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${WINDOWS_BUILD_DIR:-$top/build-windows}

[ -n "${TUNETRAWL_DEPS_INSTALLED:-}" ] || "$top/scripts/install-deps.sh" --windows
export TUNETRAWL_DEPS_INSTALLED=1
TUNETRAWL_WINDOWS_TESTS=ON WINDOWS_BUILD_DIR=$build "$top/scripts/build-windows.sh"
. "$top/scripts/wine-env.sh" "$build"

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
