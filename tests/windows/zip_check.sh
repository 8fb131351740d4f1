#!/usr/bin/env bash
# The portable zip as a user unzips it: both programs, what they load, Qt's plugins and Japanese
# translation, the home page, the licences; nothing that is only for the tests; the window a
# GUI program and the tool a console one, each declaring long paths in its manifest.
set -uo pipefail
zip=${1:?usage: zip_check.sh ZIP VERSION} version=${2:?}
fail() { echo "zip_check: $*" >&2; status=1; }
status=0
top=quillmorph-$version-windows-x64
[ "$(basename "$zip")" = "$top.zip" ] || fail "named $(basename "$zip")"
listing=$(unzip -Z1 "$zip") || { echo "zip_check: cannot read $zip" >&2; exit 1; }
for want in quillmorph.exe quillmorph-cli.exe libvips-42.dll Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
    Qt6Network.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll \
    libjxl.dll liblcms2-2.dll libexif-12.dll platforms/qwindows.dll translations/qtbase_ja.qm qt.conf \
    docs/index.html docs/quillmorph.png licences/Qt/LGPL-3.0-only.txt licences/libvips/versions.json \
    licences/quillmorph/copyright licences/SOURCES.txt; do
    grep -qxF "$top/$want" <<<"$listing" || fail "lacks $want"
done
grep -q "^$top/styles/.*\.dll$" <<<"$listing" || fail "lacks a style plugin"
for never in bcryptprimitives.dll quillmorph.ini; do
    grep -qiF "/$never" <<<"$listing" && fail "holds $never"
done
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
unzip -q "$zip" "$top/quillmorph.exe" "$top/quillmorph-cli.exe" -d "$tmp" || exit 1
subsystem() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^Subsystem\s*\([0-9a-f]*\).*/\1/p'; }
[ "$(subsystem "$tmp/$top/quillmorph.exe")" = 00000002 ] || fail "quillmorph.exe is not a GUI program"
[ "$(subsystem "$tmp/$top/quillmorph-cli.exe")" = 00000003 ] || fail "quillmorph-cli.exe is not a console program"
for exe in quillmorph.exe quillmorph-cli.exe; do
    strings "$tmp/$top/$exe" | tr -d '\n' | grep -q '<longPathAware[^>]*>true</longPathAware>' \
        || fail "$exe declares no long paths"
done
exit $status
