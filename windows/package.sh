#!/usr/bin/env bash
# Lays out the portable Windows build in STAGE and zips it into ZIP: the two programs, every DLL
# they load that Windows does not bring itself, Qt's platform and style plugins and its Japanese
# translation, the home page, and the licence of everything bundled with where its source is.
# usage: package.sh ZIP STAGE SOURCE_DIR EXE…   (QUILLMORPH_WINDOWS_PREFIX: the toolchain's prefix)
set -euo pipefail
zip_file=$1 stage=$2 source=$3; shift 3
here=$(cd "$(dirname "$0")" && pwd)
prefix=${QUILLMORPH_WINDOWS_PREFIX:-$("$here/toolchain.sh" prefix)}
src=$(dirname "$prefix")/src
search=("$prefix/bin" "$prefix/qt6/bin" /usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib)
# What every Windows 10 and 11 has; anything else a program imports must be found and shipped.
system_dll='^(kernel32|user32|gdi32|gdiplus|advapi32|shell32|shlwapi|ole32|oleaut32|comdlg32|comctl32|ws2_32|ntdll|bcrypt|bcryptprimitives|crypt32|secur32|iphlpapi|dnsapi|netapi32|userenv|wtsapi32|imm32|winmm|version|uxtheme|dwmapi|setupapi|mpr|authz|rpcrt4|usp10|shcore|winspool\.drv|winhttp|wininet|ncrypt|netutils|dbghelp|psapi|wldap32|normaliz|d3d9|d3d11|d3d12|dxgi|dwrite|d2d1|dcomp|msvcrt|ucrtbase|api-ms-win-.*|ext-ms-win-.*)(\.dll)?$'

rm -rf "$stage" && mkdir -p "$stage"/platforms "$stage"/styles "$stage"/translations "$stage"/docs "$stage"/licences

imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'; }
find_dll() {
    local d
    for d in "${search[@]}"; do [ -e "$d/$1" ] && { echo "$d/$1"; return; }; done
    return 1
}
declare -A shipped=()
ship_dependencies() { # file
    local dll lower path
    for dll in $(imports "$1"); do
        lower=${dll,,}
        [ -n "${shipped[$lower]:-}" ] && continue
        if path=$(find_dll "$dll"); then
            shipped[$lower]=1
            cp "$path" "$stage/"
            ship_dependencies "$path"
        elif ! [[ $lower =~ $system_dll ]]; then
            echo "package.sh: $1 needs $dll, found neither here nor among Windows' own" >&2
            exit 1
        fi
    done
}

for exe in "$@"; do cp "$exe" "$stage/"; ship_dependencies "$exe"; done
cp "$prefix/qt6/plugins/platforms/qwindows.dll" "$stage/platforms/"
ship_dependencies "$stage/platforms/qwindows.dll"
for style in "$prefix"/qt6/plugins/styles/*.dll; do
    cp "$style" "$stage/styles/" && ship_dependencies "$style"
done
cp /usr/share/qt6/translations/qtbase_ja.qm "$stage/translations/"
# Qt finds its plugins and translations beside the program, wherever it was unzipped.
printf '[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n' > "$stage/qt.conf"
cp "$source/docs/index.html" "$source/docs/quillmorph.png" "$stage/docs/"

licence() { # name file…
    local name=$1; shift
    mkdir -p "$stage/licences/$name" && cp "$@" "$stage/licences/$name/"
}
licence quillmorph "$source/data/copyright"
licence Qt "$src"/qt6-base-*/LICENSES/LGPL-3.0-only.txt "$src"/qt6-base-*/LICENSES/GPL-2.0-only.txt \
    "$src"/qt6-base-*/debian/copyright
licence libvips "$src/vips/package/README.md" "$src/vips/package/versions.json"
licence lcms2 "$src"/lcms2-*/COPYING
licence libjpeg-turbo "$src"/libjpeg-turbo-*/LICENSE.md "$src"/libjpeg-turbo-*/README.ijg
licence libexif "$src"/libexif-*/COPYING
licence libjxl "$src"/jpeg-xl-*/LICENSE "$src"/jpeg-xl-*/PATENTS
licence highway "$src"/highway-*/LICENSE
licence brotli "$src"/brotli-*/LICENSE
mkdir -p "$stage/licences/mingw-w64-runtime"
cp /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright "$stage/licences/mingw-w64-runtime/gcc-copyright"
cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$stage/licences/mingw-w64-runtime/mingw-w64-copyright"
sources() {
    echo "Where the sources of what is bundled here come from"
    echo
    echo "Qt 6 (qtbase), lcms2, libjpeg-turbo, libexif, libjxl, highway, brotli, googletest:"
    echo "Debian 12's source packages, built with MinGW-w64 by windows/toolchain.sh in quillmorph's"
    echo "source (apt-get source):"
    sed -n 's/^DEB_SOURCES="\(.*\)/\1/p;/^ [a-z]/p' "$here/toolchain.sh" | tr -d '"' | tr ' ' '\n' | sed '/^$/d;s/^/  /'
    echo
    echo "libvips $(sed -n 's/.*"vips": "\(.*\)".*/\1/p' "$src/vips/package/versions.json") and the libraries"
    echo "inside libvips-42.dll (listed in licences/libvips/versions.json): the npm registry's"
    echo "$(sed -n 's/^NPM_PACKAGES="\(.*\)"/\1/p' "$here/toolchain.sh"), built from"
    echo "https://github.com/lovell/sharp-libvips; libvips itself: https://github.com/libvips/libvips"
    echo "(LGPL-2.1-or-later). Qt is LGPL-3.0: its source is Debian's qt6-base $(ls -d "$src"/qt6-base-* | sed 's/.*qt6-base-//')."
    echo
    echo "The MinGW-w64 runtime (libstdc++, libgcc, winpthreads): Debian 12's gcc-mingw-w64 and"
    echo "mingw-w64 packages (GCC runtime library exception)."
}
sources > "$stage/licences/SOURCES.txt"

rm -f "$zip_file"
(cd "$(dirname "$stage")" && zip -qr -X "$zip_file" "$(basename "$stage")")
echo "$zip_file"
