#!/usr/bin/env bash
# Whether two quillmorph-cli builds write the same bytes: every photo of the corpus under each
# setting, converted by both, compared file by file. For changes that must not change outputs.
#
#   bench/same_outputs.sh BEFORE_CLI AFTER_CLI [PHOTOS_DIR...]
#
# Settings: a 600×450 JPEG q100 (the window's defaults), b 1280×960 JPEG q88, c own size PNG,
# d own size JPEG q100, then b in every other format, in the fit and fill (attention) modes, by
# percent, one side and never enlarged, held to 115 KB, by eye (alone and with the limit), and
# photo information kept. Prints one line per setting and exits 1 on any difference.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 2 ] || { sed -n '2,10p' "$0" >&2; exit 2; }
before=$1 after=$2
shift 2
dirs=("$@")
[ ${#dirs[@]} -gt 0 ] || dirs=("$here/corpus/photos" "$here/corpus/tagged")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

declare -A settings=(
    [a]="--size 600x450 --format JPEG --quality 100"
    [b]="--size 1280x960 --format JPEG --quality 88"
    [c]="--no-size --format PNG"
    [d]="--no-size --format JPEG --quality 100"
    [b-cmp]="--size 1280x960 --format CMP --quality 88"
    [b-webp]="--size 1280x960 --format WEBP --quality 88"
    [b-fit]="--size 1280x960 --format JPEG --quality 88 --mode fit"
    [b-fill]="--size 1280x960 --format JPEG --quality 88 --mode fill --crop attention"
    [b-max]="--size 1280x960 --format JPEG --quality 88 --max-size 115K"
    [b-exif]="--size 1280x960 --format JPEG --quality 88 --keep-metadata --keep-dates"
    [b-bmp]="--size 1280x960 --format BMP"
    [b-png]="--size 1280x960 --format PNG"
    [b-gif]="--size 1280x960 --format GIF"
    [b-psd]="--size 1280x960 --format PSD"
    [b-pct]="--size 1280x960 --format PCT"
    [b-ras]="--size 1280x960 --format RAS"
    [b-tiff]="--size 1280x960 --format TIFF"
    [b-avif]="--size 1280x960 --format AVIF --quality 88"
    [b-jxl]="--size 1280x960 --format JXL --quality 88"
    [b-png-max]="--size 1280x960 --format PNG --max-size 300K"
    [pct50]="--size 50% --format JPEG --quality 88 --max-size 115K"
    [side]="--size 800x* --format WEBP --quality 88 --no-enlarge"
    [b-eye]="--size 1280x960 --format JPEG --quality auto"
    [b-eye-webp]="--size 1280x960 --format WEBP --quality auto --max-size 115K"
)
status=0
for name in a b c d b-cmp b-webp b-fit b-fill b-max b-exif b-bmp b-png b-gif b-psd b-pct b-ras \
    b-tiff b-avif b-jxl b-png-max pct50 side b-eye b-eye-webp; do
    for dir in "${dirs[@]}"; do
        for which in before after; do
            mkdir -p "$work/$which"
            # shellcheck disable=SC2086
            HOME=$work windir=$work "${!which}" --output-dir "$work/$which" --keep-going \
                ${settings[$name]} "$dir" >/dev/null 2>&1
        done
        a=$(ls -d "$work"/before/pic* | head -n1) b=$(ls -d "$work"/after/pic* | head -n1)
        count=$(find "$a" -type f | wc -l)
        if diff -r "$a" "$b" >/dev/null; then
            echo "$name $(basename "$dir"): $count files, identical"
        else
            echo "$name $(basename "$dir"): DIFFERENT"; diff -rq "$a" "$b" | head -5
            status=1
        fi
        rm -rf "$work/before" "$work/after"
    done
done
exit $status
