#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) in build-fuzz/ and
# runs each from its seed corpus for a fixed time. Fails when any target crashes,
# a sanitizer reports or a property breaks; the input that did it is kept in
# build-fuzz/fuzz-artifacts/. Runs on a copy of the corpus, so the repository
# stays as it is.
#
#   scripts/fuzz.sh                                  # every target, 10 s each
#   scripts/fuzz.sh --seconds 600                    # every target, 10 min each
#   scripts/fuzz.sh --seconds 600 fuzz_responsereader fuzz_cookiejar
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$top/build-fuzz}
all=(fuzz_playlist fuzz_songfilename fuzz_responsereader fuzz_closedecision fuzz_cookiejar
     fuzz_codecs)

seconds=10
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=${2:?--seconds needs a number}; shift 2 ;;
    --seconds=*) seconds=${1#*=}; shift ;;
    -h|--help) awk 'NR > 1 && !/^#/ { exit } NR > 1 { sub(/^# ?/, ""); print }' "$0"; exit 0 ;;
    fuzz_*) targets+=("$1"); shift ;;
    *) echo "fuzz.sh: unknown argument $1 (targets: ${all[*]})" >&2; exit 2 ;;
  esac
done
[[ $seconds =~ ^[1-9][0-9]*$ ]] || { echo "fuzz.sh: --seconds needs a positive number" >&2; exit 2; }
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")

# .ci/run installs the dependencies once for all its steps.
[ -n "${TUNETRAWL_DEPS_INSTALLED:-}" ] || "$top/scripts/install-deps.sh"
options=()
# CI fails on any warning.
[ "${CI:-}" != true ] || options+=(-DTUNETRAWL_WERROR=ON)
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUNETRAWL_FUZZ=ON -DBUILD_TESTING=OFF \
  -DTUNETRAWL_BENCHMARKS=OFF "${options[@]}" >/dev/null
cmake --build "$build" --target fuzzers

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts=$build/fuzz-artifacts
mkdir -p "$artifacts"
# UBSan reports stop the run like a crash (the code is built not to recover);
# show where they came from.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

passed=0
failed=0
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  corpus=$work/$name
  mkdir -p "$corpus"
  cp "$top/tests/fuzz/corpus/$name/"* "$corpus/"
  seeds=$(find "$corpus" -type f | wc -l)
  log=$work/$name.log
  if "$build/tests/fuzz/$target" "$corpus" -dict="$top/tests/fuzz/dict/$name.dict" \
       -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$artifacts/$target-" -print_final_stats=1 >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$target: ${runs:-?} inputs in ${seconds} s, corpus $seeds -> $(find "$corpus" -type f | wc -l), no fault"
    passed=$((passed + 1))
  else
    echo "$target: FAULT; its report:"
    # The report without libFuzzer's progress lines and its own stack frames.
    grep -v -E '^#[0-9]+[[:space:]]|^INFO:|^[[:space:]]+#[0-9]+ 0x[0-9a-f]+ in (fuzzer::|__libc|_start|main )' \
      "$log" | tail -n 40 || true
    echo "$target: input kept as $(ls -t "$artifacts/$target-"* 2>/dev/null | head -n 1)"
    echo "$target: run it again with $build/tests/fuzz/$target <that file>"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
