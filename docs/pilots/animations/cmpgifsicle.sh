#!/bin/sh
# cmpgifsicle.sh X.gif : frames libvips loads (n=-1) against gifsicle --unoptimize's composited
# frames (whole frames, loaded by libvips). Exact comparison, RGBA.
f=$1; d=$(mktemp -d)
gifsicle -U "$f" -o $d/u.gif 2>/dev/null
echo "disposals: $(gifsicle --info $f | grep -o 'disposal [a-z]*' | sort | uniq -c | tr -s ' ' | tr '\n' ';')"
"$(dirname "$0")"/framediff "$f" $d/u.gif 0 | tail -1
rm -rf $d
