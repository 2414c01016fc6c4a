#!/usr/bin/env bash
# The real window over a real round trip: two network namespaces joined by the
# delay line of the latency tools (their folder in LATENCY_TOOLS, by default
# ../shared/latency beside the repository); nginx in the server's namespace serves
# two sets of songs (10 of 8 MiB, 40 of 1 MiB) and a history page naming each, the
# window runs on an Xvfb in the client's. At 100 Mbit/s over a round trip of 50 ms,
# of 150 ms, and of 100 ms losing 1 packet in 1000 behind a 50 ms queue: «Старт!»
# until the last song is committed, at the default Parallel, against curl --http1.0
# --parallel 4, 8 and 16 at a time on the same URLs and against the wire time, in
# interleaved rounds. Needs root. Everything it starts goes at the end, also on
# failure. Options go to the program: --rounds N (3), --sets COUNTxKIB,...
# (10x8192,40x1024). LATENCY_LINKS picks the links, each "one-way-ms:loss:queue-ms"
# ("25:0:0 75:0:0 50:1:50").
# Then, over the first link, servers in trouble with 20 songs of 1 MiB
# (LATENCY_TROUBLE_SET; LATENCY_TROUBLE=0 skips them): nginx serving 2 connections
# at once and answering 503 beyond (limit_conn), the stand-in site serving 2 and
# leaving the rest waiting unanswered (--busy 2), each at Parallel auto against
# Parallel 2; and the stand-in site resetting every song's connection once at
# half its body (--fault break=*, started anew for each of the rounds), with the
# bytes that came over the link. LATENCY_TROUBLE=only runs these alone.
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
. "$top/scripts/bench-env.sh" bench_latency tunetrawl-chartsite

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

serve_nginx() { # configuration file
  ip netns exec "${prefix}srv" nginx -p "$scratch/nginx" -c "$1" \
    -e "$scratch/nginx/error.log" -g 'daemon off;' &
  nginx_pid=$!
}

wait_for() { # URL
  for _ in $(seq 50); do
    if ip netns exec "${prefix}cli" curl -sf -o /dev/null --max-time 2 "$1"; then
      return 0
    fi
    sleep 0.1
  done
  echo "bench-latency: nothing answers $1" >&2
  cat "$scratch/nginx/error.log" >&2 || true
  exit 2
}

status=0
links=${LATENCY_LINKS:-25:0:0 75:0:0 50:1:50}
[ "${LATENCY_TROUBLE:-1}" != only ] || links=""
for link in $links; do
  IFS=: read -r one_way_ms loss queue_ms <<<"$link"
  echo
  namespaces=yes
  "$tools/netns-up.sh" "$one_way_ms" "$rate_mbit" "$prefix" "$loss" "$queue_ms"
  serve_nginx "$scratch/nginx/nginx.conf"
  wait_for "http://$server/songs/0/01.mp3"
  start_xvfb ip netns exec "${prefix}cli"
  DISPLAY=$xvfb_display ip netns exec "${prefix}cli" "$build/bench/bench_latency" \
    --host "$server" --rtt-ms $((2 * one_way_ms)) --rate-mbit "$rate_mbit" --loss "$loss" \
    --queue-ms "$queue_ms" "$@" || status=$?
  teardown
  if [ "$status" -gt 1 ]; then
    exit "$status"
  fi
done

if [ "${LATENCY_TROUBLE:-1}" = 0 ]; then
  exit $status
fi
trouble_set=${LATENCY_TROUBLE_SET:-20x1024}
trouble_kib=${trouble_set#*x}
trouble_songs=${trouble_set%x*}
"$build/bench/bench_latency" --write-site "$scratch/trouble" --host "$server" --sets "$trouble_set"
sed -e "s|root \"$scratch/site\";|root \"$scratch/trouble\";|" \
  -e "s|^http {|http {\n  limit_conn_zone \$server_name zone=perserver:1m;\n  limit_conn_status 503;|" \
  -e "s|^    listen $server;|    listen $server;\n    limit_conn perserver 2;|" \
  "$scratch/nginx/nginx.conf" >"$scratch/nginx/limit.conf"
chartsite=$build/tools/chartsite/tunetrawl-chartsite
first_link=${LATENCY_LINKS:-25:0:0}
IFS=: read -r one_way_ms loss queue_ms <<<"${first_link%% *}"
troubled() { # scenario, rounds, a URL it answers, then how to start the server
  local scenario=$1 rounds=$2 probe=$3
  shift 3
  namespaces=yes
  "$tools/netns-up.sh" "$one_way_ms" "$rate_mbit" "$prefix" "$loss" "$queue_ms"
  if [ "$1" = nginx ]; then
    serve_nginx "$scratch/nginx/limit.conf"
  else
    ip netns exec "${prefix}srv" "$@" >/dev/null &
    nginx_pid=$!
  fi
  wait_for "http://$server$probe"
  start_xvfb ip netns exec "${prefix}cli"
  DISPLAY=$xvfb_display ip netns exec "${prefix}cli" "$build/bench/bench_latency" \
    --host "$server" --rtt-ms $((2 * one_way_ms)) --rate-mbit "$rate_mbit" --loss "$loss" \
    --queue-ms "$queue_ms" --sets "$trouble_set" --rounds "$rounds" --scenario "$scenario" ||
    status=$?
  teardown
  if [ "$status" -gt 1 ]; then
    exit "$status"
  fi
}
echo
echo "== servers in trouble, over a round trip of $((2 * one_way_ms)) ms =="
troubled "limit (nginx limit_conn 2, 503 beyond)" "${ROUNDS:-3}" /songs/0/01.mp3 nginx
site_options=(--address 10.97.0.1 --size "$trouble_kib" --songs "$trouble_songs")
troubled "queue (--busy 2: the rest wait unanswered)" "${ROUNDS:-3}" /version/tunetrawl.php \
  "$chartsite" "${site_options[@]}" --busy 2 8080
for _ in 1 2 3; do
  troubled "break (every song reset once at half its body)" 1 /version/tunetrawl.php \
    "$chartsite" "${site_options[@]}" --fault 'break=*' 8080
done
exit $status
