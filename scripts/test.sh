#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}

# .ci/run installs the dependencies once for all its steps.
[ -n "${TUNETRAWL_DEPS_INSTALLED:-}" ] || "$top/scripts/install-deps.sh"
options=()
# CI fails on any warning and builds no benchmarks, which it never runs.
[ "${CI:-}" != true ] || options+=(-DTUNETRAWL_WERROR=ON -DTUNETRAWL_BENCHMARKS=OFF)
# Testing on even where the folder was configured without it (the install route),
# or ctest would find no test and pass.
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
  "${options[@]}"
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure --no-tests=error --timeout 600 -j "$(nproc)"
