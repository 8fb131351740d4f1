#!/bin/sh
# cmpframes.sh X.gif : compares every frame libvips loads (n=-1) with ImageMagick's -coalesce.
# Prints frames that differ and the count of differing pixels (RGBA; fully transparent pixels
# compared as transparent regardless of their colour).
set -e
f=$1; d=$(mktemp -d); IM=/usr/bin/convert-im6.q16
n=$(vipsheader -f n-pages "$f"); h=$(vipsheader -f height "$f"); w=$(vipsheader -f width "$f")
vips copy "$f[n=-1]" $d/stack.v
$IM "$f" -coalesce -alpha on PNG32:$d/im%d.png
bad=0
i=0; while [ $i -lt $n ]; do
  vips crop $d/stack.v $d/v.png 0 $((i*h)) $w $h
  # premultiply-like: compare colour only where alpha>0
  ae=$($IM $d/v.png -alpha on \( +clone -alpha extract \) -compose Multiply -composite $d/v2.png 2>/dev/null; \
       $IM $d/im$i.png -alpha on \( +clone -alpha extract \) -compose Multiply -composite $d/i2.png; \
       compare -metric AE $d/v2.png $d/i2.png null: 2>&1 || true)
  aa=$($IM $d/v.png -alpha extract $d/va.png; $IM $d/im$i.png -alpha extract $d/ia.png; compare -metric AE $d/va.png $d/ia.png null: 2>&1 || true)
  if [ "$ae" != "0" ] || [ "$aa" != "0" ]; then echo "  frame $i: colour AE=$ae alpha AE=$aa"; bad=$((bad+1)); fi
  i=$((i+1))
done
echo "$f: $n frames, $bad differ"
rm -rf $d
