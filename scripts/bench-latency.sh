#!/usr/bin/env bash
# The real window over a real round trip: two network namespaces joined by the
# delay line of the latency tools (their folder in LATENCY_TOOLS, by default
# ../shared/latency beside the repository); nginx in the server's namespace serves
# 40 songs of 1 MiB and a history page naming them, the window runs on an Xvfb in
# the client's. At a round trip of 50 ms and of 150 ms, 100 Mbit/s: «Старт!» until
# the last song is committed, at the default Parallel and at Parallel 1, against
# curl --http1.0 fetching the same URLs four at a time and one after another, in
# interleaved rounds. Needs root. Everything it starts goes at the end, also on
# failure. Options go to the program: --rounds N (3), --songs N (40),
# --song-kib N (1024).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tools=${LATENCY_TOOLS:-$top/../shared/latency}
if [ ! -x "$tools/netns-up.sh" ] || [ ! -x "$tools/netns-down.sh" ]; then
  echo "bench-latency: no netns-up.sh and netns-down.sh in $tools;" \
    "set LATENCY_TOOLS to the folder of the latency tools" >&2
  exit 2
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "bench-latency: needs root (network namespaces, TUN devices, a real-time delay line)" >&2
  exit 2
fi
. "$top/scripts/bench-env.sh" bench_latency

rate_mbit=100
server=10.97.0.1:8080
prefix=tt$$ # namespaces ${prefix}srv and ${prefix}cli
scratch=$(mktemp -d) # in the benchmarks' own temporary folder
nginx_pid=""
namespaces=""

teardown() {
  stop_xvfb
  if [ -n "$nginx_pid" ]; then
    kill "$nginx_pid" 2>/dev/null || true
    wait "$nginx_pid" 2>/dev/null || true
    nginx_pid=""
  fi
  if [ -n "$namespaces" ]; then
    "$tools/netns-down.sh" "$prefix"
    # What the delay line says at its end: packets forwarded and dropped.
    sed 's/^/  /' "${TMPDIR:-/tmp}/latency-$prefix/delayline.log" 2>/dev/null || true
    rm -rf "${TMPDIR:-/tmp}/latency-$prefix"
    namespaces=""
  fi
}
trap 'teardown; bench_cleanup' EXIT
trap 'exit 130' INT TERM

# The songs and the page, then nginx's configuration around them.
"$build/bench/bench_latency" --write-site "$scratch/site" --host "$server" "$@"
mkdir -p "$scratch/nginx/temp"
cat >"$scratch/nginx/nginx.conf" <<CONF
user root root;
worker_processes 1;
pid $scratch/nginx/nginx.pid;
error_log $scratch/nginx/error.log warn;
events { worker_connections 256; }
http {
  access_log off;
  client_body_temp_path $scratch/nginx/temp/client_body;
  proxy_temp_path $scratch/nginx/temp/proxy;
  fastcgi_temp_path $scratch/nginx/temp/fastcgi;
  uwsgi_temp_path $scratch/nginx/temp/uwsgi;
  scgi_temp_path $scratch/nginx/temp/scgi;
  types { text/html html; }
  default_type application/octet-stream;
  sendfile on;
  server {
    listen $server;
    root "$scratch/site";
  }
}
CONF

status=0
for one_way_ms in 25 75; do
  echo
  namespaces=yes
  "$tools/netns-up.sh" "$one_way_ms" "$rate_mbit" "$prefix"
  ip netns exec "${prefix}srv" nginx -p "$scratch/nginx" -c "$scratch/nginx/nginx.conf" \
    -e "$scratch/nginx/error.log" -g 'daemon off;' &
  nginx_pid=$!
  up=""
  for _ in $(seq 50); do
    if ip netns exec "${prefix}cli" curl -sf -o /dev/null --max-time 2 "http://$server/songs/01.mp3"; then
      up=yes
      break
    fi
    sleep 0.1
  done
  if [ -z "$up" ]; then
    echo "bench-latency: nginx does not answer on $server" >&2
    cat "$scratch/nginx/error.log" >&2 || true
    exit 2
  fi
  start_xvfb ip netns exec "${prefix}cli"
  DISPLAY=$xvfb_display ip netns exec "${prefix}cli" "$build/bench/bench_latency" \
    --host "$server" --rtt-ms $((2 * one_way_ms)) --rate-mbit "$rate_mbit" "$@" || status=$?
  teardown
  if [ "$status" -gt 1 ]; then
    exit "$status"
  fi
done
exit $status
