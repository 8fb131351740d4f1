#!/usr/bin/env bash
# Soak: RUNS long batches of quillmorph-cli, one process each, over FILES links to a few real
# photos plus some PNGs. Reports per run how it ended, outputs missing, peak RSS and the
# descriptors open near its end; first a shorter run gives the peak RSS to compare against.
#
#   bench/soak.sh [RUNS [FILES]]          defaults: 10 runs × 10000 files
#
# Environment:
#   QUILLMORPH_CLI  the tool [build/src/cli/quillmorph-cli]
#   SIZE [160x120]  FORMAT [JPEG]  as given to --size and --format
#   PHOTOS [4]      photos taken from bench/corpus/photos (the smallest JPEGs of 1 MP or more;
#                   run bench/corpus.sh first); without a corpus, generated JPEGs stand in
#   PNG_EVERY [5]   every n-th file is a PNG made from one of the photos (1024 px)
#   REF_FILES [1000]  files in the reference run (0: none)
#   WORK            scratch folder [a new one under ${TMPDIR:-/tmp}, removed at the end]
# Output: a Markdown table on stdout; progress on stderr. Exit status 1 when a run ended
# abnormally or left outputs missing.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
runs=${1:-10}
files=${2:-10000}
cli=${QUILLMORPH_CLI:-$repo/build/src/cli/quillmorph-cli}
size=${SIZE:-160x120}
format=${FORMAT:-JPEG}
photo_count=${PHOTOS:-4}
png_every=${PNG_EVERY:-5}
ref_files=${REF_FILES:-1000}
corpus=${CORPUS_DIR:-$here/corpus}

say() { echo "soak: $*" >&2; }
die() { say "$*"; exit 2; }
[ -x "$cli" ] || die "no quillmorph-cli at $cli (build it, or set QUILLMORPH_CLI)"
command -v vips >/dev/null || die "vips is missing (apt-get install libvips-tools)"
[ -x /usr/bin/time ] || die "/usr/bin/time is missing (apt-get install time)"

if [ -n "${WORK:-}" ]; then
    work=$WORK
    mkdir -p "$work"
else
    work=$(mktemp -d "${TMPDIR:-/tmp}/quillmorph-soak.XXXXXX")
    trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work/sources" "$work/out"

# --- sources ------------------------------------------------------------------------------------
photos=()
if [ -d "$corpus/photos" ]; then
    mapfile -t photos < <(
        for f in "$corpus"/photos/*.jpg "$corpus"/photos/*.jpeg; do
            [ -e "$f" ] || continue
            w=$(vipsheader -f width "$f" 2>/dev/null) || continue
            h=$(vipsheader -f height "$f" 2>/dev/null) || continue
            [ $((w * h)) -ge 1000000 ] && echo "$((w * h)) $f"
        done | sort -n | head -n "$photo_count" | cut -d' ' -f2-)
fi
if [ ${#photos[@]} -eq 0 ]; then
    say "no corpus photos in $corpus/photos; generating $photo_count JPEGs instead"
    for ((i = 0; i < photo_count; i++)); do
        f="$work/sources/generated$i.jpg"
        if [ ! -e "$f" ]; then
            vips gaussnoise "$work/noise.v" 2560 1600 --mean $((90 + 20 * i)) --sigma 40
            vips gaussblur "$work/noise.v" "$work/blur.v" 2
            vips bandjoin "$work/blur.v $work/noise.v $work/blur.v" "$work/rgb.v"
            vips cast "$work/rgb.v" "$work/uchar.v" uchar
            vips copy "$work/uchar.v" "$f[Q=90]" --interpretation srgb
        fi
        photos+=("$f")
    done
    rm -f "$work"/*.v
fi
pngs=()
for p in "${photos[@]}"; do
    png="$work/sources/$(basename "${p%.*}").png"
    [ -e "$png" ] || vips thumbnail "$p" "$png" 1024
    pngs+=("$png")
done
say "sources: ${photos[*]##*/} + ${#pngs[@]} PNGs, every ${png_every}th file a PNG"

# Links to the sources under distinct names, built once for the largest count.
most=$((files > ref_files ? files : ref_files))
links=()
for ((i = 0; i < most; i++)); do
    if [ $((i % png_every)) -eq $((png_every - 1)) ]; then
        src=${pngs[i % ${#pngs[@]}]}
        ext=png
    else
        src=${photos[i % ${#photos[@]}]}
        ext=jpg
    fi
    link=$(printf '%s/sources/f%05d.%s' "$work" "$i" "$ext")
    [ -L "$link" ] || ln -s "$src" "$link"
    links+=("$link")
done
cat "${photos[@]}" "${pngs[@]}" >/dev/null # read from the page cache from the first run on

# --- one run ------------------------------------------------------------------------------------
# Prints, tab-separated: files status abnormal missing peak_rss_kb fds wall_s cpu_s
run_once() {
    local count=$1 out="$work/out/run" timing="$work/time.txt" status fds=? pid child
    rm -rf "$out" && mkdir -p "$out"
    /usr/bin/time -f '%M %e %U %S' -o "$timing" \
        "$cli" --output-dir "$out" --size "$size" --format "$format" "${links[@]:0:count}" \
        >"$work/stdout.txt" 2>"$work/stderr.txt" &
    pid=$!
    # The tool is time's child; its descriptors are sampled until it is gone, the last
    # sample standing for the end of the batch.
    child=
    while kill -0 "$pid" 2>/dev/null; do
        [ -n "$child" ] || child=$(pgrep -P "$pid" 2>/dev/null | head -n1 || true)
        if [ -n "$child" ]; then
            # The tool may end between the two checks; its folder is then gone.
            n=$(ls "/proc/$child/fd" 2>/dev/null | wc -l || true)
            [ "$n" -gt 0 ] && fds=$n
        fi
        sleep 0.2
    done
    status=0
    wait "$pid" || status=$?
    local abnormal=no
    if [ "$status" -gt 128 ]; then
        abnormal="signal $((status - 128))"
    elif grep -qE 'AddressSanitizer|ThreadSanitizer|malloc|free\(\)|corrupt' "$work/stderr.txt"; then
        abnormal="sanitizer or heap report"
    fi
    local made
    made=$(find "$out" -type f ! -name '.*' | wc -l)
    local rss wall user sys
    read -r rss wall user sys < <(tail -n1 "$timing")
    printf '%s\t' "$count" "$status" "$abnormal" "$((count - made))" "$rss" "$fds" "$wall"
    awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.1f\n", u + s }'
    if [ "$status" -ne 0 ]; then
        mkdir -p "$work/failed"
        cp "$work/stderr.txt" "$work/failed/stderr-$(date +%s).txt"
        say "run ended with status $status: $(tail -n3 "$work/stderr.txt" | tr '\n' ' ')"
    fi
    rm -rf "$out"
}

# --- report -------------------------------------------------------------------------------------
echo "quillmorph-cli soak: $runs runs × $files files, --size $size --format $format, $(nproc) cores"
echo
echo "| run | files | exit | abnormal end | missing | peak RSS MB | open fds at end | wall s | CPU s |"
echo "|---|---|---|---|---|---|---|---|---|"
bad=0
ref_rss=
row() { # label result…
    local label=$1 count=$2 status=$3 abnormal=$4 missing=$5 rss=$6 fds=$7 wall=$8 cpu=$9
    printf '| %s | %d | %d | %s | %d | %.1f | %s | %s | %s |\n' "$label" "$count" "$status" "$abnormal" \
        "$missing" "$(awk -v k="$rss" 'BEGIN { print k / 1024 }')" "$fds" "$wall" "$cpu"
    if [ "$status" -ne 0 ] || [ "$abnormal" != no ] || [ "$missing" -ne 0 ]; then bad=$((bad + 1)); fi
}
if [ "$ref_files" -gt 0 ]; then
    say "reference run, $ref_files files"
    IFS=$'\t' read -r -a r < <(run_once "$ref_files")
    row ref "${r[@]}"
    ref_rss=${r[4]}
fi
peaks=()
for ((k = 1; k <= runs; k++)); do
    say "run $k of $runs, $files files"
    IFS=$'\t' read -r -a r < <(run_once "$files")
    row "$k" "${r[@]}"
    peaks+=("${r[4]}")
done
echo
echo "- runs ending abnormally or short: $bad of $((runs + (ref_files > 0 ? 1 : 0)))"
if [ -n "$ref_rss" ] && [ ${#peaks[@]} -gt 0 ]; then
    printf '%s\n' "${peaks[@]}" | awk -v ref="$ref_rss" -v n="$files" -v rn="$ref_files" '
        { if (NR == 1 || $1 < lo) lo = $1; if ($1 > hi) hi = $1 }
        END { printf "- peak RSS: %.1f MB at %d files; %.1f–%.1f MB at %d files (%+.1f %% at most; goal within 10 %%)\n",
                     ref / 1024, rn, lo / 1024, hi / 1024, n, (hi - ref) * 100 / ref }'
fi
[ "$bad" -eq 0 ]
