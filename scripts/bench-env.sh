# Sourced by the bench scripts: installs what they need, builds the given targets
# (RelWithDebInfo, two jobs) and defines on_display, which runs a command with the
# windows on the X server in DISPLAY or, without one, on a private Xvfb.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$top/build}

[ -n "${TUNETRAWL_DEPS_INSTALLED:-}" ] || "$top/scripts/install-deps.sh"
# On even where CI's options turned them off in this folder.
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUNETRAWL_BENCHMARKS=ON \
  >/dev/null
cmake --build "$build" -j2 --target "$@"
# Figures taken on a busy machine say little; the load goes beside them.
echo "load average before measuring: $(cut -d' ' -f1-3 /proc/loadavg) ($(nproc) cores)"

# The benchmarks' temporary folders (songs of a GiB and more at times) and a
# private X server go when the script ends, also when a benchmark is killed.
bench_tmp=$(mktemp -d)
export TMPDIR=$bench_tmp
bench_cleanup() {
  stop_xvfb
  rm -rf "$bench_tmp"
}
trap bench_cleanup EXIT

if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi

# Starts a private Xvfb on the first free display, through the command given
# before it, if any (ip netns exec NAME puts it into a network namespace); sets
# xvfb_pid and xvfb_display once it is ready.
start_xvfb() {
  local ready
  ready=$(mktemp)
  "$@" Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$ready" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 200); do
    [ -s "$ready" ] && break
    sleep 0.05
  done
  xvfb_display=:$(head -n1 "$ready")
  rm -f "$ready"
  if [ "$xvfb_display" = ":" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
}

stop_xvfb() {
  if [ -n "${xvfb_pid:-}" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
}

on_display() {
  if [ -n "${DISPLAY:-}" ]; then
    "$@"
    return
  fi
  local status=0
  start_xvfb || { stop_xvfb; return 1; }
  DISPLAY=$xvfb_display "$@" || status=$?
  stop_xvfb
  return $status
}
