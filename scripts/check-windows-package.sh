#!/usr/bin/env bash
# Checks a portable Windows zip: every DLL that a program or plugin in it
# imports is either in the zip or part of Windows, every DLL in it is imported by
# something in it or is a Qt plugin, and the program is a window program.
set -euo pipefail
zip=$1
objdump=x86_64-w64-mingw32-objdump
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"
root=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
[ -f "$root/tunetrawl.exe" ] || { echo "no tunetrawl.exe at the top of $zip" >&2; exit 1; }

# DLLs that Windows itself provides (and Wine as well): the API sets and the
# system folder's libraries, which no program ships.
system_dll() {
  case "${1,,}" in
    api-ms-win-*|ext-ms-*) return 0 ;;
    advapi32.dll|authz.dll|bcrypt.dll|comctl32.dll|comdlg32.dll|crypt32.dll|d3d9.dll|d3d11.dll|\
    d3d12.dll|dwmapi.dll|dwrite.dll|dxgi.dll|dnsapi.dll|gdi32.dll|imm32.dll|iphlpapi.dll|\
    kernel32.dll|mpr.dll|msvcrt.dll|ncrypt.dll|netapi32.dll|ntdll.dll|ole32.dll|oleaut32.dll|\
    secur32.dll|setupapi.dll|shell32.dll|shcore.dll|shlwapi.dll|user32.dll|userenv.dll|\
    uxtheme.dll|version.dll|winhttp.dll|winmm.dll|ws2_32.dll|wtsapi32.dll|wininet.dll|winspool.drv|\
    cfgmgr32.dll|dbghelp.dll|psapi.dll|rpcrt4.dll|usp10.dll|mswsock.dll|normaliz.dll) return 0 ;;
  esac
  return 1
}

status=0
declare -A imported=()
while IFS= read -r -d '' binary; do
  while read -r dll; do
    key=${dll,,}
    imported[$key]=1
    if [ -e "$root/$dll" ] || [ -n "$(find "$root" -maxdepth 1 -iname "$dll" -print -quit)" ]; then
      continue
    fi
    if ! system_dll "$dll"; then
      echo "${binary#"$root"/} imports $dll, which is neither in the package nor part of Windows" >&2
      status=1
    fi
  done < <("$objdump" -p "$binary" | sed -n 's/^\s*DLL Name: //p')
done < <(find "$root" \( -iname '*.exe' -o -iname '*.com' -o -iname '*.dll' \) -print0)

# Plugins are loaded by name, not imported; every other DLL must be imported.
while IFS= read -r -d '' dll; do
  name=$(basename "$dll")
  [ -n "${imported[${name,,}]:-}" ] || {
    echo "${dll#"$root"/} is in the package but nothing imports it" >&2
    status=1
  }
done < <(find "$root" -maxdepth 1 -iname '*.dll' -print0)
for plugin in platforms/qwindows.dll styles/qwindowsvistastyle.dll tls/qschannelbackend.dll; do
  [ -f "$root/$plugin" ] || { echo "the plugin $plugin is missing" >&2; status=1; }
done
for file in qt.conf translations/qtbase_ru.qm licenses/Tunetrawl-LICENSE.txt; do
  [ -f "$root/$file" ] || { echo "$file is missing" >&2; status=1; }
done

# Subsystem 2 is a window program, 3 a console one.
subsystem() { "$objdump" -p "$1" | sed -n 's/^Subsystem\s*0*\([0-9]*\)\s.*/\1/p'; }
[ "$(subsystem "$root/tunetrawl.exe")" = 2 ] || { echo "tunetrawl.exe is not a window program" >&2; status=1; }
[ "$(subsystem "$root/tunetrawl.com")" = 3 ] || { echo "tunetrawl.com is not a console program" >&2; status=1; }
[ $status -eq 0 ] && echo "$(basename "$zip"): $(find "$root" -iname '*.dll' | wc -l) DLLs, all imported or plugins; every import found"
exit $status
