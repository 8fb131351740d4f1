#!/usr/bin/env bash
# One window, many batches, as a user who keeps it open for days meets it: before each batch
# the options are set in the window as a user sets them (format, size conversion on or off,
# width and height, the margin colour through its dialog), then a later quillmorph hands the
# photos to the running window, the completion message is waited for and answered with Enter,
# the outputs are checked (count, format, size, margin colour) and the window's memory and
# descriptors are read. Runs its own X server (Xvfb) with a window manager (openbox), so real
# controls are typed into and a real box is answered.
#
#   bench/window_soak.sh [BATCHES [PHOTO...]]   defaults: 30 batches of bench/corpus/photos
#
# Environment:
#   QUILLMORPH   the window program [build/src/app/quillmorph]
#   PHOTOS [24]  pictures taken from bench/corpus/photos when none are given (bench/corpus.sh)
#   TIMEOUT [300] seconds to wait for one batch's box
# Output: a Markdown table on stdout, one row per batch (options, outputs, whether they were
# what the options asked for, box seen, RSS, descriptors), then the RSS after batch 10 against
# the last and the range of descriptors; exit status 1 when a batch lost outputs, wrote what
# was not asked for or its box never came.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
batches=${1:-30}
shift || true
app=${QUILLMORPH:-$repo/build/src/app/quillmorph}
timeout=${TIMEOUT:-300}

say() { echo "window_soak: $*" >&2; }
die() { say "$*"; exit 2; }
[ -x "$app" ] || die "no quillmorph at $app (build it, or set QUILLMORPH)"
for tool in Xvfb openbox xdotool vipsheader vips; do
    command -v $tool >/dev/null || die "$tool is missing (apt-get install xvfb openbox xdotool libvips-tools)"
done

photos=("$@")
if [ ${#photos[@]} -eq 0 ]; then
    mapfile -t photos < <(find "$here/corpus/photos" -maxdepth 1 -type f | sort | head -n "${PHOTOS:-24}")
    [ ${#photos[@]} -gt 0 ] || die "no photos given and none in bench/corpus/photos (run bench/corpus.sh)"
fi
count=${#photos[@]}
# The picture whose output is measured, and its own size.
probe=$(basename "${photos[0]}")
probe=${probe%.*}
probe_size="$(vipsheader -f width "${photos[0]}")x$(vipsheader -f height "${photos[0]}")"

# Ten option sets, in turn, so that batch 10 and batch 200 ran the same one. A box far wider or
# taller than any photo leaves a margin at the middle of its left or top edge.
formats=(JPEG PNG WEBP GIF TIFF BMP PSD CMP RAS JPEG)
extensions=(jpg png webp gif tif bmp psd cmp ras jpg)
boxes=(- 200x50 - 60x240 - 320x40 - 100x400 240x60 -)
colours=(- ff8000 - 0000ff - 00c000 - ff00ff ffffff -)

work=$(mktemp -d)
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime windir=$work/windir
mkdir -p "$HOME/Desktop" "$XDG_RUNTIME_DIR" "$windir"
chmod 700 "$XDG_RUNTIME_DIR"
display=:$((90 + RANDOM % 500))
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)
LANGUAGE=ja "$app" >/dev/null 2>&1 &
window=$!
pids+=($window)

main=""
for _ in $(seq 100); do
    main=$(xdotool search --onlyvisible --name '縮小マシン' 2>/dev/null | head -1 || true)
    [ -n "$main" ] && break
    sleep 0.1
done
[ -n "$main" ] || die "the window never showed"
sleep 1

box() { xdotool search --onlyvisible --name '^quillmorph$' 2>/dev/null | head -1 || true; }
folders() { find "$HOME/Desktop" -mindepth 1 -maxdepth 1 -type d | sort; }

# Where the controls are, in the window's own pixels (its layout is fixed).
click() { xdotool windowactivate --sync "$main" 2>/dev/null || true; xdotool mousemove --window "$main" "$1" "$2" click 1; sleep 0.2; }
type_into() { click "$1" "$2"; xdotool key ctrl+a; xdotool type --delay 20 "$3"; sleep 0.2; }
set_format() { type_into 84 96 "$1"; }
set_box() { type_into 84 32 "${1%x*}"; type_into 84 54 "${1#*x}"; }
toggle_size() { click 25 11; }
# The colour dialog's HTML box is Alt+H in Qt's own texts, Japanese as English.
set_colour() {
    click 216 34
    local dialog=""
    for _ in $(seq 50); do
        dialog=$(xdotool search --onlyvisible --pid "$window" 2>/dev/null | grep -v "^$main\$" | head -1 || true)
        [ -n "$dialog" ] && break
        sleep 0.1
    done
    [ -n "$dialog" ] || return 1
    xdotool windowactivate --sync "$dialog" 2>/dev/null || true
    xdotool key alt+h ctrl+a
    xdotool type --delay 20 "#$1"
    sleep 0.2
    xdotool key Return
    for _ in $(seq 50); do xdotool search --onlyvisible --pid "$window" 2>/dev/null | grep -qv "^$main\$" || return 0; sleep 0.1; done
    return 1
}

# Whether a batch's folder holds what the options asked for: every output in the format's
# extension, the probe's output at the box size (or its own), the margin in the colour.
check() {
    local folder=$1 ext=$2 box=$3 colour=$4
    [ "$(find "$folder" -type f -name "*.$ext" | wc -l)" -eq "$count" ] || { echo "format"; return; }
    local out=$folder/$probe.$ext
    local size
    size="$(vipsheader -f width "$out" 2>/dev/null)x$(vipsheader -f height "$out" 2>/dev/null)"
    if [ "$box" = - ]; then
        [ "$size" = "$probe_size" ] || { echo "size $size"; return; }
        echo yes
        return
    fi
    [ "$size" = "$box" ] || { echo "size $size"; return; }
    local w=${box%x*} h=${box#*x} x y
    if [ "$w" -gt "$h" ]; then x=0; y=$((h / 2)); else x=$((w / 2)); y=0; fi
    local got want=($((16#${colour:0:2})) $((16#${colour:2:2})) $((16#${colour:4:2})))
    read -r -a got <<<"$(vips getpoint "$out" "$x" "$y" 2>/dev/null)"
    for i in 0 1 2; do
        local d=$(( ${got[$i]%.*} - want[i] ))
        [ "${d#-}" -le 12 ] || { echo "colour ${got[*]}"; return; }
    done
    echo yes
}

echo "| batch | format | box | margin | outputs | as asked | box seen | RSS MB | descriptors |"
echo "|---:|:---|:---|:---|---:|:---:|:---:|---:|---:|"
failed=0
size_on=0 # the window starts from no settings file: size conversion off
colour_now=ffffff
rss10=""
fds_seen=()
for k in $(seq 1 "$batches"); do
    c=$(( (k - 1) % 10 ))
    format=${formats[$c]} ext=${extensions[$c]} want_box=${boxes[$c]} colour=${colours[$c]}
    set_format "$format"
    if [ "$want_box" = - ]; then
        [ "$size_on" -eq 0 ] || { toggle_size; size_on=0; }
    else
        [ "$size_on" -eq 1 ] || { toggle_size; size_on=1; }
        set_box "$want_box"
        if [ "$colour" != "$colour_now" ]; then
            set_colour "$colour" || say "batch $k: the colour dialog did not come or go"
            colour_now=$colour
        fi
    fi

    known=$(folders)
    LANGUAGE=ja "$app" "${photos[@]}"
    # This batch's box: its new folder complete and a box on screen.
    seen=no
    folder=""
    for _ in $(seq $((timeout * 10))); do
        folder=$(comm -13 <(echo "$known") <(folders) | head -1)
        if [ -n "$folder" ] && [ "$(find "$folder" -type f | wc -l)" -eq "$count" ] && [ -n "$(box)" ]; then
            seen=yes
            break
        fi
        sleep 0.1
    done
    outputs=$( [ -n "$folder" ] && find "$folder" -type f | wc -l || echo 0)
    if [ "$seen" = yes ]; then
        w=$(box)
        xdotool windowactivate --sync "$w" 2>/dev/null || true
        sleep 0.2
        # Not `key --window`: aimed at a box that closes on the press, xdotool dies before the
        # release and leaves Return held down in the server, repeating into every later box.
        xdotool key Return
        for _ in $(seq 100); do [ -z "$(box)" ] && break; sleep 0.1; done
    else
        failed=1
    fi
    [ "$outputs" -eq "$count" ] || failed=1
    asked=$( [ -n "$folder" ] && check "$folder" "$ext" "$want_box" "$colour" || echo "no folder")
    [ "$asked" = yes ] || failed=1
    # The outputs have been checked; a soak of days would fill the disk.
    [ -z "$folder" ] || find "$folder" -type f -delete
    rss=$(awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$window/status")
    fds=$(ls "/proc/$window/fd" | wc -l)
    [ "$k" -ne 10 ] || rss10=$rss
    fds_seen+=("$fds")
    margin=$( [ "$want_box" = - ] && echo - || echo "#$colour")
    echo "| $k | $format | $want_box | $margin | $outputs | $asked | $seen | $rss | $fds |"
    sleep 1
done
echo
if [ -n "$rss10" ]; then
    awk -v a="$rss10" -v b="$rss" -v n="$batches" \
        'BEGIN { printf "RSS after batch 10: %.1f MB; after batch %d: %.1f MB (%+.1f %%)\n", a, n, b, (b - a) * 100 / a }'
fi
sorted=$(printf '%s\n' "${fds_seen[@]}" | sort -n)
echo "descriptors after each batch: $(head -1 <<<"$sorted")–$(tail -1 <<<"$sorted")"
exit $failed
