#!/bin/bash
# sizes.sh: what each encoder knob does to an animation's bytes, encode time and error, for the
# file-size limit. Fit to 320x180; the fitted frames are made once (.v) and encoded from there.
# Error: mean absolute error (0-255) against the unquantised fitted frames, flattened on white.
cd "$(dirname "$0")"; export VIPS_CONCURRENCY=1; mkdir -p out/sizes; log=results_sizes.txt; : > $log
for f in corpus/a14_pan_1280x720_155.gif corpus/a11_sprite_640x360_185.gif corpus/a09_alpha_1280x720_111.gif; do
  b=$(basename $f .gif); ref=out/sizes/$b.v
  ./animfit $f $ref mode=fit approach=stack box=320x180 2>/dev/null
  echo "== $b (fitted 320x180, $(vipsheader -f n-pages $ref 2>/dev/null || echo ?) frames)" | tee -a $log
  enc() { # label ext vips-save-options
    local o=out/sizes/$b.$1.$2
    local t=$( { /usr/bin/time -f "%e" vips copy $ref "$o[$3]" ; } 2>&1 | tail -1)
    local e=$(QUIET=1 ./framediff $ref $o 0 255,255,255 2>/dev/null | grep -o "mean MAE [0-9.]*")
    printf "%-34s %10d bytes  %6.2f s  %s\n" "$2 $1" $(stat -c %s $o) $t "$e" | tee -a $log
  }
  enc default gif ""
  for e in 1 4 10; do enc effort$e gif "effort=$e"; done
  for d in 0 0.5; do enc dither$d gif "dither=$d"; done
  for bd in 7 6 5 4; do enc bitdepth$bd gif "bitdepth=$bd"; done
  for ie in 2 4 8 16 32; do enc interframe$ie gif "interframe-maxerror=$ie"; done
  enc interpalette256 gif "interpalette-maxerror=256"
  enc interpalette40 gif "interpalette-maxerror=40"
  enc "bitdepth6,interframe8,dither0.5" gif "bitdepth=6,interframe-maxerror=8,dither=0.5"
  enc "bitdepth4,interframe16,dither0" gif "bitdepth=4,interframe-maxerror=16,dither=0"
  for q in 90 75 50 25 5; do enc Q$q webp "Q=$q"; done
  enc lossless webp "lossless=true"
  enc "Q75,min-size" webp "Q=75,min-size=true"
  enc "Q75,effort0" webp "Q=75,effort=0"
  enc "Q75,effort6" webp "Q=75,effort=6"
  enc "Q75,kmin4,kmax8" webp "Q=75,kmin=4,kmax=8"
  enc "Q75,mixed" webp "Q=75,mixed=true"
done
