#!/bin/bash
# corpus.sh: 20 animated GIFs for the pilot bench (60-200 frames, 480x270 .. 1280x720).
# Kinds (mkanim): pan (video-like), sprite (screen-recording-like partial frames), alpha
# (transparency), flat (cartoon). Some re-optimised by ImageMagick -layers optimize (disposal
# previous/background partial frames) or gifsicle -O2.
set -e
cd "$(dirname "$0")"; mkdir -p corpus
IM=/usr/bin/convert-im6.q16
sizes=(480x270 640x360 800x450 960x540 1280x720)
kinds=(pan sprite alpha flat)
photos=(Elephants.jpg Garden.jpg Storm.jpg LadyBird.jpg Dune.jpg GreenMeadow.jpg Wood.jpg RainDrops.jpg TwoWings.jpg YellowFlower.jpg)
for i in $(seq 0 19); do
  s=${sizes[$((i % 5))]}; w=${s%x*}; h=${s#*x}
  k=${kinds[$(( (i / 5 + i) % 4 ))]}
  n=$(( 60 + (i * 37) % 141 ))
  p=/work/main/bench/corpus/photos/${photos[$((i % 10))]}
  f=$(printf "corpus/a%02d_%s_%s_%d.gif" $i $k $s $n)
  [ -e "$f" ] && continue
  nice -n 10 ./mkanim "$f.tmp.gif" $w $h $n $k $i $p
  case $i in
    2|7) nice -n 10 $IM "$f.tmp.gif" -coalesce -layers optimize "$f.tmp2.gif" && mv "$f.tmp2.gif" "$f.tmp.gif" ;;  # IM disposal-based
    4|9|14) nice -n 10 gifsicle -O2 "$f.tmp.gif" -o "$f.tmp2.gif" 2>/dev/null && mv "$f.tmp2.gif" "$f.tmp.gif" ;;
  esac
  mv "$f.tmp.gif" "$f"
  echo "$f $(stat -c %s $f) bytes; $(gifsicle --info $f | grep -o 'disposal [a-z]*' | sort | uniq -c | tr -s ' ' | tr '\n' ';') $(gifsicle --info $f | grep -c 'transparent') frames with transparent index"
done
