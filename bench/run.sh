#!/usr/bin/env bash
# Throughput of quillmorph-cli against peer tools on the corpus made by bench/corpus.sh.
#
# Settings (on bench/corpus/photos):
#   a  box 600×450, JPEG quality 100   (the window's defaults)
#   b  box 1280×960, JPEG quality 88
#   c  size conversion off, PNG        (transparency flattened onto white only)
#   d  size conversion off, JPEG quality 100 (the settings file's defaults: the first job most run)
#   a-fit, a-fill  setting a in the fit and fill modes (quillmorph-cli only; see MODES)
#   b-max    setting b held to a file-size limit (quillmorph-cli only; see MAX_SIZE)
# Tools:
#   quillmorph  quillmorph-cli, one process for the batch
#   baseline    another quillmorph-cli ($QUILLMORPH_BASELINE, e.g. one built from an older commit):
#               before and after in the same run
#   reference   bench-reference (bench/reference.cpp): libvips thumbnail + embed + save, one process;
#               at own size (c, d) new_from_file with sequential access + save
#   reference2  the same binary as two processes at once, each over every other file of the list
#               (its peak is the larger process's, not the two together)
#   gm          GraphicsMagick, one `gm convert` per file (MAGICK_MODE=mogrify: one `gm mogrify`)
#   im          ImageMagick 6, one `convert` per file  (MAGICK_MODE=mogrify: one `mogrify`)
#   window      the quillmorph window itself (offscreen), files handed to it as a drop
#               (bench/window_batch.cpp); wall time includes starting the window
# Then a scaling table: one image of 1, 6, 24, 100 megapixels, and 10, 100, 1000 small files.
#
# Every figure is the median of RUNS runs, measured with /usr/bin/time -v (CPU = user + sys,
# peak = max RSS of the largest process, minor page faults) and a wall clock around it. Output: a Markdown report
# on stdout and in bench/out/results.md; raw rows in bench/out/raw.tsv, tool logs in bench/out/logs.
#
# Environment (defaults in brackets):
#   QUILLMORPH_CLI  the tool to measure [build/src/cli/quillmorph-cli]
#   QUILLMORPH_BASELINE  the quillmorph-cli the baseline tool runs [none]
#   BENCH_WINDOW    bench-window binary [built into build/ as target bench-window]
#   BENCH_REFERENCE bench-reference binary [built from bench/ into build-bench/reference]
#   RUNS [3]  QUICK=1 (RUNS=1, 8 photos, smaller scaling sets: a smoke run of a minute or two)
#   PHOTOS_DIR [bench/corpus/photos]  the photographs, e.g. bench/corpus/tagged (corpus.sh)
#   PHOTOS [all]  use this many photos, evenly spread over the sorted list
#   JPEG_ONLY=1   only the JPEG photos (taken before PHOTOS picks from them)
#   MODES ["pad"]  "pad fit fill" adds setting a in fit and fill modes beside it, same run
#   MAX_SIZE [""]  e.g. 115K: adds setting b with that file-size limit (b-max) beside it
#   SETTINGS ["a b c d"]  TOOLS ["quillmorph reference gm im"]  MAGICK_MODE [loop] or mogrify
#   SCALE_MP ["1 6 24 100"]  SCALE_FILES ["10 100 1000"]  SCALE_TOOLS ["quillmorph reference"]
#                 (set any of these three empty to skip that part)
#   REFERENCE_OPTS [""] e.g. --no-cache   KEEP_OUTPUT=1 keeps the converted images in bench/out/work
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
corpus=${CORPUS_DIR:-$here/corpus}
photos_dir=${PHOTOS_DIR:-$corpus/photos}
out=${BENCH_OUT:-$here/out}

if [ "${QUICK:-0}" = 1 ]; then
    RUNS=${RUNS:-1}
    PHOTOS=${PHOTOS:-8}
    SCALE_MP=${SCALE_MP-"1 6"}
    SCALE_FILES=${SCALE_FILES-"10 100"}
fi
RUNS=${RUNS:-3}
PHOTOS=${PHOTOS:-0}
SETTINGS=${SETTINGS:-"a b c d"}
MODES=${MODES:-pad}
mode_settings=""
for m in $MODES; do
    case $m in
        pad) ;;
        fit | fill) mode_settings+=" a-$m" ;;
        *) echo "run.sh: unknown mode $m (pad, fit, fill)" >&2; exit 1 ;;
    esac
done
# A file-size limit on setting b, same run: b-max (quillmorph-cli only).
MAX_SIZE=${MAX_SIZE:-}
[ -n "$MAX_SIZE" ] && mode_settings+=" b-max"
TOOLS=${TOOLS:-"quillmorph window reference reference2 gm im"}
JPEG_ONLY=${JPEG_ONLY:-0}
MAGICK_MODE=${MAGICK_MODE:-loop}
SCALE_MP=${SCALE_MP-"1 6 24 100"}
SCALE_FILES=${SCALE_FILES-"10 100 1000"}
SCALE_TOOLS=${SCALE_TOOLS-"quillmorph reference"}
REFERENCE_OPTS=${REFERENCE_OPTS:-}
CLI=${QUILLMORPH_CLI:-$repo/build/src/cli/quillmorph-cli}
BASELINE=${QUILLMORPH_BASELINE:-}
# The Debian binary itself: a `convert` earlier on PATH may be a wrapper that adds its own cost.
IM_CONVERT=${IM_CONVERT:-$( [ -x /usr/bin/convert ] && echo /usr/bin/convert || command -v convert || echo convert)}
IM_MOGRIFY=${IM_MOGRIFY:-$( [ -x /usr/bin/mogrify ] && echo /usr/bin/mogrify || command -v mogrify || echo mogrify)}
TIME=/usr/bin/time

say() { echo "run.sh: $*" >&2; }
die() { say "$*"; exit 1; }

# --- tools ----------------------------------------------------------------------------------------
missing=()
[ -x "$TIME" ] || missing+=(time)
[[ " $TOOLS $SCALE_TOOLS " == *" gm "* ]] && ! command -v gm >/dev/null && missing+=(graphicsmagick)
[[ " $TOOLS $SCALE_TOOLS " == *" im "* ]] && ! [ -x "$IM_CONVERT" ] && ! command -v "$IM_CONVERT" >/dev/null && missing+=(imagemagick)
command -v vipsheader >/dev/null || missing+=(libvips-tools)
if [ ${#missing[@]} -gt 0 ]; then
    [ "$(id -u)" = 0 ] || die "missing ${missing[*]}: apt-get install ${missing[*]} (as root)"
    say "installing ${missing[*]}"
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"; } >&2 ||
        die "could not install ${missing[*]}"
fi

if [[ " $TOOLS $SCALE_TOOLS " == *" quillmorph "* ]]; then
    [ -x "$CLI" ] || die "no quillmorph-cli at $CLI; build it (cmake --build build --target quillmorph-cli) or set QUILLMORPH_CLI"
fi
if [[ " $TOOLS $SCALE_TOOLS " == *" baseline "* ]]; then
    [ -x "$BASELINE" ] || die "the baseline tool needs QUILLMORPH_BASELINE, a quillmorph-cli to compare with"
fi
WINDOW=${BENCH_WINDOW:-}
if [ -z "$WINDOW" ] && [[ " $TOOLS " == *" window "* ]]; then
    cmake --build "$repo/build" --target bench-window >/dev/null ||
        die "could not build bench-window (cmake --build build --target bench-window)"
    WINDOW=$repo/build/bench/bench-window
fi
REF=${BENCH_REFERENCE:-}
if [ -z "$REF" ] && [[ " $TOOLS $SCALE_TOOLS " == *" reference"* ]]; then
    # Its own build folder, configured from bench/ alone, so a half-edited tree does not stop it.
    refbuild=$repo/build-bench/reference
    { cmake -S "$here" -B "$refbuild" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null &&
        cmake --build "$refbuild" --target bench-reference >/dev/null; } ||
        die "could not build bench-reference (see: cmake --build $refbuild)"
    REF=$refbuild/bench-reference
fi

[ -n "$(ls -A "$photos_dir" 2>/dev/null)" ] || { say "no corpus yet; running corpus.sh"; "$here/corpus.sh" >&2 || die "corpus.sh failed"; }

if [ "$JPEG_ONLY" = 1 ]; then
    mapfile -t all_photos < <(find "$photos_dir" -maxdepth 1 -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) | sort)
else
    mapfile -t all_photos < <(find "$photos_dir" -maxdepth 1 -type f ! -name '.*' | sort)
fi
photos=("${all_photos[@]}")
if [ "$PHOTOS" -gt 0 ] && [ "$PHOTOS" -lt ${#all_photos[@]} ]; then
    photos=()
    for ((i = 0; i < PHOTOS; i++)); do photos+=("${all_photos[i * ${#all_photos[@]} / PHOTOS]}"); done
fi
mapfile -t many < <(find "$corpus/many" -maxdepth 1 -type f | sort)

rm -rf "$out/work" "$out/logs" "$out/sizes"
mkdir -p "$out/work" "$out/logs" "$out/sizes"
raw=$out/raw.tsv
printf 'kind\tsetting\ttool\trun\tfiles\twall\tcpu\trss_kb\trc\tminflt\n' >"$raw"
windir=$(mktemp -d) # no stored settings: quillmorph-cli reads $windir/quillmorph.ini
trap 'rm -rf "$windir"' EXIT

# --- one conversion -------------------------------------------------------------------------------
# convert TOOL SETTING DIR FILE...: converts FILEs into DIR (quillmorph: into its dated subfolder).
convert_with() {
    local tool=$1 setting=$2 dir=$3
    shift 3
    local size="" fmt q="" mode=""
    case $setting in
        a) size=600x450 fmt=jpeg q=100 ;;
        a-fit | a-fill) size=600x450 fmt=jpeg q=100 mode=${setting#a-} ;;
        b) size=1280x960 fmt=jpeg q=88 ;;
        b-max) size=1280x960 fmt=jpeg q=88 ;;
        c) size="" fmt=png ;;
        d) size="" fmt=jpeg q=100 ;;
        *) die "unknown setting $setting" ;;
    esac
    local ext=jpg; [ "$fmt" = png ] && ext=png
    case $tool in
        quillmorph | baseline)
            local args=(--output-dir "$dir")
            if [ "$fmt" = png ]; then args+=(--format PNG); else args+=(--format JPEG --quality "$q"); fi
            if [ -n "$size" ]; then args+=(--size "$size"); else args+=(--no-size); fi
            [ -n "$mode" ] && args+=(--mode "$mode")
            [ "$setting" = b-max ] && args+=(--max-size "$MAX_SIZE")
            local cli=$CLI
            [ "$tool" = baseline ] && cli=$BASELINE
            windir=$windir "$cli" "${args[@]}" "$@"
            ;;
        window)
            local args=(--out "$dir")
            if [ "$fmt" = png ]; then args+=(--format PNG); else args+=(--format JPEG --quality "$q"); fi
            if [ -n "$size" ]; then args+=(--size "$size"); else args+=(--no-size); fi
            QT_QPA_PLATFORM=offscreen "$WINDOW" "${args[@]}" "$@"
            ;;
        reference | reference2)
            local args=(--out "$dir" --format "$fmt")
            [ -n "$q" ] && args+=(--quality "$q")
            if [ -n "$size" ]; then args+=(--size "$size"); else args+=(--no-size); fi
            if [ "$tool" = reference ]; then
                # shellcheck disable=SC2086 # REFERENCE_OPTS is a word list
                "$REF" $REFERENCE_OPTS "${args[@]}" "$@"
                return
            fi
            local f i=0 pid rc=0
            local -a even=() odd=()
            for f; do
                if ((i++ % 2)); then odd+=("$f"); else even+=("$f"); fi
            done
            # shellcheck disable=SC2086
            "$REF" $REFERENCE_OPTS "${args[@]}" "${even[@]}" &
            pid=$!
            if [ ${#odd[@]} -gt 0 ]; then
                # shellcheck disable=SC2086
                "$REF" $REFERENCE_OPTS "${args[@]}" "${odd[@]}" || rc=1
            fi
            wait "$pid" || rc=1
            return $rc
            ;;
        gm | im)
            local ops
            if [ -n "$size" ]; then
                ops=(-resize "$size" -background white -gravity center -extent "$size" -quality "$q")
            else
                ops=(-background white -flatten)
                [ -n "$q" ] && ops+=(-quality "$q")
            fi
            local hint=()
            if [ -n "$size" ]; then
                if [ "$tool" = gm ]; then hint=(-size "$size"); else hint=(-define "jpeg:size=$size"); fi
            fi
            if [ "$MAGICK_MODE" = mogrify ]; then
                if [ "$tool" = gm ] && [ -z "$size" ]; then
                    # gm mogrify has no -flatten; gm batch runs the convert lines in one process.
                    local f b list=$dir/.gm-batch
                    for f; do
                        b=$(basename "$f"); b=${b%.*}
                        printf 'convert "%s" %s "%s"\n' "$f" "${ops[*]}" "$dir/$b.$ext"
                    done >"$list"
                    gm batch -echo off -feedback off "$list"
                    local rc=$?
                    rm -f "$list"
                    return $rc
                elif [ "$tool" = gm ]; then
                    # gm mogrify writes DIR/<path as given>; give it bare names from their folder.
                    local f first=$1 names=()
                    for f; do names+=("$(basename "$f")"); done
                    (cd "$(dirname "$first")" && gm mogrify -output-directory "$dir" -format "$ext" "${hint[@]}" "${ops[@]}" "${names[@]}")
                else
                    "$IM_MOGRIFY" -path "$dir" -format "$ext" "${hint[@]}" "${ops[@]}" "$@"
                fi
            else
                local f b rc=0
                for f; do
                    b=$(basename "$f"); b=${b%.*}
                    if [ "$tool" = gm ]; then
                        gm convert "${hint[@]}" "$f" "${ops[@]}" "$dir/$b.$ext" || rc=1
                    else
                        "$IM_CONVERT" "${hint[@]}" "$f" "${ops[@]}" "$dir/$b.$ext" || rc=1
                    fi
                done
                return $rc
            fi
            ;;
        *) die "unknown tool $tool" ;;
    esac
}
export -f convert_with die say
export CLI BASELINE WINDOW REF REFERENCE_OPTS MAGICK_MODE IM_CONVERT IM_MOGRIFY windir

# measure KIND SETTING TOOL RUN FILE...: one timed conversion; appends a row to raw.tsv and
# leaves the outputs in $out/work/KIND-SETTING-TOOL.
measure() {
    local kind=$1 setting=$2 tool=$3 run=$4
    shift 4
    local conv=$setting
    [ "$kind" != main ] && conv=a
    local dir=$out/work/$kind-$setting-$tool
    local log=$out/logs/$kind-$setting-$tool-run$run
    rm -rf "$dir"
    mkdir -p "$dir"
    local t0 t1 rc
    t0=$(date +%s.%N)
    "$TIME" -v -o "$log.time" bash -c 'convert_with "$@"' _ "$tool" "$conv" "$dir" "$@" >"$log.out" 2>"$log.err"
    rc=$?
    t1=$(date +%s.%N)
    awk -v kind="$kind" -v setting="$setting" -v tool="$tool" -v run="$run" -v files=$# \
        -v t0="$t0" -v t1="$t1" -v rc="$rc" -F': ' '
        /User time \(seconds\)/ { u = $2 } /System time \(seconds\)/ { s = $2 }
        /Maximum resident set size/ { m = $2 } /Minor \(reclaiming a frame\) page faults/ { mf = $2 }
        END { printf "%s\t%s\t%s\t%s\t%d\t%.3f\t%.2f\t%d\t%d\t%d\n", kind, setting, tool, run, files, t1 - t0, u + s, m, rc, mf }' \
        "$log.time" >>"$raw"
    if [ "$rc" != 0 ]; then
        say "$tool failed on $kind $setting (exit $rc); stderr in $log.err:"
        head -n 5 "$log.err" | sed 's/^/    /' >&2
    fi
}

# sizes_of DIR: "name<TAB>WxH" for every image in DIR (quillmorph: in its dated subfolder).
sizes_of() {
    local d=$1 sub
    sub=$(find "$d" -mindepth 1 -maxdepth 1 -type d | head -n1)
    [ -n "$sub" ] && d=$sub
    find "$d" -maxdepth 1 -type f ! -name '.*' -print0 | sort -z | xargs -0 -r vipsheader 2>&1 |
        awk '{ if (match($0, /: [0-9]+x[0-9]+ /)) { f = $0; sub(/: [0-9]+x[0-9]+ .*/, "", f);
                   n = split(f, p, "/"); printf "%s\t%s\n", p[n], substr($0, RSTART + 2, RLENGTH - 3) }
               else printf "%s\tunreadable\n", $0 }'
}

count_outputs() {
    local d=$1 sub
    sub=$(find "$d" -mindepth 1 -maxdepth 1 -type d | head -n1)
    [ -n "$sub" ] && d=$sub
    find "$d" -maxdepth 1 -type f ! -name '.*' | wc -l
}

# --- the runs -------------------------------------------------------------------------------------
say "${#photos[@]} photos, settings: $SETTINGS, tools: $TOOLS, runs: $RUNS, magick mode: $MAGICK_MODE"
cat "${photos[@]}" "${many[@]}" >/dev/null # warm the page cache: every run reads from memory
# One untimed conversion per tool, so the first timed run does not pay for loading libraries.
for t in $(printf '%s\n' $TOOLS $SCALE_TOOLS | sort -u); do
    mkdir -p "$out/work/warm-$t"
    bash -c 'convert_with "$@"' _ "$t" a "$out/work/warm-$t" "${photos[0]}" >/dev/null 2>&1
    rm -rf "$out/work/warm-$t"
done
started=$(date +%s)
head_at_start=$(git -C "$repo" rev-parse --short HEAD 2>/dev/null)
load_start=$(cut -d' ' -f1-3 /proc/loadavg)
# quillmorph's memory budget by its rule (src/convert/ConversionCost.cpp): a quarter of
# MemAvailable as the batch starts, at least 192 MiB, at most 1 GiB.
budget_mib=$(awk '/^MemAvailable:/ { b = $2 / 1024 / 4; if (b < 192) b = 192; if (b > 1024) b = 1024; printf "%.0f", b }' /proc/meminfo)
problems=()
for ((run = 1; run <= RUNS; run++)); do
    for s in $SETTINGS; do
        for t in $TOOLS; do
            say "run $run/$RUNS setting $s: $t"
            measure main "$s" "$t" "$run" "${photos[@]}"
            if [ "$run" = 1 ]; then
                sizes_of "$out/work/main-$s-$t" >"$out/sizes/$s-$t.tsv"
            fi
            [ "${KEEP_OUTPUT:-0}" = 1 ] || rm -rf "$out/work/main-$s-$t"
        done
    done
    # The same batch in the other modes, right after pad so the machine's load is alike.
    for s in $mode_settings; do
        say "run $run/$RUNS setting $s: quillmorph"
        measure main "$s" quillmorph "$run" "${photos[@]}"
        [ "$run" = 1 ] && sizes_of "$out/work/main-$s-quillmorph" >"$out/sizes/$s-quillmorph.tsv"
        if [ "$s" = b-max ] && [ "$run" = 1 ]; then
            over=$(find "$out/work/main-$s-quillmorph" -type f -size +"$(numfmt --from=iec "$MAX_SIZE")"c | wc -l)
            problems+=("b-max: $over of ${#photos[@]} outputs over $MAX_SIZE (each counted in quillmorph-cli's final message)")
        fi
        [ "${KEEP_OUTPUT:-0}" = 1 ] || rm -rf "$out/work/main-$s-quillmorph"
    done
    for mp in $SCALE_MP; do
        f=$corpus/scale/scale-${mp}mp.jpg
        [ -e "$f" ] || { say "no $f (run corpus.sh)"; continue; }
        for t in $SCALE_TOOLS; do
            say "run $run/$RUNS scaling ${mp} MP: $t"
            measure mp "${mp}MP" "$t" "$run" "$f"
            n=$(count_outputs "$out/work/mp-${mp}MP-$t")
            [ "$n" = 1 ] || problems+=("scaling ${mp} MP: $t wrote $n files instead of 1")
            rm -rf "$out/work/mp-${mp}MP-$t"
        done
    done
    for n in $SCALE_FILES; do
        [ "$n" -le ${#many[@]} ] || { say "only ${#many[@]} files in $corpus/many; skipping $n"; continue; }
        for t in $SCALE_TOOLS; do
            say "run $run/$RUNS scaling $n files: $t"
            measure files "$n" "$t" "$run" "${many[@]:0:n}"
            got=$(count_outputs "$out/work/files-$n-$t")
            [ "$got" = "$n" ] || problems+=("scaling $n files: $t wrote $got files instead of $n")
            rm -rf "$out/work/files-$n-$t"
        done
    done
done
elapsed=$(($(date +%s) - started))
load_end=$(cut -d' ' -f1-3 /proc/loadavg)

# --- same sizes from every tool -------------------------------------------------------------------
# Expected: the box (a, b) or the source's own size (c); every tool should agree on every name.
for f in "${photos[@]}"; do printf '%s\n' "$f"; done | xargs -d '\n' vipsheader |
    awk '{ if (match($0, /: [0-9]+x[0-9]+ /)) { f = $0; sub(/: [0-9]+x[0-9]+ .*/, "", f);
               n = split(f, p, "/"); b = p[n]; sub(/\.[^.]*$/, "", b);
               printf "%s\t%s\n", b, substr($0, RSTART + 2, RLENGTH - 3) } }' >"$out/sizes/source.tsv"
size_report=$out/sizes/report.txt
: >"$size_report"
for s in $SETTINGS $mode_settings; do
    case $s in a | a-fill) box=600x450 ;; b | b-max) box=1280x960 ;; *) box="" ;; esac
    tools=$TOOLS
    [[ "$s" == a-* ]] && tools=quillmorph
    lists=("$out/sizes/source.tsv")
    for t in $tools; do lists+=("$out/sizes/$s-$t.tsv"); done
    awk -F'\t' -v setting="$s" -v box="$box" -v tools="$tools" '
        BEGIN { nt = split(tools, T, " ") }
        FILENAME ~ /source\.tsv$/ { src[$1] = $2; stems[$1] = 1; next }
        { t = FILENAME; sub(/.*\/[a-z](-[a-z]+)?-/, "", t); sub(/\.tsv$/, "", t)
          stem = $1; sub(/\.[^.]*$/, "", stem); got[t, stem] = $2 }
        # fit: the source scaled into 600 x 450 at its own proportions, sides rounded
        function fitted(size,   d, s, w, h) {
            split(size, d, "x"); s = 600 / d[1]; if (450 / d[2] < s) s = 450 / d[2]
            w = int(d[1] * s + 0.5); h = int(d[2] * s + 0.5)
            return (w < 1 ? 1 : w > 600 ? 600 : w) "x" (h < 1 ? 1 : h > 450 ? 450 : h)
        }
        END {
            for (stem in stems) {
                want = setting == "a-fit" ? fitted(src[stem]) : box != "" ? box : src[stem]
                for (i = 1; i <= nt; i++) {
                    v = ((T[i], stem) in got) ? got[T[i], stem] : "missing"
                    if (v != want) printf "setting %s: %s: %s wrote %s, expected %s\n", setting, stem, T[i], v, want
                }
            }
        }' "${lists[@]}" >>"$size_report"
done
sort -o "$size_report" "$size_report"

# --- report ---------------------------------------------------------------------------------------
ver() { "$@" 2>/dev/null | head -n1; }
{
    echo "# quillmorph throughput"
    echo
    echo "- machine: $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo), $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)"
    tree=""
    if [[ "$(realpath "$CLI")" == "$repo"/* ]]; then
        tree=", from this repository (HEAD $head_at_start when the run began)"
        [ -n "$(git -C "$repo" status --porcelain -- src 2>/dev/null)" ] && tree+=" (src/ has uncommitted changes)"
    fi
    echo "- quillmorph-cli: \`$CLI\` ($(ver "$CLI" --version))$tree"
    [ -n "$BASELINE" ] && echo "- baseline: \`$BASELINE\` ($(ver "$BASELINE" --version))"
    echo "- reference: bench-reference $REFERENCE_OPTS (libvips $(vips --version 2>/dev/null | sed 's/^vips-//'))"
    echo "- gm: $(ver gm version | awk '{ print $1, $2, $4 }'); im: $(ver "$IM_CONVERT" -version | sed 's/^Version: //; s/ https.*//')"
    if [ "$MAGICK_MODE" = mogrify ]; then
        echo "- gm and im: one process for the whole batch: \`gm mogrify\` (\`gm batch\` of convert lines for PNG, as gm mogrify cannot flatten) / \`mogrify\`"
    else
        echo "- gm and im: one \`gm convert\` / \`convert\` process per file (a shell loop), as users run them"
    fi
    echo "- corpus: ${#photos[@]} photos from Debian's background packages (\`${photos_dir#"$repo"/}\`) ($(awk -F'\t' '{ split($2, d, "x"); mp = d[1] * d[2] / 1e6; if (NR == 1 || mp < lo) lo = mp; if (mp > hi) hi = mp } END { printf "%.1f–%.1f MP", lo, hi }' "$out/sizes/source.tsv"))"
    echo "- medians of $RUNS run(s); wall = elapsed seconds, CPU = user + sys seconds, peak = max RSS; total bench time ${elapsed} s"
    echo "- load average (1, 5, 15 min) at start: $load_start, at end: $load_end (other work on the machine skews wall times)"
    echo "- command: \`$(for v in QUICK RUNS PHOTOS_DIR PHOTOS JPEG_ONLY SETTINGS MODES MAX_SIZE TOOLS QUILLMORPH_BASELINE MAGICK_MODE SCALE_MP SCALE_FILES SCALE_TOOLS REFERENCE_OPTS; do [ -n "${!v:-}" ] && printf '%s="%s" ' "$v" "${!v}"; done)bench/run.sh\`"
    echo
    awk -F'\t' -v tools="$TOOLS" -v scaletools="$SCALE_TOOLS" -v max="$MAX_SIZE" -v budget="$budget_mib" '
        function median(key,   n, i, j, a, t) {
            n = split(vals[key], a, " ")
            for (i = 2; i <= n; i++) { t = a[i]; for (j = i - 1; j >= 1 && a[j] + 0 > t + 0; j--) a[j + 1] = a[j]; a[j + 1] = t }
            return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
        }
        function add(k, v) { vals[k] = (k in vals) ? vals[k] " " v : v }
        NR == 1 { next }
        {
            g = $1 SUBSEP $2 SUBSEP $3
            if (!(g in seen)) { seen[g] = 1; order[++ng] = g }
            files[g] = $5; add(g SUBSEP "wall", $6); add(g SUBSEP "cpu", $7); add(g SUBSEP "rss", $8); add(g SUBSEP "mf", $10)
            if ($9 != 0) failed[g]++
        }
        END {
            for (i = 1; i <= ng; i++) {
                g = order[i]
                W[g] = median(g SUBSEP "wall"); C[g] = median(g SUBSEP "cpu"); R[g] = median(g SUBSEP "rss") / 1024
                F[g] = median(g SUBSEP "mf")
            }
            name["a"] = "a: 600×450 JPEG q100"; name["b"] = "b: 1280×960 JPEG q88"; name["c"] = "c: own size, PNG"; name["d"] = "d: own size, JPEG q100"
            name["a-fit"] = "a, fit mode"; name["a-fill"] = "a, fill mode"; name["b-max"] = "b, file-size limit " max
            print "## Settings on the photos"
            print ""
            print "| setting | tool | files | wall s | CPU s | cores busy | peak MB | minor faults | images/s | quillmorph ÷ tool (wall) |"
            print "|---|---|---:|---:|---:|---:|---:|---:|---:|---:|"
            for (i = 1; i <= ng; i++) {
                g = order[i]; split(g, k, SUBSEP); if (k[1] != "main") continue
                ours = "main" SUBSEP k[2] SUBSEP "quillmorph"
                ratio = (k[3] != "quillmorph" && (ours in W) && W[g] > 0) ? sprintf("%.2f", W[ours] / W[g]) : "—"
                note = (g in failed) ? sprintf(" (failed in %d run(s))", failed[g]) : ""
                printf "| %s | %s%s | %d | %.2f | %.2f | %.2f | %.0f | %.0f | %.1f | %s |\n", name[k[2]], k[3], note, files[g], W[g], C[g], C[g] / W[g], R[g], F[g], files[g] / W[g], ratio
            }
            hdr = 0
            for (i = 1; i <= ng; i++) {
                g = order[i]; split(g, k, SUBSEP); if (k[1] != "mp") continue
                if (!hdr++) { print ""; print "## Scaling: one image (600×450 JPEG q100)"; print ""
                    print "| image | tool | wall s | CPU s | peak MB | wall ms per MP |"; print "|---|---|---:|---:|---:|---:|" }
                mp = k[2]; sub(/MP/, "", mp)
                note = (g in failed) ? " (failed)" : ""
                printf "| %s MP | %s%s | %.3f | %.2f | %.0f | %.1f |\n", mp, k[3], note, W[g], C[g], R[g], 1000 * W[g] / mp
            }
            hdr = 0
            for (i = 1; i <= ng; i++) {
                g = order[i]; split(g, k, SUBSEP); if (k[1] != "files") continue
                if (!hdr++) { print ""; print "## Scaling: number of small files (600×450 JPEG q100)"; print ""
                    print "| files | tool | wall s | CPU s | peak MB | wall ms per file |"; print "|---:|---|---:|---:|---:|---:|" }
                note = (g in failed) ? " (failed)" : ""
                printf "| %d | %s%s | %.3f | %.2f | %.0f | %.1f |\n", k[2], k[3], note, W[g], C[g], R[g], 1000 * W[g] / k[2]
            }
            b = "main" SUBSEP "b" SUBSEP "quillmorph"; g = "main" SUBSEP "b-max" SUBSEP "quillmorph"
            if ((g in W) && (b in W)) {
                print ""; print "## File-size limit"; print ""
                printf "- 1280×960 held to %s ÷ without (quillmorph-cli): wall %.2f (goal ≤ 2.5), CPU %.2f, peak %.2f (goal ≤ 1.20)\n", max, W[g] / W[b], C[g] / C[b], R[g] / R[b]
            }
            # The goals of the throughput issues, read off the tables above.
            a = "main" SUBSEP "a" SUBSEP; c = "main" SUBSEP "c" SUBSEP; d = "main" SUBSEP "d" SUBSEP
            if ((a "quillmorph") in W || (c "quillmorph") in W || (d "quillmorph") in W) {
                print ""; print "## Goals"; print ""
                if ((d "quillmorph") in W && (d "reference2") in W) printf "- own size JPEG q100 wall, quillmorph ÷ reference as two processes: %.2f (goal ≤ 1.00)\n", W[d "quillmorph"] / W[d "reference2"]
                if ((d "quillmorph") in W && (d "reference") in W) printf "- own size JPEG q100 CPU, quillmorph ÷ reference: %.2f (goal ≤ 1.05)\n", C[d "quillmorph"] / C[d "reference"]
                if ((c "quillmorph") in W && (c "reference2") in W) printf "- own size PNG wall, quillmorph ÷ reference as two processes: %.2f (goal ≤ 1.10)\n", W[c "quillmorph"] / W[c "reference2"]
                if ((a "quillmorph") in W && (a "reference2") in W) printf "- 600×450 wall, quillmorph ÷ reference as two processes: %.2f (goal ≤ 0.90)\n", W[a "quillmorph"] / W[a "reference2"]
                if ((a "quillmorph") in W && (a "reference") in W) printf "- 600×450 CPU, quillmorph ÷ reference: %.2f (below 1 wanted); wall ÷ reference: %.2f (goal ≤ 0.6)\n", C[a "quillmorph"] / C[a "reference"], W[a "quillmorph"] / W[a "reference"]
                if ((a "quillmorph") in W) printf "- two-core floor for quillmorph-cli on 600×450 (CPU s ÷ 1.9): %.2f s against its %.2f s wall\n", C[a "quillmorph"] / 1.9, W[a "quillmorph"]
                if ((a "gm") in W) printf "- 600×450 wall, quillmorph ÷ GraphicsMagick: %.2f (goal ≤ 0.4)\n", W[a "quillmorph"] / W[a "gm"]
                if ((a "window") in W) printf "- 600×450 wall, window ÷ quillmorph-cli: %.2f (goal ≤ 1.10)\n", W[a "window"] / W[a "quillmorph"]
                for (m = 1; m <= 2; m++) {
                    mode = m == 1 ? "fit" : "fill"; g = "main" SUBSEP "a-" mode SUBSEP "quillmorph"
                    if (g in W) printf "- 600×450, %s ÷ pad (quillmorph-cli): wall %.2f, CPU %.2f (goal ≤ 1.00)\n", mode, W[g] / W[a "quillmorph"], C[g] / C[a "quillmorph"]
                }
                peak = 0
                for (i = 1; i <= ng; i++) {
                    g = order[i]; split(g, k, SUBSEP); if (k[1] != "main" || k[3] != "quillmorph") continue
                    if (R[g] > peak) peak = R[g]
                    r2 = "main" SUBSEP k[2] SUBSEP "reference2"
                    if (r2 in R) printf "- peak memory on %s, quillmorph-cli ÷ reference as two processes (its larger one): %.0f ÷ %.0f MB = %.2f (goal ≤ 1.5)\n", name[k[2]], R[g], R[r2], R[g] / R[r2]
                }
                printf "- peak memory of quillmorph-cli over the photo settings: %.0f MB (goal: within the memory budget, %.0f MiB at the start; ≤ 250 MB under the fixed 192 MiB budget before 2026-12-08)\n", peak, budget
                big = "mp" SUBSEP "100MP" SUBSEP "quillmorph"
                if (big in R) printf "- 100 MP JPEG: %.0f MB (goal ≤ 400)\n", R[big]
            }
        }' "$raw"
    echo
    echo "## Checks"
    echo
    if [ -s "$size_report" ]; then
        echo "Output sizes that differ from the expected size (box, or the source's size without size conversion):"
        echo
        sed 's/^/- /' "$size_report"
    else
        echo "- every tool wrote every output, and all at the same, expected size."
    fi
    for p in "${problems[@]}"; do echo "- $p"; done
    # Tool errors, quoted as printed (first run of each failing measurement).
    for e in "$out"/logs/*-run1.err; do
        [ -s "$e" ] || continue
        echo "- stderr of $(basename "$e" -run1.err), run 1:"
        echo
        echo '```'
        head -n 20 "$e"
        echo '```'
    done
} | tee "$out/results.md"
