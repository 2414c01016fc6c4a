#!/usr/bin/env bash
# Installs what is missing, builds, starts the stand-in chart site on loopback
# and runs Tunetrawl against it with a settings folder of its own
# (build/run-config), so the whole job works with no further set-up.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}

# .ci/run installs the dependencies once for all its steps.
[ -n "${TUNETRAWL_DEPS_INSTALLED:-}" ] || "$top/scripts/install-deps.sh"
# The stand-in site is built with the tests.
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
cmake --build "$build" --target tunetrawl tunetrawl-chartsite

site_log=$(mktemp)
"$build/tools/chartsite/tunetrawl-chartsite" 0 "$@" >"$site_log" &
site_pid=$!
trap 'kill $site_pid 2>/dev/null || true; rm -f "$site_log"' EXIT
for _ in $(seq 50); do
  port=$(head -n 1 "$site_log")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "${port:-}" ] || { echo "the stand-in chart site did not start" >&2; exit 1; }
echo "stand-in chart site on 127.0.0.1:$port"

export XDG_CONFIG_HOME="$build/run-config"
conf="$XDG_CONFIG_HOME/tunetrawl/tunetrawl.conf"
mkdir -p "$(dirname "$conf")"
# Point the program at the stand-in; keep whatever else earlier runs stored.
if [ -f "$conf" ]; then
  sed -i -e '/^ChartHost=/d' -e '/^UpdateHost=/d' "$conf"
fi
grep -q '^\[Main\]' "$conf" 2>/dev/null || printf '[Main]\n' >>"$conf"
sed -i "s/^\[Main\]\$/[Main]\nChartHost=127.0.0.1:$port\nUpdateHost=127.0.0.1:$port/" "$conf"

"$build/app/tunetrawl"
