#!/usr/bin/env bash
# Builds bench/corpus/ from photographs shipped in Debian's desktop background packages.
#
#   bench/corpus/photos/  the JPEG, PNG and WebP files of 1–25 megapixels, as packaged
#   bench/corpus/tagged/  its JPEGs as cameras write them: quality 92 with an sRGB or Adobe RGB
#                         profile (colord-data's), for run.sh's PHOTOS_DIR
#   bench/corpus/small/   300 small images (JPEG, PNG, WebP, assorted sizes) made from them
#   bench/corpus/many/    1000 hard links over small/ under distinct names (file-count scaling)
#   bench/corpus/scale/   one photo resampled to 1, 6, 24 and 100 megapixels (image-size scaling)
#
# Idempotent: what already exists is kept. Needs apt-get (the package archive) and vips.
# Nothing here is committed (see .gitignore).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
corpus=${CORPUS_DIR:-$here/corpus}
small_count=${SMALL_COUNT:-300}
many_count=${MANY_COUNT:-1000}
read -r -a packages <<<"${CORPUS_PACKAGES:-mate-backgrounds gnome-backgrounds}"
# Taken in order when one of the packages above is not in the archive.
fallbacks=(plasma-workspace-wallpapers sway-backgrounds ukui-wallpapers)

need() { command -v "$1" >/dev/null || { echo "corpus.sh: $1 is missing ($2)" >&2; exit 1; }; }
need apt-get "Debian's package tool"
need dpkg-deb "Debian's package tool"
need vips "apt-get install libvips-tools"
need vipsheader "apt-get install libvips-tools"

mkdir -p "$corpus"/{debs,pkg,photos,tagged,small,many,scale}

# --- packages ---------------------------------------------------------------------------------
have_pkg() { apt-cache show "$1" >/dev/null 2>&1; }
chosen=()
for p in "${packages[@]}"; do
    if have_pkg "$p"; then
        chosen+=("$p")
        continue
    fi
    echo "corpus.sh: package $p is not in the archive (run apt-get update?)" >&2
    for f in "${fallbacks[@]}"; do
        if have_pkg "$f" && [[ " ${chosen[*]} ${packages[*]} " != *" $f "* ]]; then
            echo "corpus.sh: using $f instead of $p" >&2
            chosen+=("$f")
            break
        fi
    done
done
[ ${#chosen[@]} -gt 0 ] || { echo "corpus.sh: no background package available" >&2; exit 1; }

for p in "${chosen[@]}"; do
    if ! ls "$corpus/debs/${p}"_*.deb >/dev/null 2>&1; then
        # apt-get download writes into the current folder; it warns (harmlessly) when run as root.
        (cd "$corpus/debs" && apt-get download "$p" 2>&1 | grep -v '^W: Download is performed unsandboxed' || true)
    fi
    deb=$(ls "$corpus/debs/${p}"_*.deb 2>/dev/null | head -n1 || true)
    [ -n "$deb" ] || { echo "corpus.sh: could not download $p" >&2; exit 1; }
    if [ ! -e "$corpus/pkg/$p/.done" ]; then
        rm -rf "$corpus/pkg/$p"
        dpkg-deb -x "$deb" "$corpus/pkg/$p"
        touch "$corpus/pkg/$p/.done"
    fi
done

# --- photos: 1–25 megapixels --------------------------------------------------------------------
mp_of() { # prints megapixels of an image, or nothing when vips cannot read it
    local w h
    w=$(vipsheader -f width "$1" 2>/dev/null) || return 0
    h=$(vipsheader -f height "$1" 2>/dev/null) || return 0
    awk -v w="$w" -v h="$h" 'BEGIN { printf "%.2f", w * h / 1e6 }'
}

for p in "${chosen[@]}"; do
    while IFS= read -r -d '' src; do
        mp=$(mp_of "$src")
        [ -n "$mp" ] || continue
        awk -v m="$mp" 'BEGIN { exit !(m >= 1 && m <= 25) }' || continue
        name=$(basename "$src")
        dest="$corpus/photos/$name"
        # Two packages may ship the same name; the second copy gets its folder as a prefix.
        if [ -e "$dest" ] && ! cmp -s "$src" "$dest"; then
            dest="$corpus/photos/$(basename "$(dirname "$src")")-$name"
        fi
        [ -e "$dest" ] || cp "$src" "$dest"
    done < <(find "$corpus/pkg/$p" -type f \( -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.png' -o -iname '*.webp' \) -print0 | sort -z)
done

mapfile -t photos < <(find "$corpus/photos" -maxdepth 1 -type f | sort)
[ ${#photos[@]} -gt 0 ] || { echo "corpus.sh: no photos found in the packages" >&2; exit 1; }

# --- tagged: the JPEG photos as cameras and phones write them ----------------------------------
# Most photographs carry a colour profile, which the packaged wallpapers lack: three in four get
# sRGB, every fourth Adobe RGB, so the colour import runs as it does on a camera's pictures.
icc=/usr/share/color/icc/colord
if [ -e "$icc/sRGB.icc" ] && [ -e "$icc/AdobeRGB1998.icc" ]; then
    i=0
    for f in "${photos[@]}"; do
        case ${f,,} in *.jpg | *.jpeg) ;; *) continue ;; esac
        profile=$icc/sRGB.icc
        ((i++ % 4 == 3)) && profile=$icc/AdobeRGB1998.icc
        dest="$corpus/tagged/$(basename "$f")"
        [ -e "$dest" ] && continue
        vips copy "$f" "$corpus/tagged/.tmp.jpg[Q=92,profile=$profile]"
        mv "$corpus/tagged/.tmp.jpg" "$dest"
    done
else
    echo "corpus.sh: no colord profiles (apt-get install colord-data): tagged/ left empty" >&2
fi

# --- small: assorted sizes and formats ----------------------------------------------------------
sizes=(96 160 240 320 400 480 560 640 800 1024)
formats=(jpg png webp)
for ((i = 0; i < small_count; i++)); do
    src=${photos[i % ${#photos[@]}]}
    size=${sizes[(i * 7) % ${#sizes[@]}]}
    fmt=${formats[i % ${#formats[@]}]}
    stem=$(basename "${src%.*}")
    dest=$(printf '%s/small/s%03d-%s-%d.%s' "$corpus" "$i" "$stem" "$size" "$fmt")
    [ -e "$dest" ] && continue
    tmp="$corpus/small/.tmp-$i.$fmt"
    case $fmt in
        jpg) opts='[Q=85,strip]' ;;
        png) opts='[compression=6,strip]' ;;
        webp) opts='[Q=80,strip]' ;;
    esac
    vips thumbnail "$src" "$tmp$opts" "$size"
    mv "$tmp" "$dest"
done

# --- many: distinct names over the small set (hard links cost no space) -------------------------
mapfile -t smalls < <(find "$corpus/small" -maxdepth 1 -type f ! -name '.*' | sort)
for ((i = 0; i < many_count; i++)); do
    src=${smalls[i % ${#smalls[@]}]}
    ext=${src##*.}
    dest=$(printf '%s/many/m%04d.%s' "$corpus" "$i" "$ext")
    [ -e "$dest" ] || ln "$src" "$dest" 2>/dev/null || cp "$src" "$dest"
done

# --- scale: one photo at 1, 6, 24 and 100 megapixels (4:3) -------------------------------------
# The largest JPEG is the source, so the big sizes are upsampled photographs, not noise.
scale_src=$(for f in "${photos[@]}"; do
    case ${f,,} in *.jpg | *.jpeg) echo "$(mp_of "$f") $f" ;; esac
done | sort -n | tail -n1 | cut -d' ' -f2-)
for mp in 1 6 24 100; do
    dest="$corpus/scale/scale-${mp}mp.jpg"
    [ -e "$dest" ] && continue
    w=$(awk -v m="$mp" 'BEGIN { printf "%d", sqrt(m * 1e6 * 4 / 3) + 0.5 }')
    h=$(awk -v m="$mp" -v w="$w" 'BEGIN { printf "%d", m * 1e6 / w + 0.5 }')
    vips thumbnail "$scale_src" "$corpus/scale/.tmp.jpg[Q=90,strip]" "$w" --height "$h" --size both --crop centre
    mv "$corpus/scale/.tmp.jpg" "$dest"
done

# --- report -------------------------------------------------------------------------------------
summary() { # folder label
    local dir=$1 label=$2
    find "$dir" -maxdepth 1 -type f ! -name '.*' -print0 | sort -z | xargs -0 vipsheader 2>/dev/null |
        awk -v label="$label" '
            { if (match($0, /: [0-9]+x[0-9]+ /)) {
                  split(substr($0, RSTART + 2, RLENGTH - 3), d, "x"); mp = d[1] * d[2] / 1e6
                  n++; if (n == 1 || mp < lo) lo = mp; if (mp > hi) hi = mp
                  f = $0; sub(/: [0-9]+x[0-9]+ .*/, "", f); e = tolower(f); sub(/.*\./, "", e); ext[e]++ } }
            END { kinds = ""; for (e in ext) kinds = kinds sprintf(" %s:%d", e, ext[e])
                  printf "%-8s %5d files, %7.3f – %7.3f megapixels, by extension:%s\n", label, n, lo, hi, kinds }'
}
echo "corpus in $corpus (packages: ${chosen[*]})"
summary "$corpus/photos" photos
summary "$corpus/tagged" tagged
summary "$corpus/small" small
summary "$corpus/many" many
summary "$corpus/scale" scale
