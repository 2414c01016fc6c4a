#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, test and run Tunetrawl.
# Only missing packages are installed; running it again is cheap.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-translations-l10n      # Russian texts for Qt's own dialogs
  fonts-dejavu-core fonts-liberation2 # Cyrillic-capable fonts for offscreen and X11
  nginx-light apache2 lighttpd python3 # real HTTP servers for the client's interoperability
                             # tests, run as children on free loopback ports, so any system
                             # service these start on install does not matter
  openssl                    # makes the throw-away certificates of the TLS tests
  curl wget                  # reference clients for the server self-test and the benchmarks
  ncal                       # outside oracle for the calendar's month grid
  mpg123                     # checks that the stand-in site serves playable MP3s
  xvfb x11-utils imagemagick # screenshots of the real window
  at-spi2-core python3-pyatspi dbus-x11 # the window through the AT-SPI bus, as screen readers see it
  iproute2                   # network namespaces of the latency benchmark
  desktop-file-utils appstream # validators for the installed desktop entry and metadata
  librsvg2-bin               # renders the SVG icon to compare it with the drawn one
  dpkg-dev file              # cpack -G DEB computes the package's dependencies with them
  lintian man-db             # check the .deb and the manual page as Debian does
  clang libclang-rt-dev      # libFuzzer and clang's sanitizer runtimes for the fuzz targets
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# The tests start their own servers on free loopback ports. Where a service
# manager runs, the server packages would each start a system service on port 80
# and the second one's install would fail; keep them from starting for this install.
policy=/usr/sbin/policy-rc.d
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
  $sudo chmod 755 "$policy"
  trap '$sudo rm -f "$policy"' EXIT
fi
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
