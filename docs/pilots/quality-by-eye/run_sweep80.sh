#!/bin/sh
# As run_sweep.sh, with the metric's intensity target at 80 nits (butteraugli_main's and benchmark_xl's
# SDR default; the C API's default in libjxl 0.7 is 255).
cd "$(dirname "$0")"
P=corpus/photos
export VIPS_CONCURRENCY=1
nice -n 10 ./sweep3 -nits 80 -qs 30:80:2,81:100:1 $P/Aqua.jpg $P/Blinds.jpg $P/Dune.jpg $P/Elephants.jpg $P/FreshFlower.jpg > data/sweep80_a.csv 2>/dev/null &
nice -n 10 ./sweep3 -nits 80 -qs 30:80:2,81:100:1 $P/GreenMeadow.jpg $P/LadyBird.jpg $P/RainDrops.jpg $P/Storm.jpg $P/Wood.jpg > data/sweep80_b.csv 2>/dev/null &
wait
