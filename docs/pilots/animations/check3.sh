#!/bin/bash
# check3.sh: a 3-frame test by hand: frame count, delays, loop and two points per frame.
cd "$(dirname "$0")"; A=../animfit
for ext in gif webp; do for m in fit pad fill attention; do
  case $m in fit) box=150x150;; *) box=200x200;; esac
  a=map; [ $m = fit ] && a=stack
  $A three.gif o_$m.$ext mode=$m box=$box approach=$a bg=128,128,128 strip=1 2>/dev/null
  w=$(vipsheader -f width o_$m.$ext); ph=$(vipsheader -f page-height "o_$m.$ext[n=-1]"); n=$(vipsheader -f n-pages o_$m.$ext)
  line="$ext $m: ${w}x$ph x $n frames, delay [$(vipsheader -f delay o_$m.$ext)] loop $(vipsheader -f loop o_$m.$ext) |"
  vips copy "o_$m.$ext[n=-1]" o.v
  for i in 0 1 2; do
    yl=$(( i*ph + ph/2 )); line="$line f$i L($(vips getpoint o.v $((w/4)) $yl | tr ' ' ','))R($(vips getpoint o.v $((3*w/4)) $yl | tr ' ' ','))"
  done
  [ $m = pad ] && line="$line top-margin($(vips getpoint o.v $((w/2)) 2 | tr ' ' ','))"
  echo "$line"
done; done
