#!/usr/bin/env bash
# Builds the Windows program on Debian 12 and packages it: installs what is
# missing, builds Qt for Windows once (scripts/windows-qt.sh: a cache outside the
# checkout), cross-builds Tunetrawl with MinGW-w64 and makes
#   build-windows/tunetrawl-<version>-win64.zip        a portable folder
#   build-windows/tunetrawl-<version>-win64-setup.exe  an installer
# then checks that the zip holds every DLL its programs import and nothing else.
#
#   TUNETRAWL_WINDOWS_TESTS=ON  builds the test suite too (scripts/test-windows.sh)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${WINDOWS_BUILD_DIR:-$top/build-windows}

[ -n "${TUNETRAWL_DEPS_INSTALLED:-}" ] || "$top/scripts/install-deps.sh" --windows
qt=$("$top/scripts/windows-qt.sh")

tests=${TUNETRAWL_WINDOWS_TESTS:-OFF}
options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING="$tests" -DTUNETRAWL_BENCHMARKS=OFF)
# CI fails on any warning.
[ "${CI:-}" != true ] || options+=(-DTUNETRAWL_WERROR=ON)
# ctest runs each test program under Wine.
[ "$tests" != ON ] || options+=(-DCMAKE_CROSSCOMPILING_EMULATOR="$top/scripts/wine-run.sh")
# Qt's toolchain file, chaining this checkout's (the one Qt was built with may
# have been elsewhere).
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" "${options[@]}"
cmake --build "$build"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
rm -f "$build"/tunetrawl-*-win64.zip "$build"/tunetrawl-*-win64-setup.exe
(cd "$build" && cpack -G ZIP && cpack -G NSIS) >/dev/null
zip=$build/tunetrawl-$version-win64.zip
setup=$build/tunetrawl-$version-win64-setup.exe
[ -f "$zip" ] && [ -f "$setup" ] || { echo "cpack made no packages" >&2; exit 1; }
"$top/scripts/check-windows-package.sh" "$zip"
echo "$zip"
echo "$setup"
