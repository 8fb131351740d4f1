#!/bin/sh
# Experiment: JPEG and AVIF without chroma subsampling below q90 (subsample_mode=off), same 10 photos.
cd "$(dirname "$0")"
P=corpus/photos
VIPS_CONCURRENCY=1 nice -n 10 ./sweep2 -formats jpeg444,avif444 -qs 60:88:2 \
  $P/Aqua.jpg $P/Blinds.jpg $P/Dune.jpg $P/Elephants.jpg $P/FreshFlower.jpg \
  $P/GreenMeadow.jpg $P/LadyBird.jpg $P/RainDrops.jpg $P/Storm.jpg $P/Wood.jpg > data/sweep_444.csv 2>/dev/null
