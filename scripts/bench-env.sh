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

if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi

on_display() {
  if [ -n "${DISPLAY:-}" ]; then
    "$@"
    return
  fi
  # A private Xvfb on the first free display; it names the display once it is ready.
  local ready status=0 xvfb
  ready=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$ready" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 200); do
    [ -s "$ready" ] && break
    sleep 0.05
  done
  DISPLAY=:$(head -n1 "$ready") "$@" || status=$?
  kill "$xvfb"
  wait "$xvfb" 2>/dev/null || true
  rm -f "$ready"
  return $status
}
