#!/usr/bin/env bash
# Runs a cross-built program under Wine for the build and its tests (CMAKE_CROSSCOMPILING_EMULATOR):
# a Wine prefix of the build's own, the DLL folders on Wine's PATH, Wine's chatter off.
#   QUILLMORPH_WINDOWS_PREFIX  the toolchain's prefix (windows/toolchain.sh prefix)
#   QUILLMORPH_WINE_PREFIX     the Wine prefix [WINEPREFIX, else ./wine]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=${QUILLMORPH_WINDOWS_PREFIX:-$("$here/toolchain.sh" prefix)}
export WINEPREFIX=${QUILLMORPH_WINE_PREFIX:-${WINEPREFIX:-$PWD/wine}}
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
dirs=("$prefix/bin" "$prefix/qt6/bin" /usr/lib/gcc/x86_64-w64-mingw32/12-posix
      /usr/x86_64-w64-mingw32/lib "$("$here/toolchain.sh" wine-only)")
path=""
for d in "${dirs[@]}"; do path="$path${path:+;}Z:${d//\//\\}"; done
export WINEPATH=$path
export QT_PLUGIN_PATH="Z:${prefix//\//\\}\\qt6\\plugins"
# One Wine server per prefix: the first program made it; made once, quietly.
if [ ! -e "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
fi
exec wine "$@"
