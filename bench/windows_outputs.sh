#!/usr/bin/env bash
# The Windows build against the Linux build on the corpus: every setting of bench/settings.sh
# converted by both, each pair of outputs compared as pictures — the same width, height and
# frame count, and decoded pixels a mean of at most MAX_MEAN levels and nowhere more than
# MAX_PEAK levels apart (lossy formats compared decoded, at equal quality).
#
#   bench/windows_outputs.sh LINUX_CLI WINDOWS_CLI_EXE WINE_RUN [PHOTOS_DIR...]
#
# WINE_RUN: the Windows build's wine-run (build-windows/wine-run). Prints one line per setting
# with the largest differences seen, and exits 1 when a pair is further apart than allowed.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 3 ] || { sed -n '2,10p' "$0" >&2; exit 2; }
linux=$1 windows=$2 wine_run=$3
shift 3
dirs=("$@")
[ ${#dirs[@]} -gt 0 ] || dirs=("$here/corpus/photos")
max_mean=${MAX_MEAN:-1} max_peak=${MAX_PEAK:-8}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A Wine prefix of its own: no settings file of an earlier run reaches the Windows build.
export QUILLMORPH_WINE_PREFIX=$work/wine
# shellcheck source=bench/settings.sh
source "$here/settings.sh"
names=("${SETTING_NAMES[@]}")
[ -n "${SETTINGS:-}" ] && read -r -a names <<<"$SETTINGS"

# mean and peak of |a − b| over every band and frame, after both are decoded to 8-bit sRGB
difference() {
    local a=$1 b=$2
    vips colourspace "$a" "$work/a.v" srgb 2>/dev/null || vips copy "$a" "$work/a.v" || return 1
    vips colourspace "$b" "$work/b.v" srgb 2>/dev/null || vips copy "$b" "$work/b.v" || return 1
    vips subtract "$work/a.v" "$work/b.v" "$work/d.v" && vips abs "$work/d.v" "$work/e.v" || return 1
    echo "$(vips avg "$work/e.v") $(vips max "$work/e.v")"
}
shape() { vipsheader -f width "$1"; vipsheader -f height "$1"; vipsheader -f n-pages "$1" 2>/dev/null || echo 1; }

status=0
for name in "${names[@]}"; do
    for dir in "${dirs[@]}"; do
        mkdir -p "$work/linux" "$work/windows" "$work/home"
        # shellcheck disable=SC2086
        HOME=$work/home windir=$work/home "$linux" --output-dir "$work/linux" --keep-going \
            ${settings[$name]} "$dir" >/dev/null 2>&1
        # shellcheck disable=SC2086
        "$wine_run" "$windows" --output-dir "$(winepath -w "$work/windows" 2>/dev/null)" --keep-going \
            ${settings[$name]} "$(winepath -w "$dir" 2>/dev/null)" >"$work/windows.log" 2>&1
        a=$(ls -d "$work"/linux/pic* | head -n1) b=$(ls -d "$work"/windows/pic* 2>/dev/null | head -n1)
        worst_mean=0 worst_peak=0 count=0 bad=""
        while IFS= read -r -d '' file; do
            rel=${file#"$a"/} count=$((count + 1))
            if [ ! -e "$b/$rel" ]; then bad="$bad missing:$rel"; continue; fi
            [ "$(shape "$file")" = "$(shape "$b/$rel")" ] || { bad="$bad shape:$rel"; continue; }
            read -r mean peak < <(difference "$file" "$b/$rel") || { bad="$bad unreadable:$rel"; continue; }
            awk -v m="$mean" -v p="$peak" -v mm="$max_mean" -v mp="$max_peak" \
                'BEGIN { exit !(m <= mm && p <= mp) }' || bad="$bad far:$rel($mean,$peak)"
            worst_mean=$(awk -v a="$worst_mean" -v b="$mean" 'BEGIN { print (b > a ? b : a) }')
            worst_peak=$(awk -v a="$worst_peak" -v b="$peak" 'BEGIN { print (b > a ? b : a) }')
        done < <(find "$a" -type f -print0 | sort -z)
        if [ -z "$bad" ] && [ "$count" -gt 0 ]; then
            printf '%s %s: %d files, mean ≤ %.3f, peak ≤ %s\n' "$name" "$(basename "$dir")" "$count" "$worst_mean" "$worst_peak"
        else
            echo "$name $(basename "$dir"): $count files, FAR APART:${bad:- no outputs}"
            tail -n 3 "$work/windows.log"
            status=1
        fi
        rm -rf "$work/linux" "$work/windows"
    done
done
exit $status
