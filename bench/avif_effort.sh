#!/usr/bin/env bash
# Times libvips' AVIF encoder (heifsave, AV1) on one 600 x 450 picture for each effort, to pick
# the effort the AVIF row of src/convert/OutputFormat.cpp uses.
#
#   bench/avif_effort.sh [PHOTO] [RUNS]
#
# PHOTO defaults to the first picture of bench/corpus/photos (bench/corpus.sh makes it). Prints,
# per effort and quality, the median wall and CPU seconds of RUNS (5) encodes and the file size.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
photo=${1:-$(find "$here/corpus/photos" -name '*.jpg' 2>/dev/null | sort | head -n 1)}
runs=${2:-5}
[ -n "$photo" ] && [ -f "$photo" ] || { echo "avif_effort.sh: no photo (give one, or run bench/corpus.sh)" >&2; exit 1; }
command -v vips >/dev/null || { echo "avif_effort.sh: vips is missing (apt-get install libvips-tools)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
vips thumbnail "$photo" "$work/in.v" 600 --height 450 --size force

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

echo "photo: $photo (600 x 450), $runs runs each, $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)"
printf '%-7s %-4s %9s %9s %9s\n' effort Q "wall s" "CPU s" bytes
for q in 100 88 50; do
    for effort in 0 1 2 3 4; do
        : > "$work/wall"
        : > "$work/cpu"
        for _ in $(seq "$runs"); do
            /usr/bin/time -f '%e %U %S' -o "$work/t" vips heifsave "$work/in.v" "$work/out.avif" \
                --compression av1 --effort "$effort" --bitdepth 8 --Q "$q" --strip
            read -r wall user sys < "$work/t"
            echo "$wall" >> "$work/wall"
            awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }' >> "$work/cpu"
        done
        printf '%-7s %-4s %9s %9s %9s\n' "$effort" "$q" "$(median < "$work/wall")" \
            "$(median < "$work/cpu")" "$(stat -c %s "$work/out.avif")"
    done
done
