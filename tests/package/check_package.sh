#!/usr/bin/env bash
# Checks the Debian package `make package` wrote into a build folder: its control fields, that
# it holds exactly what `cmake --install` lays out, under /usr, with no maintainer scripts, and
# that the tree it unpacks to passes the desktop and AppStream validators.
# With --install it also installs the package with dpkg, runs the installed programs, removes
# the package, and fails unless the system's files and packages are as they were before.
# Usage: check_package.sh [--install] BUILD_DIR
set -euo pipefail
install=false
if [ "${1:-}" = --install ]; then install=true; shift; fi
build=$(cd "$1" && pwd)
fail() { echo "package check: $*" >&2; exit 1; }
for tool in dpkg-deb appstreamcli desktop-file-validate vips vipsheader; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (make test-deps installs it)"
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
for need in 'libvips42 \(>= ' 'libqt6widgets6 \(>= ' 'libc6 \(>= ' 'fonts-noto-cjk'; do
    grep -qE "(^|, )$need" <<<"$depends" || fail "Depends lacks ${need%% *}: $depends"
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
    /usr/share/man/man1/quillmorph.1.gz /usr/share/man/man1/quillmorph-cli.1.gz; do
    grep -qx "$path" "$work/package" || fail "$path missing"
done

# The unpacked tree as a software centre and a menu would read it.
dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/$id.desktop" || fail "desktop entry not valid"
appstreamcli validate-tree --no-net "$work/root" > "$work/tree.log" 2>&1 ||
    { cat "$work/tree.log"; fail "appstreamcli validate-tree fails"; }
[ -f "$work/root/usr/bin/../share/quillmorph/index.html" ] || fail "home page not where /usr/bin/quillmorph looks"
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
(cd "$work/run" && env -u windir XDG_CONFIG_HOME="$work/run/config" \
    /usr/bin/quillmorph-cli --output-dir "$work/run/out" --format JPEG --size 80x60 wide.png) \
    > "$work/run/log" || { cat "$work/run/log"; fail "installed quillmorph-cli could not convert"; }
out=$(find "$work/run/out" -name 'wide.jpg')
[ -n "$out" ] || fail "installed quillmorph-cli wrote no wide.jpg"
[ "$(vipsheader -f width "$out")x$(vipsheader -f height "$out")" = 80x60 ] || fail "installed program wrote the wrong size"
[ "$(man -w quillmorph-cli)" = /usr/share/man/man1/quillmorph-cli.1.gz ] || fail "man does not find quillmorph-cli(1)"
[ -f /usr/share/quillmorph/index.html ] || fail "installed home page missing"

remove
[ -z "$(dpkg-query -W -f '${Status}' quillmorph 2>/dev/null | grep -v '^unknown ok not-installed$' || true)" ] ||
    fail "dpkg -r left quillmorph as '$(dpkg-query -W -f '${Status}' quillmorph)'"
snapshot > "$work/after"
diff -u "$work/before" "$work/after" || fail "the system differs after dpkg -i and dpkg -r (- before, + after)"
echo "installed with dpkg -i, ran /usr/bin/quillmorph-cli and quillmorph, removed with dpkg -r: system unchanged"
