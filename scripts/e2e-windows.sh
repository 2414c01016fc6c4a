#!/usr/bin/env bash
# The Windows program as a user meets it, under Xvfb and Wine: the installer
# in silent mode, the installed program against the stand-in chart site (the
# Linux build's, on loopback), a day's list loaded, all marked, 20 songs fetched
# into a folder with a Cyrillic name and compared byte for byte with what the
# site serves; a run killed midway, and the next run leaving no part file; the
# portable zip started from a Cyrillic folder; screenshots at 96 and 144 dpi;
# the uninstaller removing every installed file.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${WINDOWS_BUILD_DIR:-$top/build-windows}}
linux_build=${BUILD_DIR:-$top/build}
. "$top/scripts/wine-env.sh" "$build"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
setup=$build/tunetrawl-$version-win64-setup.exe
zip=$build/tunetrawl-$version-win64.zip
shots=$build/screenshots
mkdir -p "$shots"

fail() {
  echo "e2e: $*" >&2
  exit 1
}
step() { echo "--- $*"; }

# The stand-in site runs on Linux, as the real one would on another machine.
if [ ! -x "$linux_build/tools/chartsite/tunetrawl-chartsite" ]; then
  cmake -S "$top" -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
  cmake --build "$linux_build" --target tunetrawl-chartsite >/dev/null
fi
work=$(mktemp -d)
site_pid=
xvfb_pid=
cleanup() {
  [ -z "$site_pid" ] || kill "$site_pid" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

start_site() {
  [ -z "$site_pid" ] || { kill "$site_pid" 2>/dev/null || true; wait "$site_pid" 2>/dev/null || true; }
  "$linux_build/tools/chartsite/tunetrawl-chartsite" 0 --songs 20 "$@" >"$work/site.log" 2>&1 &
  site_pid=$!
  port=
  for _ in $(seq 100); do
    port=$(head -n 1 "$work/site.log" 2>/dev/null || true)
    [ -n "$port" ] && break
    sleep 0.1
  done
  [ -n "$port" ] || fail "the stand-in chart site did not start"
}

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# Settings as the registry holds them, written by regedit from a UTF-16 file so
# that the Cyrillic folder name arrives whole.
set_settings() { # folder (Windows path), dpi
  local reg=$work/settings.reg
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\tunetrawl\\tunetrawl\\Main]\r\n'
    printf '"ChartHost"="127.0.0.1:%s"\r\n"UpdateHost"="127.0.0.1:%s"\r\n' "$port" "$port"
    printf '"Station"="1"\r\n"NoNum"="False"\r\n"SubFolsers"="False"\r\n'
    printf '"LastUpdate"="%s"\r\n' "$(date +%d.%m.%Y)"
    printf '"Path"="%s"\r\n\r\n' "${1//\\/\\\\}"
    printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n' "$2"
  } | iconv -f UTF-8 -t UTF-16 >"$reg"
  wine regedit /S "Z:${reg//\//\\}"
  wineserver -w
}

window_id() {
  for _ in $(seq 300); do
    local id
    id=$(xdotool search --name '^Tunetrawl' 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

click() { # window, x, y at 96 dpi, scale
  local x y
  x=$(awk "BEGIN { printf \"%d\", $2 * $4 }")
  y=$(awk "BEGIN { printf \"%d\", $3 * $4 }")
  xdotool mousemove --window "$1" "$x" "$y" click 1
}

# Waits until no part file is left in folder and the count of songs holds still.
wait_for_songs() { # folder, count, seconds
  for _ in $(seq $(($3 * 10))); do
    local songs parts
    songs=$(find "$1" -maxdepth 1 -name '*.mp3' 2>/dev/null | wc -l)
    parts=$(find "$1" -maxdepth 1 -name '.tunetrawl-*.part' 2>/dev/null | wc -l)
    [ "$songs" -ge "$2" ] && [ "$parts" -eq 0 ] && return 0
    sleep 0.1
  done
  return 1
}

today=$(date +%d.%m.%Y)
station_dir="Радио DFM"
music="$work/Музыка пользователя"
mkdir -p "$music"
win_music="Z:${music//\//\\}\\"

step "installer, silent"
wine "$setup" /S
wineserver -w
installed="$WINEPREFIX/drive_c/Program Files/Tunetrawl"
[ -f "$installed/tunetrawl.exe" ] || fail "setup.exe /S installed no tunetrawl.exe"
find "$installed" -type f | sed "s|^$installed/||" | sort >"$work/installed.txt"
menu=$(find "$WINEPREFIX/drive_c" -path '*Start Menu*' -iname 'Tunetrawl*.lnk' | head -n 1)
[ -n "$menu" ] || fail "no Start-menu entry"
echo "installed $(wc -l <"$work/installed.txt") files; Start menu: ${menu##*/Start Menu/}"

run_window() { # dpi
  set_settings "$win_music" "$1"
  wine "C:\\Program Files\\Tunetrawl\\tunetrawl.exe" >/dev/null 2>&1 &
  window_id >"$work/window" || fail "the window did not appear"
  # The stored station's list loads half a second after the window shows; on
  # loopback it is there well within the next seconds.
  sleep 4
}

step "a day's 20 songs into a Cyrillic folder"
start_site
run_window 96
win=$(cat "$work/window")
import -window root "$shots/window-96dpi-loaded.png"
click "$win" 14 222 1   # «Выбрать все»
click "$win" 278 18 1   # «Старт!»
target="$music/$station_dir"
wait_for_songs "$target" 19 60 || fail "the run did not store the songs: $(ls "$target" 2>&1 | head)"
sleep 1
import -window root "$shots/window-96dpi.png"
stored=0
for file in "$target"/*.mp3; do
  name=$(basename "$file")
  position=$((10#${name:0:4}))
  curl -s -o "$work/served.mp3" "http://127.0.0.1:$port/songs/dinamit/$today/$position.mp3"
  cmp -s "$file" "$work/served.mp3" || fail "$name differs from what the site served"
  stored=$((stored + 1))
done
echo "$stored songs, each byte-identical to what the site served"
wineserver -k || true
sleep 1

step "a run killed midway leaves a part file; the next run removes it"
rm -rf "$target"
start_site --fault silent=3
run_window 96
win=$(cat "$work/window")
click "$win" 14 222 1
click "$win" 278 18 1
for _ in $(seq 100); do
  [ -n "$(find "$target" -maxdepth 1 -name '.tunetrawl-*.part' 2>/dev/null)" ] && break
  sleep 0.1
done
[ -n "$(find "$target" -maxdepth 1 -name '.tunetrawl-*.part')" ] || fail "no part file while the run went"
wineserver -k || true # the process ends as a crash would end it
sleep 1
[ -n "$(find "$target" -maxdepth 1 -name '.tunetrawl-*.part')" ] || fail "the killed run left no part file to clean"
start_site
run_window 96
win=$(cat "$work/window")
click "$win" 14 222 1
click "$win" 278 18 1
wait_for_songs "$target" 19 60 || fail "the second run did not finish"
left=$(find "$target" -maxdepth 1 -name '.tunetrawl-*.part' | wc -l)
[ "$left" -eq 0 ] || fail "$left part files left behind"
echo "the killed run's part file is gone after the next run"
wineserver -k || true
sleep 1

step "144 dpi"
run_window 144
import -window root "$shots/window-144dpi.png"
wineserver -k || true
sleep 1

step "the portable zip, from a Cyrillic folder"
portable="$work/Программы"
mkdir -p "$portable"
unzip -q "$zip" -d "$portable"
set_settings "$win_music" 96
wine "Z:${portable//\//\\}\\tunetrawl-$version-win64\\tunetrawl.exe" >/dev/null 2>&1 &
window_id >/dev/null || fail "the zip's program showed no window"
wineserver -k || true
echo "the zip's program shows its window"

step "uninstaller, silent"
wine "C:\\Program Files\\Tunetrawl\\Uninstall.exe" /S
wineserver -w
sleep 2
wineserver -w
# No folder at all is the good case.
left=$({ find "$installed" -type f 2>/dev/null || true; } | wc -l)
[ "$left" -eq 0 ] || fail "the uninstaller left $left files: $(find "$installed" -type f | head -3)"
[ -z "$(find "$WINEPREFIX/drive_c" -path '*Start Menu*' -iname 'Tunetrawl*.lnk')" ] || fail "the Start-menu entry stayed"
echo "every installed file and the Start-menu entry are gone"
echo "e2e: passed; screenshots in $shots"
