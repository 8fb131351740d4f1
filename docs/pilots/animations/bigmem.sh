#!/bin/bash
# bigmem.sh: peak memory and time of the huge animations, encoder included.
cd "$(dirname "$0")"; export VIPS_CONCURRENCY=2; mkdir -p out
run() { local f=$1 o=$2; shift 2; nice -n 10 /usr/bin/time -f "$(basename $f) -> $o $*: %e s %M KB" ./animfit $f out/$o "$@" 2>&1 | grep "KB\|rror"; }
f=big/b500_4000x4000.gif
run $f big.v mode=fit approach=thumb box=320x180
run $f big.v mode=fit approach=stack box=320x180
run $f big.gif mode=fit approach=stack box=320x180 effort=7
run $f big.webp mode=fit approach=stack box=320x180 Q=75
run $f big.gif mode=pad approach=map box=320x180
run $f big.gif mode=attention approach=map box=320x180
run $f big.v mode=fit approach=stack box=320x180 memory=1
run $f big.gif mode=own approach=stack effort=1
f=big/b10000_640x360.gif
run $f big.gif mode=fit approach=stack box=320x180 effort=7
run $f big.webp mode=fit approach=stack box=320x180 Q=75
run $f big.gif mode=pad approach=map box=320x240 effort=7
