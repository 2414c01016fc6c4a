#!/usr/bin/env bash
# Installs what is missing, builds the suite with AddressSanitizer and
# UndefinedBehaviorSanitizer (Debug, in build-asan/) and runs every test.
# Any report, leaks at exit included, ends its test program with a failure.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${SANITIZE_BUILD_DIR:-$top/build-asan}

# .ci/run installs the dependencies once for all its steps.
[ -n "${TUNETRAWL_DEPS_INSTALLED:-}" ] || "$top/scripts/install-deps.sh"
options=()
# CI fails on any warning.
[ "${CI:-}" != true ] || options+=(-DTUNETRAWL_WERROR=ON)
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTUNETRAWL_SANITIZE=ON \
  -DTUNETRAWL_BENCHMARKS=OFF -DBUILD_TESTING=ON "${options[@]}"
cmake --build "$build"

# The build already stops at the first error; these make the run strict as well.
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$top/scripts/sanitizer-leaks.supp
ctest --test-dir "$build" --output-on-failure --no-tests=error --timeout 600 -j "$(nproc)"
