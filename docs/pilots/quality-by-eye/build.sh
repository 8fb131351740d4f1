#!/bin/sh
# Builds the pilot's throwaway programs.
set -e
cd "$(dirname "$0")"
for p in sweep apicheck bamem search sample; do
  [ -f $p.cpp ] || continue
  g++ -std=c++20 -O2 -o $p $p.cpp $(pkg-config --cflags --libs vips-cpp libjxl libjxl_threads)
done
