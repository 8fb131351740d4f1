#!/usr/bin/env bash
# Checks the Debian package `make package` wrote into a build folder: its control fields, that
# it holds exactly what `cmake --install` lays out, under /usr, with no maintainer scripts, that
# the tree it unpacks to passes the desktop and AppStream validators, and that lintian finds
# no error in it.
# With --install it also installs the package with dpkg, runs the installed programs (a
# conversion through each way of writing: libvips, libvips' ImageMagick module, our PSD writer),
# removes the package, and fails unless the system's files and packages are as they were before.
# Usage: check_package.sh [--install] BUILD_DIR
set -euo pipefail
install=false
if [ "${1:-}" = --install ]; then install=true; shift; fi
build=$(cd "$1" && pwd)
fail() { echo "package check: $*" >&2; exit 1; }
for tool in dpkg-deb dpkg-parsechangelog appstreamcli desktop-file-validate lintian vips vipsheader; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (make check-package installs it)"
done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
deb="$build/quillmorph_${version}_${arch}.deb"
[ -f "$deb" ] || fail "$deb not found (make package writes it)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = quillmorph ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', the project is $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
[ "$(field Section)" = graphics ] || fail "Section is '$(field Section)'"
[[ "$(field Maintainer)" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer '$(field Maintainer)' is not 'Name <address>'"
[[ "$(field Homepage)" == https://* ]] || fail "no Homepage"
depends=$(field Depends)
# The translations give Qt's dialogs in Japanese; ImageMagick writes BMP, PICT and RAS.
for need in 'libvips42 \(>= ' 'libqt6widgets6 \(>= ' 'libc6 \(>= ' 'fonts-noto-cjk' \
    'qt6-translations-l10n' 'libmagickcore-'; do
    grep -qE "(^|, )$need" <<<"$depends" || fail "Depends lacks ${need%% *}: $depends"
done
[ "$(grep -oE '(^|, )libvips42 ' <<<"$depends" | wc -l)" = 1 ] || fail "Depends names libvips42 more than once: $depends"
# Wayland natively, the desktop's own folder chooser and the Nautilus menu item, where the
# system takes recommendations.
for want in qt6-wayland qt6-gtk-platformtheme qt6-xdgdesktopportal-platformtheme python3-nautilus; do
    grep -qE "(^|, )$want(,|$)" <<<"$(field Recommends)" || fail "Recommends lacks $want: $(field Recommends)"
done
[ "$(field Description | wc -l)" -ge 3 ] || fail "the Description has no long text"

# Nothing runs at install or removal time.
dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's:^\./::' | grep -v '^$' | sort > "$work/control"
[ "$(tr '\n' ' ' < "$work/control")" = "control md5sums " ] ||
    fail "the control part holds more than control and md5sums: $(tr '\n' ' ' < "$work/control")"

# The files: under /usr only, and the same set cmake --install lays out.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "/", $6); print $6 }' | sort > "$work/package"
! grep -v '^/usr/' "$work/package" || fail "files outside /usr"
! grep '^/usr/local/' "$work/package" || fail "files under /usr/local"
cmake --install "$build" --prefix "$work/prefix" > "$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "cmake --install failed"; }
(cd "$work/prefix" && find . ! -type d | sed 's:^\.:/usr:' | sort) > "$work/installed"
diff -u "$work/installed" "$work/package" ||
    fail "the package's files differ from the cmake --install layout (- install, + package)"
id=io.github.quillmorph.quillmorph
for path in /usr/bin/quillmorph /usr/bin/quillmorph-cli /usr/share/applications/$id.desktop \
    /usr/share/metainfo/$id.metainfo.xml /usr/share/quillmorph/index.html \
    /usr/share/icons/hicolor/48x48/apps/quillmorph.png /usr/share/icons/hicolor/256x256/apps/quillmorph.png \
    /usr/share/man/man1/quillmorph.1.gz /usr/share/man/man1/quillmorph-cli.1.gz \
    /usr/share/man/ja/man1/quillmorph.1.gz /usr/share/man/ja/man1/quillmorph-cli.1.gz \
    /usr/share/doc/quillmorph/copyright /usr/share/doc/quillmorph/changelog.gz \
    /usr/share/kio/servicemenus/quillmorph.desktop /usr/share/nemo/actions/quillmorph-1-mail.nemo_action \
    /usr/share/file-manager/actions/quillmorph.desktop \
    /usr/share/nautilus-python/extensions/quillmorph.py; do
    grep -qx "$path" "$work/package" || fail "$path missing"
done

# The unpacked tree as a software centre and a menu would read it.
dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/$id.desktop" || fail "desktop entry not valid"
appstreamcli validate-tree --no-net "$work/root" > "$work/tree.log" 2>&1 ||
    { cat "$work/tree.log"; fail "appstreamcli validate-tree fails"; }
[ -f "$work/root/usr/bin/../share/quillmorph/index.html" ] || fail "home page not where /usr/bin/quillmorph looks"
zcat "$work/root/usr/share/doc/quillmorph/changelog.gz" > "$work/changelog"
[ "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" = "$version" ] ||
    fail "the changelog's latest entry is not $version (add one to data/changelog)"
# lintian exits non-zero when it finds an error; its warnings are shown.
lintian_status=0
lintian --tag-display-limit 0 "$deb" > "$work/lintian.log" 2>&1 || lintian_status=$?
grep -v '^running with root privileges' "$work/lintian.log" || true
[ "$lintian_status" = 0 ] || fail "lintian finds errors (exit status $lintian_status)"
echo "lintian: $(grep -c '^E: ' "$work/lintian.log" || true) errors, $(grep -c '^W: ' "$work/lintian.log" || true) warnings"
echo "package: $(basename "$deb"), $(wc -l < "$work/package") files, Depends: $depends"
"$install" || exit 0

# A real installation, then removal; the system must end as it began.
sudo=
[ "$(id -u)" = 0 ] || sudo=sudo
if dpkg-query -W -f '${Status}' quillmorph 2>/dev/null | grep -q 'installed'; then
    fail "quillmorph is installed already; remove it before checking the package"
fi
snapshot() {
    { find /usr /etc /opt /var/lib/dpkg/info -xdev -printf '%y %p\n' 2>/dev/null
      dpkg-query -W -f '${Package}:${Architecture} ${Version} ${Status}\n'
      # What the menu and icon triggers regenerate must come back byte for byte.
      find /usr/share/applications /usr/share/icons/hicolor -maxdepth 1 -type f -exec md5sum {} + 2>/dev/null
    } | sort
}
snapshot > "$work/before"
$sudo dpkg -i "$deb" > "$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i failed"; }
removed=false
remove() { "$removed" || $sudo dpkg -r quillmorph > "$work/dpkg-r.log" 2>&1; removed=true; }
trap 'remove; rm -rf "$work"' EXIT

[ "$(/usr/bin/quillmorph-cli --version)" = "quillmorph-cli $version" ] || fail "installed quillmorph-cli --version"
[ "$(/usr/bin/quillmorph --version)" = "quillmorph $version" ] || fail "installed quillmorph --version"
mkdir "$work/run"
vips black "$work/run/wide.png" 400 100
# One format for each way of writing: libvips' own saver, its ImageMagick module, our writer.
for format in JPEG:jpg:ffd8ff BMP:bmp:424d PSD:psd:38425053; do
    IFS=: read -r name extension magic <<<"$format"
    (cd "$work/run" && env -u windir XDG_CONFIG_HOME="$work/run/config" \
        /usr/bin/quillmorph-cli --output-dir "$work/run/$name" --format "$name" --size 80x60 wide.png) \
        > "$work/run/log" 2>&1 || { cat "$work/run/log"; fail "installed quillmorph-cli could not write $name"; }
    out=$(find "$work/run/$name" -name "wide.$extension")
    [ -n "$out" ] || fail "installed quillmorph-cli wrote no wide.$extension"
    [ "$(head -c $((${#magic} / 2)) "$out" | od -An -tx1 | tr -d ' \n')" = "$magic" ] ||
        fail "wide.$extension is not $name"
    [ "$(vipsheader -f width "$out")x$(vipsheader -f height "$out")" = 80x60 ] ||
        fail "installed program wrote $name at the wrong size"
done
[ "$(man -w quillmorph-cli)" = /usr/share/man/man1/quillmorph-cli.1.gz ] || fail "man does not find quillmorph-cli(1)"
[ "$(man -L ja -w quillmorph-cli)" = /usr/share/man/ja/man1/quillmorph-cli.1.gz ] ||
    fail "man -L ja does not find the Japanese quillmorph-cli(1)"
LC_ALL=C.UTF-8 MANWIDTH=80 man -L ja quillmorph-cli 2>/dev/null | grep -q '^名前' ||
    fail "man -L ja quillmorph-cli does not show the Japanese page"
LANGUAGE=ja /usr/bin/quillmorph-cli --help | grep -q '^使用法: quillmorph-cli' ||
    fail "installed quillmorph-cli --help is not Japanese under LANGUAGE=ja"
[ -f /usr/share/quillmorph/index.html ] || fail "installed home page missing"

remove
[ -z "$(dpkg-query -W -f '${Status}' quillmorph 2>/dev/null | grep -v '^unknown ok not-installed$' || true)" ] ||
    fail "dpkg -r left quillmorph as '$(dpkg-query -W -f '${Status}' quillmorph)'"
snapshot > "$work/after"
diff -u "$work/before" "$work/after" || fail "the system differs after dpkg -i and dpkg -r (- before, + after)"
echo "installed with dpkg -i, ran /usr/bin/quillmorph-cli (JPEG, BMP, PSD) and quillmorph, read man -L ja, removed with dpkg -r: system unchanged"
