#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, test and run Tunetrawl.
# Only missing packages are installed; running it again is cheap. With --windows
# it also installs what cross-builds, packages and runs the Windows program
# (MinGW-w64, Wine, NSIS) and makes Debian's sources available for Qt's.
set -euo pipefail
windows=
[ "${1:-}" != --windows ] || windows=1

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
if [ -n "$windows" ]; then
  packages+=(
    g++-mingw-w64-x86-64-posix mingw-w64-tools # the cross compiler, posix threads
    binutils-mingw-w64-x86-64  # objdump reads the DLLs' import tables
    dpkg-dev                   # dpkg-source unpacks Debian's qt6-base source
    wine wine64                # runs the Windows build's tests and the program
    nsis zip unzip             # the installer and the portable folder
    xdotool                    # clicks the real window under Wine
  )
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# Qt for Windows is built from Debian's own qt6-base source: apt-get source needs
# a deb-src entry beside each deb one.
srclist=/etc/apt/sources.list.d/tunetrawl-deb-src.sources
if [ -n "$windows" ] && ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  {
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -e "$f" ] && [ "$f" != "$srclist" ] || continue
      # Only Debian's own archives: their keyring signs the sources too.
      grep -q debian-archive-keyring "$f" || continue
      sed -n '/^Types:/s/.*/Types: deb-src/p; /^Types:/!p' "$f"
      echo
    done
  } | $sudo tee "$srclist.tmp" >/dev/null
  if [ -s "$srclist.tmp" ]; then
    $sudo mv "$srclist.tmp" "$srclist"
  else
    $sudo rm -f "$srclist.tmp"
    sed -n 's/^deb \(.*debian.*\)/deb-src \1/p' /etc/apt/sources.list |
      $sudo tee /etc/apt/sources.list.d/tunetrawl-deb-src.list >/dev/null
  fi
  missing_sources=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ] && [ -z "${missing_sources:-}" ]; then
  exit 0
fi

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
[ ${#missing[@]} -eq 0 ] || $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
