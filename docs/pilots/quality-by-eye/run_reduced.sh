#!/bin/sh
# Reduced-size evaluation: pictures kept at their own size (2560 wide), JPEG, evaluated at full size and on copies reduced
# to 1920 and 1280 on the longer side (the same libvips resize for reference and decoded candidate).
# Intensity target 80 nits. Two processes, single-threaded.
cd "$(dirname "$0")"
P=corpus/photos
export VIPS_CONCURRENCY=1
Q=60:85:5,88:90:1,92:100:2
nice -n 10 ./sweep4 -nits 80 -box 2560x1920 -evalmax 1280,1920 -formats jpeg -qs $Q $P/Wood.jpg $P/Aqua.jpg > data/reduced_a.csv 2>/dev/null &
nice -n 10 ./sweep4 -nits 80 -box 2560x1920 -evalmax 1280,1920 -formats jpeg -qs $Q $P/LadyBird.jpg $P/Garden.jpg > data/reduced_b.csv 2>/dev/null &
wait
