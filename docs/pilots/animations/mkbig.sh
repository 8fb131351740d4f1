#!/bin/bash
# mkbig.sh OUT W H N PHOTO : a GIF whose first frame is a photo and whose N-1 later frames are
# 48x48 patches (gifsicle, disposal none) at moving positions, 40 ms each, looping forever.
# Tiny file, huge decoded size: the memory tests' animations.
set -e
out=$1; W=$2; H=$3; N=$4; photo=$5
d=$(dirname "$0")/big
vips thumbnail "$photo" $d/base_${W}x${H}.v $W --height $H --crop centre
vips gifsave $d/base_${W}x${H}.v $d/base_${W}x${H}.gif --effort 1
args=(--loopcount=forever -d 4 $d/base_${W}x${H}.gif)
for ((i=1; i<N; i++)); do
  x=$(( (i * 37) % (W - 48) )); y=$(( (i * 53) % (H - 48) ))
  args+=(-d 4 -p $x,$y $d/p$((i % 16)).gif)
done
gifsicle "${args[@]}" -o "$out" 2>/dev/null
echo "$out: $(stat -c %s $out) bytes, $(gifsicle --info $out | head -1)"
