#!/bin/bash
# bench.sh [ROUND]: the 20 corpus GIFs to 320x180 (fit) GIF and WEBP with every tool, two files
# at a time (xargs -P 2), then pad / fill / attention with animfit. Per configuration: wall of
# the whole batch, summed CPU, the largest peak RSS of one process, output bytes.
# Same quality for every tool: GIF 256 colours with dithering (libvips gifsave defaults:
# effort 7, dither 1); WebP lossy Q 75.
cd "$(dirname "$0")"; round=${1:-1}
IM=/usr/bin/convert-im6.q16
files=(corpus/a*.gif)
log=results_bench_r$round.txt; : > $log
run() { # name ext command-template (FILE and OUT substituted)
  local name=$1 ext=$2 tmpl=$3 dir=out/bench_$name; rm -rf $dir; mkdir -p $dir
  local t0=$(date +%s.%N)
  printf '%s\n' "${files[@]}" | xargs -P 2 -I{} sh -c '
    f={}; b=$(basename $f .gif); out='"$dir"'/$b.'"$ext"'
    cmd=$(echo "'"$tmpl"'" | sed "s|FILE|$f|g; s|OUT|$out|g")
    /usr/bin/time -f "%e %U %S %M" -o '"$dir"'/$b.time nice -n 10 sh -c "$cmd" 2>'"$dir"'/$b.err'
  local t1=$(date +%s.%N)
  local cpu=$(cat $dir/*.time | awk '{s+=$2+$3} END {printf "%.1f", s}')
  local peak=$(cat $dir/*.time | awk '{if($4>m)m=$4} END {print m}')
  local bytes=$(cat $dir/*.$ext 2>/dev/null | wc -c)
  local nout=$(ls $dir/*.$ext 2>/dev/null | wc -l)
  local load=$(cut -d' ' -f1 /proc/loadavg)
  printf "%-28s wall %7.1f s  cpu %7.1f s  peak %7d KB  out %3d files %10d bytes  load %s\n" $name $(echo "$t1 - $t0" | bc) $cpu $peak $nout $bytes $load | tee -a $log
}
export VIPS_CONCURRENCY=1   # two processes on two cores, one thread each
run ours_fit_gif   gif  "./animfit FILE OUT mode=fit approach=stack box=320x180"
run vt_gif         gif  "vipsthumbnail 'FILE[n=-1]' -s 320x180 -o OUT"
run gm_gif         gif  "gm convert FILE -coalesce -resize 320x180 OUT"
run ours_fit_webp  webp "./animfit FILE OUT mode=fit approach=stack box=320x180 Q=75"
run vt_webp        webp "vipsthumbnail 'FILE[n=-1]' -s 320x180 -o 'OUT[Q=75]'"
run im_webp        webp "$IM FILE -coalesce -resize 320x180 -quality 75 OUT"
run ours_pad_gif   gif  "./animfit FILE OUT mode=pad approach=map box=320x180"
run ours_fill_gif  gif  "./animfit FILE OUT mode=fill approach=map box=320x180"
run ours_att_gif   gif  "./animfit FILE OUT mode=attention approach=map box=320x180"
run ours_pad_webp  webp "./animfit FILE OUT mode=pad approach=map box=320x180 Q=75"
run ours_fill_webp webp "./animfit FILE OUT mode=fill approach=map box=320x180 Q=75"
unset VIPS_CONCURRENCY
run vt_gif_2thr    gif  "vipsthumbnail 'FILE[n=-1]' -s 320x180 -o OUT"
