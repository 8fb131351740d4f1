#!/usr/bin/env bash
# Choosing the quality by eye (--quality auto) against fixed qualities, on the corpus made by
# bench/corpus.sh: photos/ (44) and tagged/ (16), each fitted into 1280 × 960 (--mode fit).
#
# Per format in FORMATS and per set:
#   ref    the fitted pixels, losslessly (PNG): what every output is judged against
#   auto   --quality auto (ceiling 100): wall time, peak memory, bytes, the qualities chosen
#   q88    a plain batch at 88, the time auto is compared with; q100 and q40 for the table and
#          the contact sheet
#   qstar  the lowest fixed quality at which every output is within the threshold: from auto's
#          highest choice, fixed qualities are encoded and every output checked, down while all
#          pass (up first if they do not); auto's q - 1 is not always judged, so qstar can lie
#          below its highest choice
# Every output of auto, qstar, q88 and q100 is scored by bench-eye (the engine's own metric).
# Then OWN_SIZE_FILES at their own size (--no-size), auto against q100: what own size costs.
# Then a contact sheet: a crop of three photos at q100 / auto / q40, side by side.
#
# Output: a Markdown report on stdout and in $OUT/results.md; outputs and logs in $OUT.
#
# Environment (defaults in brackets):
#   QUILLMORPH_CLI  [build/src/cli/quillmorph-cli]   BENCH_EYE [build/bench/bench-eye]
#   CORPUS_DIR      [bench/corpus]                   OUT       [bench/out/eye]
#   FORMATS         [JPEG]                           SETS      [photos tagged]
#   OWN_SIZE_FILES  [two photos of photos/]          SHEET     [three photos of photos/]
#   ("-" for either skips that part; the sheet needs the photos' JPEG runs)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
CLI=${QUILLMORPH_CLI:-$repo/build/src/cli/quillmorph-cli}
EYE=${BENCH_EYE:-$repo/build/bench/bench-eye}
corpus=${CORPUS_DIR:-$here/corpus}
out=${OUT:-$here/out/eye}
read -r -a formats <<<"${FORMATS:-JPEG}"
read -r -a sets <<<"${SETS:-photos tagged}"
threshold=0.6

[ -x "$CLI" ] || { echo "quality_by_eye.sh: build $CLI first" >&2; exit 1; }
[ -x "$EYE" ] || { echo "quality_by_eye.sh: cmake --build build --target bench-eye" >&2; exit 1; }
mkdir -p "$out"
report=$out/results.md
: >"$report"
say() { printf '%s\n' "$*" | tee -a "$report"; }

# convert NAME ARGS... FILES: one batch into $out/NAME/ (flat); NAME.time holds
# "wall KB user sys".
convert() {
    local name=$1
    shift
    rm -rf "${out:?}/$name"
    mkdir -p "$out/$name" "$out/$name.tmp"
    /usr/bin/time -f '%e %M %U %S' -o "$out/$name.time" \
        "$CLI" --output-dir "$out/$name.tmp" "$@" >"$out/$name.log" 2>&1
    mv "$out/$name.tmp"/pic*/* "$out/$name/"
    rm -rf "$out/$name.tmp"
}
bytes() { du -cb "$out/$1"/* | tail -1 | cut -f1; }
wall() { cut -d' ' -f1 "$out/$1.time"; }
peak() { echo $(($(cut -d' ' -f2 "$out/$1.time") / 1024)); }
cpu() { awk '{printf "%.1f", $3 + $4}' "$out/$1.time"; }
# score NAME: NAME.eye holds name, bytes, distance per output.
score() { "$EYE" "$out/ref-$2" "$out/$1" >"$out/$1.eye"; }
passing() { awk -v t=$threshold '$3 >= 0 && $3 <= t' "$out/$1.eye" | wc -l; }
worst() { sort -k3 -g "$out/$1.eye" | tail -1 | cut -f3; }
chosen() { grep -E 'Quality chosen by eye|見た目で選んだ画質' "$out/$1.log" | tail -1; }

say "# Quality by eye, $(date -u +%F), $(nproc) cores, threshold $threshold (3-norm, 80 nits)"
say ""
say "| set | format | files | run | quality | KB | × qstar | within | worst | wall s | CPU s | peak MB |"
say "|---|---|---|---|---|---|---|---|---|---|---|---|"
for set in "${sets[@]}"; do
    files=("$corpus/$set"/*)
    box=(--size 1280x960 --mode fit)
    convert "ref-$set" "${box[@]}" --format PNG "${files[@]}"
    for format in "${formats[@]}"; do
        tag=$set-$format
        convert "auto-$tag" "${box[@]}" --format "$format" --quality 100 --quality auto "${files[@]}"
        line=$(chosen "auto-$tag")
        top=$(echo "$line" | grep -oE '[0-9]+' | sed -n 2p)
        [ -n "$top" ] || top=$(echo "$line" | grep -oE '[0-9]+' | head -1)
        fixed() {
            [ -d "$out/q$1-$tag" ] || convert "q$1-$tag" "${box[@]}" --format "$format" --quality "$1" "${files[@]}"
            [ -s "$out/q$1-$tag.eye" ] || score "q$1-$tag" "$set"
        }
        all_pass() { fixed "$1" && [ "$(passing "q$1-$tag")" = "${#files[@]}" ]; }
        while ! all_pass "$top" && [ "$top" -lt 100 ]; do top=$((top + 1)); done
        while [ "$top" -gt 1 ] && all_pass $((top - 1)); do top=$((top - 1)); done
        for q in 88 100 40; do
            [ -d "$out/q$q-$tag" ] || convert "q$q-$tag" "${box[@]}" --format "$format" --quality "$q" "${files[@]}"
        done
        for run in "auto-$tag" "q$top-$tag" "q88-$tag" "q100-$tag"; do
            [ -s "$out/$run.eye" ] || score "$run" "$set"
        done
        star=$(bytes "q$top-$tag")
        for run in "auto-$tag" "q$top-$tag" "q88-$tag" "q100-$tag"; do
            q=${run%%-*}
            [ "$run" = "auto-$tag" ] && q="auto ($(echo "$line" | sed 's/.*: //'))"
            [ "$run" = "q$top-$tag" ] && q="qstar = $top"
            say "| $set | $format | ${#files[@]} | ${run%%-*} | $q | $(($(bytes "$run") / 1024)) | $(awk -v a="$(bytes "$run")" -v b="$star" 'BEGIN{printf "%.2f", a/b}') | $(passing "$run")/${#files[@]} | $(worst "$run") | $(wall "$run") | $(cpu "$run") | $(peak "$run") |"
        done
    done
done

say ""
say "## Own size (--no-size), JPEG"
say ""
say "| file | MP | run | KB | wall s | CPU s | peak MB |"
say "|---|---|---|---|---|---|---|"
if [ -n "${OWN_SIZE_FILES:-}" ]; then read -r -a own <<<"$OWN_SIZE_FILES"; else own=("$corpus"/photos/Aqua.jpg "$corpus"/photos/Wood.jpg); fi
[ "${OWN_SIZE_FILES:-}" = - ] && own=()
for f in "${own[@]}"; do
    stem=$(basename "${f%.*}")
    mp=$(vipsheader -f width "$f" | awk -v h="$(vipsheader -f height "$f")" '{printf "%.1f", $1*h/1e6}')
    convert "own-auto-$stem" --no-size --format JPEG --quality 100 --quality auto "$f"
    convert "own-q100-$stem" --no-size --format JPEG --quality 100 "$f"
    for run in "own-auto-$stem" "own-q100-$stem"; do
        say "| $stem | $mp | ${run#own-} | $(($(bytes "$run") / 1024)) | $(wall "$run") | $(cpu "$run") | $(peak "$run") |"
    done
    say "|  |  | $(chosen "own-auto-$stem") |  |  |  |  |"
done

# Contact sheet: a 320 × 240 crop from the middle of each photo, at q100 | auto | q40.
if [ "${SHEET:-}" = - ]; then exit 0; fi
if [ -n "${SHEET:-}" ]; then read -r -a sheet <<<"$SHEET"; else sheet=(Dune LadyBird Storm); fi
rows=()
for stem in "${sheet[@]}"; do
    for run in q100-photos-JPEG auto-photos-JPEG q40-photos-JPEG; do
        img=$(ls "$out/$run/$stem".* | head -1)
        w=$(vipsheader -f width "$img")
        h=$(vipsheader -f height "$img")
        vips crop "$img" "$out/sheet-$stem-$run.png" $(((w - 320) / 2)) $(((h - 240) / 2)) 320 240
        rows+=("$out/sheet-$stem-$run.png")
    done
done
vips arrayjoin "${rows[*]}" "$out/contact-sheet.png" --across 3 --shim 8 --background 255
say ""
say "Contact sheet (columns q100, auto, q40; rows ${sheet[*]}): $out/contact-sheet.png"
