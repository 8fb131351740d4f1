#!/bin/sh
# Search cost: the search as the product would run it, per picture, against a plain q88 encode (CPU seconds).
# 10 photos into 1280x960, 4 formats, 3-norm <= 0.6 at intensity target 80 nits,
# bisection and prior+interpolation, integer qualities 30..100. Two processes, single-threaded.
cd "$(dirname "$0")"
P=corpus/photos
export VIPS_CONCURRENCY=1
A="$P/Aqua.jpg $P/Blinds.jpg $P/Dune.jpg $P/Elephants.jpg $P/FreshFlower.jpg"
B="$P/GreenMeadow.jpg $P/LadyBird.jpg $P/RainDrops.jpg $P/Storm.jpg $P/Wood.jpg"
( for s in bisect interp; do nice -n 10 ./search -nits 80 -norm p3 -t 0.6 -strategy $s $A | sed "s/^/$s,/"; done ) > data/search_a.csv 2>/dev/null &
( for s in bisect interp; do nice -n 10 ./search -nits 80 -norm p3 -t 0.6 -strategy $s $B | sed "s/^/$s,/"; done ) > data/search_b.csv 2>/dev/null &
wait
