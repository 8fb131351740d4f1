#!/usr/bin/env bash
# Hostile files and scarce memory: tiny files that decode huge, encoders that hold much, and
# batches under ulimit -v and ulimit -n. For each case, the peak resident memory (GNU time
# -f %M), the exit status and the first line quillmorph-cli wrote to standard error, for the
# tool measured and, given QUILLMORPH_BASELINE, another build beside it (before and after).
#
#   bench/bombs.sh            # a Markdown table on standard output
#   bench/bombs.sh long-gifs  # only GIFs of 4000-4200 frames, 150-400 MB each (1 GB in $TMPDIR)
#   bench/bombs.sh attention  # only the fill and attention crop to WEBP under ulimit -v, six runs
#
# Environment: QUILLMORPH_CLI [build/src/cli/quillmorph-cli], QUILLMORPH_BASELINE [none].
# Needs vips (libvips-tools) and GNU time, python3 for the long GIFs. A few minutes; peaks of
# up to 8 GB before the fix.
set -uo pipefail
only=${1:-}

here=$(cd "$(dirname "$0")" && pwd)
cli=${QUILLMORPH_CLI:-$here/../build/src/cli/quillmorph-cli}
baseline=${QUILLMORPH_BASELINE:-}
[ -x "$cli" ] || { echo "bombs.sh: no quillmorph-cli at $cli" >&2; exit 1; }
command -v vips >/dev/null || { echo "bombs.sh: vips is missing (apt-get install libvips-tools)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

little16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8)))"; }
big16() { printf "\\x$(printf %02x $(($1 >> 8)))\\x$(printf %02x $(($1 & 255)))"; }
# A GIF that declares one width x height frame and holds no pixels (29 bytes).
gif_bomb() {
    { printf 'GIF89a'; little16 "$1"; little16 "$2"; printf '\x00\x00\x00\x2c\x00\x00\x00\x00'
      little16 "$1"; little16 "$2"; printf '\x00\x02\x02\x4c\x01\x00\x3b'; } > "$3"
}
# A progressive JPEG of 16 x 16 whose frame header is made to declare width x height.
jpeg_bomb() {
    vips black tiny.v 16 16 --bands 3 && vips jpegsave tiny.v "$3" --interlace
    local at
    at=$(LC_ALL=C grep -obUaP '\xff\xc2' "$3" | head -n 1 | cut -d: -f1)
    { big16 "$2"; big16 "$1"; } | dd of="$3" bs=1 seek=$((at + 5)) conv=notrunc status=none
}
photo() { # width height file: blurred noise, as hard to compress as a photo
    vips gaussnoise n.v "$1" "$2" --sigma 40 --mean 128 && vips bandjoin "n.v n.v n.v" n3.v &&
        vips gaussblur n3.v b.v 2 && vips cast b.v c.v uchar &&
        vips copy c.v rgb.v --interpretation srgb && vips jpegsave rgb.v "$3" --Q 90
}

# The long GIFs and the noise PNGs are made only for the cases that use them.
if [ "$only" = long-gifs ]; then
    "$here/long_gif.py" gif-147mb.gif 4200 176
    "$here/long_gif.py" gif-181mb.gif 4200 196 && cp gif-181mb.gif gif-181mb-b.gif
    "$here/long_gif.py" gif-409mb.gif 4200 295
    "$here/long_gif.py" gif-4000-frames.gif 4000 196
fi
noise_png() { # width height file: noise no encoder can shrink
    vips gaussnoise n.v "$1" "$2" --sigma 80 --mean 128 && vips bandjoin "n.v n.v n.v" n3.v &&
        vips cast n3.v c.v uchar && vips copy c.v rgb.v --interpretation srgb && vips pngsave rgb.v "$3"
}
if [ "$only" = attention ]; then
    noise_png 2000 1500 noise-3mp.png
    noise_png 6000 4000 noise-24mp.png
fi

gif_bomb 20000 20000 gif-20000.gif
gif_bomb 31622 31622 gif-31622.gif
cp gif-31622.gif gif-31622-b.gif
jpeg_bomb 31622 31622 progressive-31622.jpg
photo 2828 2121 photo-6mp.jpg
photo 5657 4243 photo-24mp.jpg
cp photo-24mp.jpg photo-24mp-b.jpg
vips crop photo-6mp.jpg small.png 0 0 64 48
vips crop photo-6mp.jpg small.jpg 0 0 640 480

# tool, limits, then the command line's arguments: "peak MB, exit status, first error line".
measure() {
    local tool=$1 limits=$2
    shift 2
    rm -rf out && mkdir out
    bash -c "${limits:-true}; exec /usr/bin/time -f %M -o time.txt \"\$0\" --output-dir out --keep-going \"\$@\"" \
        "$tool" "$@" > /dev/null 2> err.txt
    local status=$?
    local peak
    peak=$(grep -E '^[0-9]+$' time.txt | tail -n 1)
    local first
    first=$(grep -v -E '^Command |^[0-9]+$' err.txt | head -n 1 | cut -c1-60)
    printf '%s MB, exit %s, %s' "$(( ${peak:-0} / 1024 ))" "$status" "${first:-no message}"
}

row() { # what, limits, arguments
    local what=$1 limits=$2
    shift 2
    local after
    after=$(measure "$cli" "$limits" "$@")
    if [ -n "$baseline" ]; then
        printf '| %s | `%s` | %s | %s |\n' "$what" "${limits:-none}" "$(measure "$baseline" "$limits" "$@")" "$after"
    else
        printf '| %s | `%s` | %s |\n' "$what" "${limits:-none}" "$after"
    fi
}

echo "quillmorph-cli --output-dir out --keep-going …, $(date -u '+%F %H:%M') UTC, $(nproc) cores, MemAvailable $(awk '/MemAvailable/ { printf "%.1f GB", $2 / 1048576 }' /proc/meminfo)"
echo
if [ -n "$baseline" ]; then
    echo "| case | limit | before | after |"
    echo "|---|---|---|---|"
else
    echo "| case | limit | result |"
    echo "|---|---|---|"
fi
if [ "$only" = long-gifs ]; then
    row "a 147 MB GIF of 4200 frames into 100 x 100 WEBP" "ulimit -v 480000" --size 100x100 --format WEBP gif-147mb.gif small.png
    row "two 181 MB GIFs of 4200 frames into 100 x 100 WEBP" "" --size 100x100 --format WEBP gif-181mb.gif gif-181mb-b.gif
    row "a 409 MB GIF of 4200 frames into 100 x 100 WEBP" "" --size 100x100 --format WEBP gif-409mb.gif
    row "a 170 MB GIF of 4000 frames into 100 x 100 WEBP" "" --size 100x100 --format WEBP gif-4000-frames.gif
    exit 0
fi
if [ "$only" = attention ]; then
    for limit in 300000 400000; do
        for run in 1 2 3 4 5 6; do
            row "3 MP and 24 MP noise PNGs and a small JPEG, fill by attention into WEBP, run $run" "ulimit -v $limit" \
                --size 600x450 --mode fill --crop attention --format WEBP noise-3mp.png noise-24mp.png small.jpg
        done
    done
    exit 0
fi
row "GIF of 29 bytes declaring 20000 x 20000, into 600 x 450" "" --size 600x450 gif-20000.gif
row "GIF declaring 31622 x 31622, into 600 x 450" "" --size 600x450 gif-31622.gif
row "two of them in one batch" "" --size 600x450 gif-31622.gif gif-31622-b.gif
row "progressive JPEG of 691 bytes declaring 31622 x 31622" "" --size 600x450 progressive-31622.jpg
row "two 24 MP photos at own size into JXL" "" --no-size --format JXL photo-24mp.jpg photo-24mp-b.jpg
row "the GIF of 20000 x 20000 beside a small PNG" "ulimit -v 600000" --size 600x450 gif-20000.gif small.png
for limit in 300000 600000; do
    for size in 6mp 24mp; do
        for format in JPEG PNG JXL AVIF WEBP; do
            row "$size photo at own size into $format" "ulimit -v $limit" --no-size --format "$format" "photo-$size.jpg"
        done
    done
done
row "a small PNG and a 6 MP photo" "ulimit -n 8" --size 600x450 small.png photo-6mp.jpg
