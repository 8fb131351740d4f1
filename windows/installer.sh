#!/usr/bin/env bash
# Builds quillmorph-<version>-setup.exe with makensis from the portable zip's folder: the
# installer's File lines and the uninstaller's Delete lines are both written from that folder,
# so the two lists are the zip's and the uninstaller takes away exactly what was put there.
# usage: installer.sh SETUP_EXE STAGE ICON PANEL_BMP VERSION
set -euo pipefail
export LC_ALL=C
setup=$1 stage=$2 icon=$3 panel=$4 version=$5
here=$(cd "$(dirname "$0")" && pwd)
work=$(dirname "$setup")/installer
rm -rf "$work" && mkdir -p "$work"

# NSIS reads "$" in a string as its own; Windows names cannot hold '"'.
nsis_name() { printf '%s' "${1//\$/\$\$}" | tr / '\\'; }

cd "$stage"
{
    for dir in . $(find . -mindepth 1 -type d | sort | sed 's|^\./||'); do
        [ "$dir" = . ] && echo 'SetOutPath "$INSTDIR"' || echo "SetOutPath \"\$INSTDIR\\$(nsis_name "$dir")\""
        find "$dir" -mindepth 1 -maxdepth 1 -type f | sort | while read -r file; do
            echo "File \"$stage/${file#./}\""
        done
    done
} > "$work/files.nsh"
{
    find . -type f | sort | sed 's|^\./||' | while read -r file; do
        echo "Delete \"\$INSTDIR\\$(nsis_name "$file")\""
    done
    # The deepest first; RMDir takes a folder only when empty, so nothing the user added goes.
    find . -mindepth 1 -type d | sort -r | sed 's|^\./||' | while read -r dir; do
        echo "RMDir \"\$INSTDIR\\$(nsis_name "$dir")\""
    done
} > "$work/unfiles.nsh"
size_kb=$(du -sk --apparent-size . | cut -f1)
cd - >/dev/null

makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DICON="$icon" -DPANEL="$panel" \
    -DOUTFILE="$setup" -DFILES="$work/files.nsh" -DUNFILES="$work/unfiles.nsh" -DSIZE_KB="$size_kb" \
    "$here/installer.nsi"
echo "$setup"
