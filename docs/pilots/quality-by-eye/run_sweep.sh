#!/bin/sh
# The main sweep: 10 photos fitted into 1280x960, JPEG/WEBP/AVIF/JXL at q 30..80 step 2 and 81..100 step 1.
# Two processes (5 photos each), each single-threaded (VIPS_CONCURRENCY=1, metric without runner), niced.
cd "$(dirname "$0")"
P=corpus/photos
export VIPS_CONCURRENCY=1
nice -n 10 ./sweep -qs 30:80:2,81:100:1 $P/Aqua.jpg $P/Blinds.jpg $P/Dune.jpg $P/Elephants.jpg $P/FreshFlower.jpg > data/sweep_a.csv 2> data/sweep_a.err &
nice -n 10 ./sweep -qs 30:80:2,81:100:1 $P/GreenMeadow.jpg $P/LadyBird.jpg $P/RainDrops.jpg $P/Storm.jpg $P/Wood.jpg > data/sweep_b.csv 2> data/sweep_b.err &
wait
