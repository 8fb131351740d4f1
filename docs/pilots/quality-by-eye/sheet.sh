#!/bin/sh
# A look at the thresholds: one crop of a photo fitted into 1280x960, JPEG at several qualities,
# enlarged 2x (nearest) side by side: q100 | q(3-norm<=0.8) | q(3-norm<=1.1) | q40.
#   sheet.sh photo left top qA qB   (qA, qB from the sweep for that photo)
cd "$(dirname "$0")"
f=$1; l=$2; t=$3; qa=$4; qb=$5
n=$(basename "${f%.*}")
vips thumbnail "$f" sheet/$n-fit.v 1280 --height 960
for q in 100 $qa $qb 40; do
  vips jpegsave sheet/$n-fit.v sheet/$n-q$q.jpg --Q $q --strip
  vips extract_area sheet/$n-q$q.jpg sheet/$n-c$q.v $l $t 300 200
  vips resize sheet/$n-c$q.v sheet/$n-c$q.png 2 --kernel nearest
done
vips arrayjoin "sheet/$n-c100.png sheet/$n-c$qa.png sheet/$n-c$qb.png sheet/$n-c40.png" sheet/$n-sheet.png --across 2 --shim 6
rm -f sheet/*.v
