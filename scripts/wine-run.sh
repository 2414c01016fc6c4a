#!/usr/bin/env bash
# ctest's emulator for the Windows build: runs one test program under Wine with
# Qt's DLLs and the MinGW runtime on its path, in the prefix test-windows.sh set
# up. Qt Test's output does not reach a pipe under Wine, so the program writes
# it to a file, printed afterwards; the exit code is the program's.
set -uo pipefail
exe=$1
shift
: "${WINEPREFIX:?run through scripts/test-windows.sh, which sets up the Wine prefix}"
export WINEDEBUG=${WINEDEBUG:--all}
# Wine keeps QT_* variables from Windows programs unless they come as WINEQT_*.
while IFS='=' read -r name value; do
  export "WINE$name=$value"
done < <(env | grep '^QT_[A-Z_]*=')
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
if [ -n "${TUNETRAWL_WINE_CONSOLE:-}" ]; then
  # On a terminal of its own, for a test that needs a console (Wine makes one only there).
  script -qec "$(printf '%q ' wine "$exe" "$@" -o "Z:$out/result.txt,txt")" /dev/null \
    </dev/null >"$out/stdout.txt" 2>"$out/stderr.txt"
  status=$?
else
  wine "$exe" "$@" -o "Z:$out/result.txt,txt" </dev/null >"$out/stdout.txt" 2>"$out/stderr.txt" &
  pid=$!
  # Wine now and then leaves a program hanging in its exit after its last row;
  # once it has written its totals it gets 20 s, then the totals decide.
  finished_for=0
  while kill -0 "$pid" 2>/dev/null; do
    if grep -q '^\*\*\*\*\*\*\*\*\* Finished testing' "$out/result.txt" 2>/dev/null; then
      finished_for=$((finished_for + 1))
      if [ "$finished_for" -ge 200 ]; then
        kill -9 "$pid" 2>/dev/null
        echo "wine-run.sh: $(basename "$exe") hung in its exit after its last row; ended here" >&2
        break
      fi
    fi
    sleep 0.1
  done
  wait "$pid"
  status=$?
  if [ "$finished_for" -ge 200 ]; then
    grep -qE '^Totals: [0-9]+ passed, 0 failed' "$out/result.txt" && status=0 || status=1
  fi
fi
cat "$out/result.txt" 2>/dev/null
# What the program wrote itself, and Wine's own complaints, when it failed.
if [ $status -ne 0 ]; then
  cat "$out/stdout.txt"
  grep -v -e '^fixme:' -e '^err:ole' "$out/stderr.txt" >&2 || true
fi
exit $status
