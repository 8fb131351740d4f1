#!/usr/bin/env bash
# quillmorph-cli on the corpus photos under different memory allocators, runs interleaved:
# wall, CPU, cores busy, peak RSS and minor page faults, medians of RUNS.
#
#   bench/allocators.sh [RUNS]            default 3
#
# Environment: QUILLMORPH_CLI [build/src/cli/quillmorph-cli]; JPEG_ONLY=1 for the JPEG photos
# alone; ARGS [--size 600x450 --format JPEG --quality 100]. The allocators are preloaded
# (apt-get install libjemalloc2 libmimalloc2.0); glibc is also run with fixed mmap and trim
# thresholds, which stop it mapping every large decode buffer afresh.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
runs=${1:-3}
cli=${QUILLMORPH_CLI:-$repo/build/src/cli/quillmorph-cli}
read -r -a args <<<"${ARGS:---size 600x450 --format JPEG --quality 100}"
lib=/usr/lib/x86_64-linux-gnu
[ -x "$cli" ] || { echo "allocators.sh: no quillmorph-cli at $cli" >&2; exit 2; }
if [ "${JPEG_ONLY:-0}" = 1 ]; then
    mapfile -t photos < <(find "$here/corpus/photos" -maxdepth 1 -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) | sort)
else
    mapfile -t photos < <(find "$here/corpus/photos" -maxdepth 1 -type f | sort)
fi
[ ${#photos[@]} -gt 0 ] || { echo "allocators.sh: no photos; run bench/corpus.sh" >&2; exit 2; }

names=(glibc glibc-thresholds jemalloc mimalloc)
envs=(""
      "MALLOC_MMAP_THRESHOLD_=268435456 MALLOC_TRIM_THRESHOLD_=268435456 MALLOC_TOP_PAD_=67108864"
      "LD_PRELOAD=$lib/libjemalloc.so.2"
      "LD_PRELOAD=$lib/libmimalloc.so.2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat "${photos[@]}" >/dev/null
for ((r = 1; r <= runs; r++)); do
    for i in "${!names[@]}"; do
        rm -rf "$work/out" && mkdir "$work/out"
        t0=$(date +%s.%N)
        # shellcheck disable=SC2086 # envs[i] is a list of assignments
        env ${envs[i]} /usr/bin/time -f '%U %S %M %R' -o "$work/t" \
            "$cli" --output-dir "$work/out" "${args[@]}" "${photos[@]}" >/dev/null 2>&1 ||
            echo "allocators.sh: ${names[i]} failed" >&2
        t1=$(date +%s.%N)
        read -r u s m f <"$work/t"
        echo "${names[i]} $(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }') $(awk -v u="$u" -v s="$s" 'BEGIN { print u + s }') $m $f"
    done
done | awk -v n=${#photos[@]} '
    function med(s,   a, k, i, j, t) { k = split(s, a, " ")
        for (i = 2; i <= k; i++) { t = a[i]; for (j = i - 1; j >= 1 && a[j] + 0 > t + 0; j--) a[j + 1] = a[j]; a[j + 1] = t }
        return k % 2 ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2 }
    { if (!($1 in w)) order[++m] = $1; w[$1] = w[$1] " " $2; c[$1] = c[$1] " " $3; p[$1] = p[$1] " " $4; f[$1] = f[$1] " " $5 }
    END { printf "%d photos\n\n| allocator | wall s | CPU s | cores busy | peak MB | minor faults |\n|---|---:|---:|---:|---:|---:|\n", n
          for (i = 1; i <= m; i++) { a = order[i]
              printf "| %s | %.2f | %.2f | %.2f | %.0f | %d |\n", a, med(w[a]), med(c[a]), med(c[a]) / med(w[a]), med(p[a]) / 1024, med(f[a]) } }'
