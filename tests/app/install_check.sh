#!/usr/bin/env bash
# Installs the build into a temporary prefix and fails when the layout is not what a desktop
# needs: both programs, the icon at every theme size, the home page where the program looks
# for it, and a valid menu entry that names the installed program and icon.
set -euo pipefail
build=$1
for tool in desktop-file-validate vipsheader; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed (make test installs it)"; exit 1; }
done
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "install check: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" > "$prefix/install.log" 2>&1 ||
    { cat "$prefix/install.log"; fail "cmake --install failed"; }

for program in quillmorph quillmorph-cli; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program missing"
done
for size in 16 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/quillmorph.png"
    [ -f "$icon" ] || fail "icon ${size}x${size} missing"
    [ "$(vipsheader -f width "$icon")x$(vipsheader -f height "$icon")" = "${size}x${size}" ] ||
        fail "icon ${size}x${size} has the wrong size"
    [ "$(vipsheader -f bands "$icon")" = 4 ] || fail "icon ${size}x${size} has no transparency"
done

# The home page button looks in ../share/quillmorph beside the program's folder.
page="$prefix/bin/../share/quillmorph/index.html"
[ -f "$page" ] || fail "home page not where the program looks for it"
for src in $(grep -o 'src="[^"]*"' "$page" | sed 's/src="//; s/"$//'); do
    [ -f "$(dirname "$page")/$src" ] || fail "the installed page misses $src"
done

entry="$prefix/share/applications/io.github.quillmorph.quillmorph.desktop"
[ -f "$entry" ] || fail "desktop entry missing"
desktop-file-validate "$entry" || fail "desktop entry is not valid"
exec_line=$(grep '^Exec=' "$entry")
[ "$exec_line" = "Exec=quillmorph %F" ] || fail "entry runs '$exec_line', not the installed program with files"
[ "$(grep '^Icon=' "$entry")" = "Icon=quillmorph" ] || fail "entry names another icon"
grep -q '^MimeType=.*image/jpeg;' "$entry" || fail "entry does not offer to open images"
echo "install layout: $(find "$prefix" -type f | wc -l) files, desktop entry valid"
