#!/usr/bin/env bash
# Builds Qt for 64-bit Windows from Debian's own qt6-base source, once, into a
# cache outside the checkout, and prints the prefix it is installed in. A second
# run with the same Qt version and options finds it and builds nothing.
#
#   TUNETRAWL_QT_CACHE  the cache folder (default ~/.cache/tunetrawl)
#
# The first build takes about 30 minutes on two cores and needs about 1.3 GB
# while it runs; the installed Qt is about 90 MB.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$top/cmake/mingw-w64-x86_64.cmake
cache=${TUNETRAWL_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tunetrawl}

[ -n "${TUNETRAWL_DEPS_INSTALLED:-}" ] || "$top/scripts/install-deps.sh" --windows >&2

# What the program and its tests use, and nothing that needs a library Debian's
# source does not carry: the bundled third-party libraries, Schannel for TLS, no
# OpenGL (dynamicgl too, or the window plugin still asks for it). Debian strips wintab.h (tablet events), and without Direct2D the
# DirectWrite 3 font database fails to link.
options=(
  -DCMAKE_BUILD_TYPE=Release
  -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libb2=OFF -DFEATURE_system_sqlite=OFF
  -DFEATURE_schannel=ON -DFEATURE_openssl=OFF
  -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_vulkan=OFF -DFEATURE_dbus=OFF -DFEATURE_sql=OFF
  -DFEATURE_printsupport=OFF -DFEATURE_xml=OFF -DFEATURE_concurrent=OFF
  -DFEATURE_tabletevent=OFF -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF
)

version=$(dpkg-query -W -f='${Version}' qt6-base-dev | sed 's/+.*//; s/-.*//')
key=$( { printf '%s\n' "$version" "${options[@]}"; cat "$toolchain"; } | sha256sum | cut -c1-12)
prefix=$cache/qt-$version-win64-$key

if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

mkdir -p "$cache"
exec 9>"$cache/.qt-$key.lock"
flock 9
# Another run may have finished it while this one waited.
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

work=$cache/qt-$version-win64-$key.work
rm -rf "$prefix"
# An interrupted build goes on where it stopped.
[ -d "$work/src" ] || rm -rf "$work"
mkdir -p "$work"
started=$SECONDS
echo "Building Qt $version for Windows into $prefix (once; about 30 minutes)" >&2
(
  cd "$work"
  if [ ! -d src ]; then
    # The host's Qt is the same version: its moc, rcc and uic build the target's.
    apt-get source --only-source --download-only "qt6-base=$(dpkg-query -W -f='${Version}' qt6-base-dev)" >&2
    dpkg-source -x qt6-base_*.dsc src.tmp >&2
    mv src.tmp src
  fi
  cmake -S src -B build -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "${options[@]}" >&2
  cmake --build build >&2
  cmake --install build >&2
  # What the packages must carry beside Qt's DLLs: its licences and Debian's
  # record of the third-party code built into them.
  mkdir -p "$prefix/licenses"
  cp src/LICENSES/LGPL-3.0-only.txt src/LICENSES/GPL-3.0-only.txt "$prefix/licenses/"
  cp src/debian/copyright "$prefix/licenses/qt6-base-copyright.txt"
)
touch "$prefix/.complete"
rm -rf "$work"
echo "Qt for Windows built in $((SECONDS - started)) s" >&2
echo "$prefix"
