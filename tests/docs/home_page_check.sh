#!/usr/bin/env bash
# Renders the home page in headless Chromium and fails when it is broken: not parsed into the
# expected sections, a local resource missing, the version stale, or nothing drawn.
set -euo pipefail
page=$1
version=$2
command -v chromium >/dev/null || { echo "chromium is not installed (make test installs it)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
flags=(--headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking
       --disable-component-update --disable-sync --user-data-dir="$work/profile" --lang=ja)
url="file://$(realpath "$page")"

timeout 120 chromium "${flags[@]}" --dump-dom "$url" > "$work/dom.html" 2> "$work/dom.log"
timeout 120 chromium "${flags[@]}" --window-size=1000,2400 --screenshot="$work/page.png" "$url" \
    > /dev/null 2> "$work/shot.log"

fail() { echo "home page check: $*"; exit 1; }
dom="$work/dom.html"
for id in ja en codes-ja codes-en version; do
    grep -q "id=\"$id\"" "$dom" || fail "element #$id missing after rendering"
done
for text in "quillmorph（縮小マシン）" "使い方" "How to use it" "画像形式が不正です。" "ファイルを変換終了しました"; do
    grep -qF "$text" "$dom" || fail "text '$text' missing"
done
rows=$(sed -n '/id="codes-ja"/,/<\/table>/p' "$dom" | grep -c '<tr>')
[ "$rows" -eq 19 ] || fail "the Japanese error table has $rows rows, expected 19"
rows=$(sed -n '/id="codes-en"/,/<\/table>/p' "$dom" | grep -c '<tr>')
[ "$rows" -eq 19 ] || fail "the English error table has $rows rows, expected 19"
grep -q "<span id=\"version\">$version</span>" "$dom" || fail "version on the page is not $version"
! grep -qi '<script' "$page" || fail "the page must read without scripts"
for src in $(grep -o 'src="[^"]*"' "$page" | sed 's/src="//; s/"$//'); do
    [ -f "$(dirname "$page")/$src" ] || fail "missing resource $src"
done
for anchor in $(grep -o 'href="#[^"]*"' "$page" | sed 's/href="#//; s/"$//'); do
    grep -q "id=\"$anchor\"" "$page" || fail "link to #$anchor goes nowhere"
done
[ -s "$work/page.png" ] || fail "no screenshot was rendered"
spread=$(vips deviate "$work/page.png")
awk -v s="$spread" 'BEGIN { exit !(s > 5) }' || fail "the rendered page is blank (deviation $spread)"
echo "home page renders: $(wc -c < "$dom") bytes of DOM, pixel deviation $spread"
