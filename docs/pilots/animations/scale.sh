#!/bin/bash
# scale.sh: pipeline cost (no encoder: the fitted stack is averaged) against frame count.
cd "$(dirname "$0")"; export VIPS_CONCURRENCY=2
for n in 250 1000 4000; do f=big/b${n}_480x270.gif
  for a in "mode=fit approach=thumb" "mode=fit approach=stack" "mode=pad approach=map" "mode=fill approach=map" "mode=attention approach=map"; do
    nice -n 10 /usr/bin/time -f "N=$n 480x270->320x240 $a: %e s %M KB" ./animfit $f avg box=320x240 $a 2>&1 | grep "KB\|rror"
  done
done
for n in 250 500 1000; do f=big/b${n}_480x270.gif
  for a in "mode=fit approach=frames" "mode=pad approach=frames"; do
    nice -n 10 /usr/bin/time -f "N=$n 480x270->320x240 $a: %e s %M KB" ./animfit $f avg box=320x240 $a 2>&1 | grep "KB\|rror"
  done
done
