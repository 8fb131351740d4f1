#!/usr/bin/env bash
# Tiny animated WebPs that libvips unpacks, every frame at canvas size, into the temporary
# folder: 20 frames of 1 x 1 on 4000 x 4000 (1 KB) and 500 on 16383 x 16383 (25 KB). Each is
# converted with TMPDIR on a small tmpfs of its own, recording the exit status, the seconds, the
# most the tmpfs held while it ran (sampled every 20 ms), what was left in it after, and the
# first line written to standard error; for the tool measured and, given QUILLMORPH_BASELINE,
# another build beside it (before and after).
#
#   sudo bench/temp_disk.sh            # a Markdown table on standard output
#
# Environment: QUILLMORPH_CLI [build/src/cli/quillmorph-cli], QUILLMORPH_BASELINE [none],
# TMPFS_SIZE [256m]. Needs root (mount). Under a minute.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cli=${QUILLMORPH_CLI:-$here/../build/src/cli/quillmorph-cli}
baseline=${QUILLMORPH_BASELINE:-}
size=${TMPFS_SIZE:-256m}
[ -x "$cli" ] || { echo "temp_disk.sh: no quillmorph-cli at $cli" >&2; exit 1; }
[ "$(id -u)" = 0 ] || { echo "temp_disk.sh: run as root, to mount a tmpfs" >&2; exit 1; }

work=$(mktemp -d)
small=$work/tmp
mkdir "$small"
trap 'umount "$small" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"

le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
le24() { le16 $(($1 & 65535)); printf "\\x$(printf %02x $((($1 >> 16) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }
# side frames file: an animated WebP of frames single grey pixels on a side x side canvas.
webp_bomb() {
    local frame=50 # ANMF header 8 + 16 + the VP8L chunk of one pixel, 26
    { printf 'RIFF'; le32 $((4 + 18 + 14 + frame * $2)); printf 'WEBPVP8X'; le32 10
      printf '\x02\x00\x00\x00'; le24 $(($1 - 1)); le24 $(($1 - 1))
      printf 'ANIM'; le32 6; printf '\xff\xff\xff\xff\x00\x00'
      for ((i = 0; i < $2; i++)); do
          printf 'ANMF'; le32 42; printf '\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
          le24 100; printf '\x00'
          printf 'VP8L\x11\x00\x00\x00\x2f\x00\x00\x00\x00\x07\x50\xe4\x22\x17\xb9\xff\x81\x88\xe8\x7f\x00\x00'
      done; } > "$3"
}
webp_bomb 4000 20 bomb-1k.webp
webp_bomb 16383 500 bomb-25k.webp

# tool file arguments…: "status | seconds | tmpfs peak MB | left in tmpfs | first error line".
measure() {
    local tool=$1 file=$2
    shift 2
    mount -t tmpfs -o "size=$size" tmpfs "$small" || exit 1
    rm -rf out && mkdir out
    local start=$EPOCHREALTIME
    TMPDIR=$small "$tool" --output-dir out --keep-going "$@" "$file" > /dev/null 2> err.txt &
    local pid=$! peak=0 used
    while kill -0 "$pid" 2>/dev/null; do
        used=$(df -B1 --output=used "$small" | tail -n 1)
        ((used > peak)) && peak=$used
        sleep 0.02
    done
    wait "$pid"
    local status=$? end=$EPOCHREALTIME
    local left
    left=$(find "$small" -mindepth 1 | wc -l)
    umount "$small"
    printf '%s | %.1f | %d | %s | %s' "$status" "$(echo "$end - $start" | bc)" \
        $((peak / 1048576)) "$left" "$(head -n 1 err.txt)"
}

echo "tmpfs of $size as TMPDIR; $(date -u '+%Y-%m-%d %H:%M UTC')"
echo
if [ -n "$baseline" ]; then
    echo "| file | conversion | before: status, s, tmpfs peak MB, left, error | after: the same |"
    echo "|---|---|---|---|"
else
    echo "| file | conversion | status | s | tmpfs peak MB | entries left | first error line |"
    echo "|---|---|---|---|---|---|---|"
fi
for file in bomb-1k.webp bomb-25k.webp; do
    for conversion in "--format WEBP --no-size" "--format GIF --no-size" \
        "--format WEBP --size 600x450" "--format JPEG --no-size"; do
        # shellcheck disable=SC2086 # the conversion's words are separate arguments
        after=$(measure "$cli" "$file" $conversion)
        if [ -n "$baseline" ]; then
            # shellcheck disable=SC2086
            before=$(measure "$baseline" "$file" $conversion)
            echo "| $file ($(stat -c %s "$file") B) | \`$conversion\` | ${before//|/,} | ${after//|/,} |"
        else
            echo "| $file ($(stat -c %s "$file") B) | \`$conversion\` | $after |"
        fi
    done
done
