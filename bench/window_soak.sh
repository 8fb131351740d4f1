#!/usr/bin/env bash
# One window, many batches, as a user who gives files through "Open with" meets it: N times a
# later quillmorph hands the same photos to the running window, the completion message is
# waited for and answered with Enter, and the window's memory and descriptors are read.
# Runs its own X server (Xvfb) with a window manager (openbox), so a real box is answered.
#
#   bench/window_soak.sh [BATCHES [PHOTO...]]   defaults: 30 batches of bench/corpus/photos
#
# Environment:
#   QUILLMORPH   the window program [build/src/app/quillmorph]
#   PHOTOS [24]  photos taken from bench/corpus/photos when none are given (bench/corpus.sh)
#   TIMEOUT [120] seconds to wait for one batch's box
# Output: a Markdown table on stdout, one row per batch (outputs, box seen, RSS, descriptors);
# exit status 1 when a batch lost outputs or its box never came.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
batches=${1:-30}
shift || true
app=${QUILLMORPH:-$repo/build/src/app/quillmorph}
timeout=${TIMEOUT:-120}

say() { echo "window_soak: $*" >&2; }
die() { say "$*"; exit 2; }
[ -x "$app" ] || die "no quillmorph at $app (build it, or set QUILLMORPH)"
for tool in Xvfb openbox xdotool; do
    command -v $tool >/dev/null || die "$tool is missing (apt-get install xvfb openbox xdotool)"
done

photos=("$@")
if [ ${#photos[@]} -eq 0 ]; then
    mapfile -t photos < <(ls -1 "$here"/corpus/photos/*.jpg 2>/dev/null | head -n "${PHOTOS:-24}")
    [ ${#photos[@]} -gt 0 ] || die "no photos given and none in bench/corpus/photos (run bench/corpus.sh)"
fi
count=${#photos[@]}

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
sleep 2

box() { xdotool search --onlyvisible --name '^quillmorph$' 2>/dev/null | head -1 || true; }
folders() { find "$HOME/Desktop" -mindepth 1 -maxdepth 1 -type d | sort; }

echo "| batch | outputs | box | RSS MB | descriptors |"
echo "|---:|---:|:---:|---:|---:|"
failed=0
for k in $(seq 1 "$batches"); do
    LANGUAGE=ja "$app" "${photos[@]}"
    # This batch's box: the k-th folder complete and a box on screen.
    seen=no
    for _ in $(seq $((timeout * 10))); do
        folder=$(folders | sed -n "${k}p")
        if [ -n "$folder" ] && [ "$(find "$folder" -type f | wc -l)" -eq "$count" ] && [ -n "$(box)" ]; then
            seen=yes
            break
        fi
        sleep 0.1
    done
    outputs=$( [ -n "${folder:-}" ] && find "$folder" -type f | wc -l || echo 0)
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
    rss=$(awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$window/status")
    fds=$(ls "/proc/$window/fd" | wc -l)
    echo "| $k | $outputs | $seen | $rss | $fds |"
    sleep 1
done
exit $failed
