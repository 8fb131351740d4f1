#!/usr/bin/env bash
# What each loader and encoder holds while quillmorph-cli converts one picture: the numbers the
# cost model (src/convert/ConversionCost.cpp) is built from.
#
#   bench/memory_costs.sh [MEGAPIXELS]
#
# Makes pictures of MEGAPIXELS (12) of blurred noise with libvips, in every kind the model
# tells apart, converts each alone with GNU time -f %M (peak resident memory), into the default
# box (600 x 450, JPEG) and at its own size (JPEG), and a baseline JPEG at its own size into
# every output format. Prints the peak and the bytes per pixel above the program converting a
# 16 x 16 picture. Environment: QUILLMORPH_CLI [build/src/cli/quillmorph-cli].
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cli=${QUILLMORPH_CLI:-$here/../build/src/cli/quillmorph-cli}
mp=${1:-12}
[ -x "$cli" ] || { echo "memory_costs.sh: no quillmorph-cli at $cli" >&2; exit 1; }
command -v vips >/dev/null || { echo "memory_costs.sh: vips is missing (apt-get install libvips-tools)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
width=$(awk -v mp="$mp" 'BEGIN { printf "%d", sqrt(mp * 1e6 * 4 / 3) }')
height=$((width * 3 / 4))
pixels=$((width * height))

vips gaussnoise n.v "$width" "$height" --sigma 40 --mean 128
vips bandjoin "n.v n.v n.v" n3.v
vips gaussblur n3.v b.v 2
vips cast b.v c.v uchar
vips copy c.v rgb.v --interpretation srgb
vips bandjoin_const rgb.v rgba.v 255
vips crop rgb.v tiny.png 0 0 16 16

vips jpegsave rgb.v jpeg.jpg --Q 90
vips jpegsave rgb.v jpeg-progressive-420.jpg --Q 85 --interlace
vips jpegsave rgb.v jpeg-progressive-444.jpg --Q 90 --interlace
vips pngsave rgb.v png.png
vips pngsave rgba.v png-alpha.png
vips pngsave rgb.v png-interlaced.png --interlace
vips pngsave rgba.v png-interlaced-alpha.png --interlace
vips gifsave rgb.v gif.gif
vips tiffsave rgb.v tiff.tif
vips webpsave rgb.v webp.webp
vips webpsave rgba.v webp-alpha.webp
vips heifsave rgb.v heif.heic --compression hevc
vips jxlsave rgb.v jxl.jxl
vips jxlsave rgba.v jxl-alpha.jxl
vips magicksave rgb.v magick.bmp --format bmp3
peak() { # peak KB of one conversion, then its exit status
    rm -rf out && mkdir out
    /usr/bin/time -f %M -o t "$cli" --output-dir out "$@" >/dev/null 2>&1 && status=0 || status=$?
    echo "$(cat t) $status"
}
read -r base _ < <(peak --size 600x450 tiny.png)
row() { # label, peak KB, status
    awk -v l="$1" -v p="$2" -v s="$3" -v b="$base" -v n="$pixels" \
        'BEGIN { printf "| %s | %.0f | %.1f | %s |\n", l, p / 1024, (p - b) * 1024 / n, s }'
}

echo "quillmorph-cli converting $width x $height ($mp MP), $(date -u +%F), base $((base / 1024)) MB (16 x 16 PNG)"
echo
echo "| source, step | peak MB | bytes per pixel above the base | exit |"
echo "|---|---:|---:|---|"
for f in jpeg.jpg jpeg-progressive-420.jpg jpeg-progressive-444.jpg png.png png-alpha.png \
         png-interlaced.png png-interlaced-alpha.png gif.gif tiff.tif webp.webp webp-alpha.webp \
         heif.heic jxl.jxl jxl-alpha.jxl magick.bmp; do
    read -r p s < <(peak --size 600x450 --format JPEG "$f"); row "$f into 600 x 450" "$p" "$s"
    read -r p s < <(peak --no-size --format JPEG "$f"); row "$f at own size" "$p" "$s"
done
for format in JPEG PNG GIF BMP PSD PCT RAS WEBP AVIF JXL TIFF; do
    read -r p s < <(peak --no-size --format "$format" jpeg.jpg); row "jpeg.jpg at own size into $format" "$p" "$s"
done
