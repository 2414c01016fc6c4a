# Sourced: a Wine prefix of the build's own (made on first use), with the Qt
# DLLs and the MinGW runtime on the programs' path, and temporary files in a
# folder that Wine names Z:\..., so that Linux programs see the same paths.
build=$(cd "${1:?the Windows build folder}" && pwd)
qt=$("$(dirname "${BASH_SOURCE[0]}")/windows-qt.sh")
export WINEPREFIX=$build/wineprefix WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
export TUNETRAWL_WINE_TEMP=$build/wine-temp
mkdir -p "$TUNETRAWL_WINE_TEMP"
if [ ! -f "$WINEPREFIX/.tunetrawl-ready" ]; then
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Environment' /v TEMP /t REG_SZ /d "Z:${TUNETRAWL_WINE_TEMP//\//\\}" /f >/dev/null 2>&1
  wine reg add 'HKCU\Environment' /v TMP /t REG_SZ /d "Z:${TUNETRAWL_WINE_TEMP//\//\\}" /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.tunetrawl-ready"
fi
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
threads=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")
export WINEPATH="Z:${qt//\//\\}\\bin;Z:${runtime//\//\\};Z:${threads//\//\\}"
# Wine hands QT_* variables to Windows programs only as WINEQT_*.
export WINEQT_PLUGIN_PATH="Z:$qt/plugins"
# The offscreen platform of Qt for Windows reads fonts from one folder only:
# the Cyrillic-capable ones the Linux tests use.
fonts=$build/wine-fonts
mkdir -p "$fonts"
for font in /usr/share/fonts/truetype/liberation2/LiberationSans-*.ttf \
  /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf; do
  [ -e "$font" ] && ln -sf "$font" "$fonts/"
done
export WINEQT_QPA_FONTDIR="Z:$fonts"
