#!/usr/bin/env bash
# Builds what the Windows build links against, from Debian's source packages and the npm
# registry's prebuilt libvips, into a versioned cache outside the clone:
#   windows/toolchain.sh download   fetches sources (network: Debian's archive, npm)
#   windows/toolchain.sh build      builds and installs them (no network)
#   windows/toolchain.sh            both; each component is skipped once its stamp exists
# The cache: ${QUILLMORPH_WINDOWS_CACHE:-$HOME/.cache/quillmorph-windows}/toolchain-$VERSION;
# `windows/toolchain.sh prefix` prints where the libraries are installed, `… wine-only` where
# the stand-ins for running the tests under Wine are.
set -euo pipefail

VERSION=1
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=${QUILLMORPH_WINDOWS_CACHE:-$HOME/.cache/quillmorph-windows}/toolchain-$VERSION
DL=$ROOT/downloads SRC=$ROOT/src BUILD=$ROOT/build PREFIX=$ROOT/prefix STAMPS=$ROOT/stamps
JOBS=${JOBS:-$(nproc)}
HOST=x86_64-w64-mingw32
export QUILLMORPH_WINDOWS_PREFIX=$PREFIX

# The same versions the Linux build uses (Debian 12), and the libvips pair whose versions match.
DEB_SOURCES="qt6-base=6.4.2+dfsg-10 lcms2=2.14-2+deb12u1 libjpeg-turbo=1:2.1.5-2
 libexif=0.6.24-1+deb12u1 jpeg-xl=0.7.0-10+deb12u1 highway=1.0.3-3+deb12u1 brotli/bookworm
 googletest=1.12.1-0.2"
NPM_PACKAGES="@img/sharp-libvips-win32-x64@1.3.3 @img/sharp-libvips-dev@1.3.3"
PACKAGES="g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
 cmake ninja-build pkg-config dpkg-dev qt6-base-dev qt6-base-dev-tools qt6-tools-dev-tools
 qt6-l10n-tools qt6-translations-l10n zip nasm autoconf automake libtool autopoint gettext"

log() { printf '== %s\n' "$*" >&2; }
done_() { [ -e "$STAMPS/$1" ]; }
stamp() { mkdir -p "$STAMPS" && touch "$STAMPS/$1"; }

install_packages() {
    local missing=""
    for p in $PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    # npm comes with Node.js, which may not be Debian's
    command -v npm >/dev/null || missing="$missing npm"
    [ -z "$missing" ] && return
    log "installing:$missing"
    local sudo=""; [ "$(id -u)" = 0 ] || sudo=sudo
    $sudo apt-get update && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
}

# apt-get source needs deb-src lines; ours mirror the deb lines Debian 12 ships with.
ensure_deb_src() {
    local list=/etc/apt/sources.list.d/quillmorph-deb-src.sources
    grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/ && return
    local sudo=""; [ "$(id -u)" = 0 ] || sudo=sudo
    sed -n '/^Types:/,/^$/p' /etc/apt/sources.list.d/debian.sources | sed 's/^Types: deb$/Types: deb-src/' \
        | $sudo tee "$list" >/dev/null
    $sudo apt-get update >/dev/null
}

download() {
    install_packages
    done_ download && return
    ensure_deb_src
    mkdir -p "$DL" && cd "$DL"
    log "Debian sources: $DEB_SOURCES"
    # shellcheck disable=SC2086
    apt-get source --download-only $DEB_SOURCES
    log "npm: $NPM_PACKAGES"
    # shellcheck disable=SC2086
    npm pack --silent $NPM_PACKAGES >/dev/null
    stamp download
}

unpack() {
    done_ unpack && return
    rm -rf "$SRC" && mkdir -p "$SRC" && cd "$SRC"
    for dsc in "$DL"/*.dsc; do dpkg-source --no-check -x "$dsc" >/dev/null; done
    mkdir -p vips && tar -xzf "$DL"/img-sharp-libvips-win32-x64-*.tgz -C vips
    mkdir -p vips-dev && tar -xzf "$DL"/img-sharp-libvips-dev-*.tgz -C vips-dev
    stamp unpack
}

cmake_build() { # name source-dir cmake-args…
    local name=$1 src=$2; shift 2
    done_ "$name" && return
    log "building $name"
    rm -rf "$BUILD/$name"
    cmake -S "$src" -B "$BUILD/$name" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$HERE/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" "$@"
    cmake --build "$BUILD/$name" -j "$JOBS"
    cmake --install "$BUILD/$name"
    stamp "$name"
}

build_qt() {
    # Widgets, Network (local sockets only), Concurrent and Test; Debian's host tools (moc, rcc,
    # uic) do the generating. No OpenGL, SQL, D-Bus, printing or TLS; tablet events off, as
    # Debian's source lacks their Windows files. Built so, 6.4.2 needs no patch of ours. Its
    # network module finds the brotli built above and takes its DLLs along.
    cmake_build qtbase "$(echo "$SRC"/qt6-base-*)" -DCMAKE_INSTALL_PREFIX="$PREFIX/qt6" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_QMAKE_TARGET_MKSPEC=win32-g++ -DINPUT_opengl=no -DFEATURE_opengl=OFF \
        -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_openssl=OFF -DFEATURE_tabletevent=OFF \
        -DFEATURE_printsupport=OFF -DFEATURE_zstd=OFF -DFEATURE_glib=OFF -DFEATURE_icu=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
        -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
        -DFEATURE_system_doubleconversion=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
}

autotools_build() { # name source-dir configure-args…
    local name=$1 src=$2; shift 2
    done_ "$name" && return
    log "building $name"
    [ -x "$src/configure" ] || (cd "$src" && autoreconf -fi >/dev/null)
    rm -rf "$BUILD/$name" && mkdir -p "$BUILD/$name" && cd "$BUILD/$name"
    "$src/configure" --host=$HOST --prefix="$PREFIX" "$@" >/dev/null
    make -j "$JOBS" >/dev/null && make install >/dev/null
    stamp "$name"
}

build_libraries() {
    # What the engine calls itself, as DLLs beside the program (libexif is LGPL; the rest are
    # permissive but shared too, so each library's notice sits beside its one file).
    autotools_build lcms2 "$SRC"/lcms2-* --enable-shared --disable-static --without-jpeg --without-tiff --without-zlib
    cmake_build libjpeg-turbo "$(echo "$SRC"/libjpeg-turbo-*)" -DENABLE_STATIC=OFF -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF
    autotools_build libexif "$SRC"/libexif-* --enable-shared --disable-static --disable-docs --disable-nls
    cmake_build highway "$(echo "$SRC"/highway-*)" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF \
        -DHWY_ENABLE_EXAMPLES=OFF -DHWY_ENABLE_CONTRIB=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=ON
    cmake_build brotli "$(echo "$SRC"/brotli-*)" -DBROTLI_DISABLE_TESTS=ON
    cmake_build libjxl "$(echo "$SRC"/jpeg-xl-*)" -DBUILD_TESTING=OFF -DJPEGXL_ENABLE_TOOLS=OFF \
        -DJPEGXL_ENABLE_DEVTOOLS=OFF -DJPEGXL_ENABLE_BENCHMARK=OFF -DJPEGXL_ENABLE_EXAMPLES=OFF \
        -DJPEGXL_ENABLE_MANPAGES=OFF -DJPEGXL_ENABLE_DOXYGEN=OFF -DJPEGXL_ENABLE_JNI=OFF \
        -DJPEGXL_ENABLE_SJPEG=OFF -DJPEGXL_ENABLE_OPENEXR=OFF -DJPEGXL_ENABLE_SKCMS=OFF \
        -DJPEGXL_BUNDLE_SKCMS=OFF -DJPEGXL_ENABLE_PLUGINS=OFF -DJPEGXL_ENABLE_TCMALLOC=OFF \
        -DJPEGXL_FORCE_SYSTEM_BROTLI=ON -DJPEGXL_FORCE_SYSTEM_HWY=ON -DJPEGXL_FORCE_SYSTEM_LCMS2=ON \
        -DJPEGXL_WARNINGS_AS_ERRORS=OFF -DCMAKE_PREFIX_PATH="$PREFIX"
    cmake_build googletest "$(echo "$SRC"/googletest-*)" -DBUILD_SHARED_LIBS=OFF
}

# libvips: the prebuilt DLL (its C ABI), an import library made from its exports, its headers,
# and its C++ API compiled here with our compiler (the bundled C++ DLL is MSVC's).
build_vips() {
    done_ vips && return
    log "libvips import library and C++ API"
    local bin=$SRC/vips/package/lib dev=$SRC/vips-dev/package out=$BUILD/vips
    rm -rf "$out" "$PREFIX/include/vips-win"
    mkdir -p "$out" "$PREFIX/bin" "$PREFIX/lib/pkgconfig" "$PREFIX/include/vips-win"
    cp "$bin/libvips-42.dll" "$PREFIX/bin/"
    (cd "$out" && gendef "$bin/libvips-42.dll" >/dev/null &&
        $HOST-dlltool -d libvips-42.def -D libvips-42.dll -l "$PREFIX/lib/libvips.dll.a")
    # Only libvips' and GLib's headers: the other libraries' headers in the package (its own
    # libjpeg, lcms2, libexif) must never stand in for the ones our code is built against.
    cp -r "$dev/include/vips" "$dev/include/glib-2.0" "$PREFIX/include/vips-win/"
    cp "$bin/glib-2.0/include/glibconfig.h" "$PREFIX/include/vips-win/glib-2.0/"
    local inc="-I$PREFIX/include/vips-win -I$PREFIX/include/vips-win/glib-2.0"
    for f in VConnection VError VImage VInterpolate VRegion; do
        $HOST-g++-posix -std=c++17 -O2 $inc -c "$dev/cplusplus/$f.cpp" -o "$out/$f.o"
    done
    $HOST-ar rcs "$PREFIX/lib/libvips-cpp.a" "$out"/*.o
    cp "$SRC/vips/package/versions.json" "$PREFIX/share-vips-versions.json"
    cat > "$PREFIX/lib/pkgconfig/vips.pc" <<PC
prefix=$PREFIX
Name: vips
Description: libvips (prebuilt Windows DLL)
Version: $(sed -n 's/.*"vips": "\(.*\)".*/\1/p' "$SRC/vips/package/versions.json")
Cflags: $inc
Libs: -L\${prefix}/lib -lvips
PC
    cat > "$PREFIX/lib/pkgconfig/vips-cpp.pc" <<PC
prefix=$PREFIX
Name: vips-cpp
Description: libvips' C++ API, compiled for MinGW
Version: $(sed -n 's/.*"vips": "\(.*\)".*/\1/p' "$SRC/vips/package/versions.json")
Requires: vips
Libs: -L\${prefix}/lib -lvips-cpp
PC
    stamp vips
}

# Wine 8 lacks bcryptprimitives.dll, which the prebuilt libvips imports: a stand-in for the
# tests under Wine, kept apart from what is shipped.
build_wine_stand_ins() {
    done_ wine-stand-ins && return
    mkdir -p "$ROOT/wine-only"
    $HOST-gcc-posix -shared -O2 -o "$ROOT/wine-only/bcryptprimitives.dll" \
        "$HERE/wine/bcryptprimitives.c" -lbcrypt -Wl,--kill-at
    stamp wine-stand-ins
}

main() {
    local step=${1:-all}
    case $step in
        prefix) echo "$PREFIX"; return ;;
        wine-only) echo "$ROOT/wine-only"; return ;;
        download) download ;;
        build) install_packages; unpack; build_libraries; build_vips; build_wine_stand_ins; build_qt ;;
        all) download; unpack; build_libraries; build_vips; build_wine_stand_ins; build_qt ;;
        *) echo "usage: $0 [download|build|prefix]" >&2; exit 2 ;;
    esac
}

main "$@"
