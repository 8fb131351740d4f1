# The settings bench/same_outputs.sh and bench/windows_outputs.sh convert the corpus with:
# a 600×450 JPEG q100 (the window's defaults), b 1280×960 JPEG q88, c own size PNG, d own size
# JPEG q100, then b in every other format, in the fit and fill (attention) modes, by percent,
# one side and never enlarged, held to 115 KB, by eye (alone and with the limit), and photo
# information kept. Sourced; SETTING_NAMES is their order.
# shellcheck disable=SC2034
declare -A settings=(
    [a]="--size 600x450 --format JPEG --quality 100"
    [b]="--size 1280x960 --format JPEG --quality 88"
    [c]="--no-size --format PNG"
    [d]="--no-size --format JPEG --quality 100"
    [b-cmp]="--size 1280x960 --format CMP --quality 88"
    [b-webp]="--size 1280x960 --format WEBP --quality 88"
    [b-fit]="--size 1280x960 --format JPEG --quality 88 --mode fit"
    [b-fill]="--size 1280x960 --format JPEG --quality 88 --mode fill --crop attention"
    [b-max]="--size 1280x960 --format JPEG --quality 88 --max-size 115K"
    [b-exif]="--size 1280x960 --format JPEG --quality 88 --keep-metadata --keep-dates"
    [b-bmp]="--size 1280x960 --format BMP"
    [b-png]="--size 1280x960 --format PNG"
    [b-gif]="--size 1280x960 --format GIF"
    [b-psd]="--size 1280x960 --format PSD"
    [b-pct]="--size 1280x960 --format PCT"
    [b-ras]="--size 1280x960 --format RAS"
    [b-tiff]="--size 1280x960 --format TIFF"
    [b-avif]="--size 1280x960 --format AVIF --quality 88"
    [b-jxl]="--size 1280x960 --format JXL --quality 88"
    [b-png-max]="--size 1280x960 --format PNG --max-size 300K"
    [pct50]="--size 50% --format JPEG --quality 88 --max-size 115K"
    [side]="--size 800x* --format WEBP --quality 88 --no-enlarge"
    [b-eye]="--size 1280x960 --format JPEG --quality auto"
    [b-eye-webp]="--size 1280x960 --format WEBP --quality auto --max-size 115K"
)
SETTING_NAMES=(a b c d b-cmp b-webp b-fit b-fill b-max b-exif b-bmp b-png b-gif b-psd b-pct b-ras
    b-tiff b-avif b-jxl b-png-max pct50 side b-eye b-eye-webp)
