#!/usr/bin/env bash
# Animated GIFs through quillmorph-cli against vipsthumbnail and GraphicsMagick.
#
# The corpus: 20 animated GIFs, 60-199 frames, 480×270 to 1280×720, of four kinds (pan: every
# pixel changes; sprite: a still photo under a moving sprite, written as partial frames;
# alpha: sprites on transparency; flat: cartoon-like), five of them re-optimised into partial
# frames by ImageMagick (disposal "previous") or gifsicle -O2. Made once by mkanim
# (docs/pilots/animations/mkanim.cpp) from the photos of bench/corpus.sh into $ANIM_CORPUS.
#
# Jobs, every file into a 320×180 box (fit: the mode vipsthumbnail does; the corpus is 16:9, so
# pad and fill are timed beside it into 320×240, where pad adds margins and fill crops):
#   quillmorph      quillmorph-cli, one process for the batch (fit, and pad and fill beside it)
#   vipsthumbnail2  vipsthumbnail "x.gif[n=-1]" as two processes, each over every other file
#   gm              one `gm convert x.gif -coalesce -resize 320x180` per file
# each to GIF and to WebP at Q 75 (quillmorph --quality 75 is Q 75).
#
# Wall seconds around the job, peak = max RSS of the largest process (/usr/bin/time), median
# of RUNS runs. Output: a Markdown table on stdout and in $BENCH_OUT/animations.md.
#
# Environment: QUILLMORPH_CLI [build/src/cli/quillmorph-cli]  RUNS [1]
#   ANIM_CORPUS [bench/corpus/animations]  PHOTOS_DIR [bench/corpus/photos]
#   TOOLS ["quillmorph vipsthumbnail2 gm"]  FORMATS ["gif webp"]  MODES ["fit pad fill"]
#   BENCH_OUT [bench/out]
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
cli=${QUILLMORPH_CLI:-$repo/build/src/cli/quillmorph-cli}
corpus=${ANIM_CORPUS:-$here/corpus/animations}
photos=${PHOTOS_DIR:-$here/corpus/photos}
out=${BENCH_OUT:-$here/out}
RUNS=${RUNS:-1}
TOOLS=${TOOLS:-"quillmorph vipsthumbnail2 gm"}
FORMATS=${FORMATS:-"gif webp"}
MODES=${MODES:-"fit pad fill"}
work=$out/animations
mkdir -p "$work"

make_corpus() {
    mkdir -p "$corpus"
    local mkanim=$work/mkanim
    [ -x "$mkanim" ] || g++ -std=c++20 -O2 -o "$mkanim" "$repo/docs/pilots/animations/mkanim.cpp" \
        $(pkg-config --cflags --libs vips-cpp) || exit 1
    local sizes=(480x270 640x360 800x450 960x540 1280x720) kinds=(pan sprite alpha flat)
    local pics=("$photos"/*.jpg)
    for i in $(seq 0 19); do
        local s=${sizes[$((i % 5))]} k=${kinds[$(((i / 5 + i) % 4))]} n=$((60 + (i * 37) % 141))
        local f
        f=$(printf "%s/a%02d_%s_%s_%d.gif" "$corpus" "$i" "$k" "$s" "$n")
        [ -e "$f" ] && continue
        "$mkanim" "$f.tmp.gif" "${s%x*}" "${s#*x}" "$n" "$k" "$i" "${pics[$((i % ${#pics[@]}))]}" || exit 1
        case $i in
        2 | 7) convert "$f.tmp.gif" -coalesce -layers optimize "$f.tmp2.gif" && mv "$f.tmp2.gif" "$f.tmp.gif" ;;
        4 | 9 | 14) gifsicle -O2 "$f.tmp.gif" -o "$f.tmp2.gif" && mv "$f.tmp2.gif" "$f.tmp.gif" ;;
        esac
        mv "$f.tmp.gif" "$f"
    done
}
[ "$(ls "$corpus"/*.gif 2>/dev/null | wc -l)" -ge 20 ] || make_corpus
files=("$corpus"/*.gif)
odd=() even=()
for i in "${!files[@]}"; do
    if ((i % 2)); then odd+=("${files[$i]}"); else even+=("${files[$i]}"); fi
done

# run NAME CMD...: wall seconds and the largest peak RSS (MB) of the processes CMD starts, each
# of which must go through timed (below).
timed() { /usr/bin/time -a -o "$work/peaks" -f %M "$@"; }
export -f timed
measure() {
    local dest=$1
    shift
    rm -rf "$dest" && mkdir -p "$dest"
    : >"$work/peaks"
    local t0 t1
    t0=$(date +%s.%N)
    "$@" >"$work/log" 2>&1
    local rc=$?
    t1=$(date +%s.%N)
    local peak
    peak=$(sort -n "$work/peaks" | tail -1)
    echo "$(printf '%.1f' "$(echo "$t1 - $t0" | bc)") $((peak / 1024)) $rc $(find "$dest" -type f | wc -l) $(du -sb "$dest" | cut -f1)"
}

quillmorph() { # format mode dest
    local fmt=${1^^}
    local box=320x180
    [ "$2" = fit ] || box=320x240
    timed "$cli" --format "$fmt" --size $box --mode "$2" --quality 75 --output-dir "$3" "${files[@]}"
}
vipsthumbnail2() { # format mode dest
    local suffix=$1 dest=$3
    [ "$1" = webp ] && suffix="webp[Q=75]"
    (for f in "${even[@]}"; do timed vipsthumbnail "$f[n=-1]" -s 320x180 -o "$dest/%s.$suffix"; done) &
    (for f in "${odd[@]}"; do timed vipsthumbnail "$f[n=-1]" -s 320x180 -o "$dest/%s.$suffix"; done) &
    wait
}
gm() { # format mode dest
    local q=()
    [ "$1" = webp ] && q=(-quality 75)
    for f in "${files[@]}"; do
        timed /usr/bin/gm convert "$f" -coalesce -resize 320x180 "${q[@]}" "$3/$(basename "$f" .gif).$1" || return 1
    done
}

{
    echo "# Animated GIF bench ($(date -u +%Y-%m-%d), $(nproc) cores, RUNS=$RUNS)"
    echo
    echo "20 GIFs, $(du -sb "$corpus" | cut -f1) bytes, into 320×180. Wall s, peak MB, outputs, bytes."
    echo
    echo "| tool | mode | format | wall s | peak MB | files | bytes |"
    echo "|---|---|---|---|---|---|---|"
} | tee "$out/animations.md"
for fmt in $FORMATS; do
    for tool in $TOOLS; do
        for mode in $MODES; do
            [ "$tool" != quillmorph ] && [ "$mode" != fit ] && continue
            walls=() row=
            for _ in $(seq "$RUNS"); do
                row=$(measure "$work/$tool-$mode-$fmt" "$tool" "$fmt" "$mode" "$work/$tool-$mode-$fmt")
                walls+=("${row%% *}")
            done
            wall=$(printf '%s\n' "${walls[@]}" | sort -n | sed -n "$(((RUNS + 1) / 2))p")
            read -r _ peak rc count bytes <<<"$row"
            [ "$rc" = 0 ] || echo "($tool $mode $fmt exited $rc; see $work/log)" >&2
            echo "| $tool | $mode | $fmt | $wall | $peak | $count | $bytes |" | tee -a "$out/animations.md"
        done
    done
done
