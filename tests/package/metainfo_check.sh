#!/usr/bin/env bash
# The AppStream file passes appstreamcli's own validation without remarks, names the desktop
# entry beside it by the same id, offers both programs, and its newest release is this version.
set -euo pipefail
data=$1
version=$2
command -v appstreamcli >/dev/null || { echo "appstreamcli is not installed (make test installs it)"; exit 1; }
fail() { echo "metainfo check: $*"; exit 1; }

files=("$data"/*.metainfo.xml)
[ ${#files[@]} = 1 ] && [ -f "${files[0]}" ] || fail "expected exactly one data/*.metainfo.xml"
metainfo=${files[0]}
id=$(basename "$metainfo" .metainfo.xml)

report=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) || { echo "$report"; fail "not valid"; }
# Pedantic remarks do not fail the validation; they are still worth mending here.
if grep -qE '^[[:space:]]*[EWIP]:' <<<"$report"; then echo "$report"; fail "appstreamcli has remarks"; fi

[ "$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo")" = "$id" ] ||
    fail "the <id> is not the file's name"
[ -f "$data/$id.desktop" ] || fail "no desktop entry named $id.desktop"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "does not launch $id.desktop"
for program in quillmorph quillmorph-cli; do
    grep -q "<binary>$program</binary>" "$metainfo" || fail "does not provide $program"
done
newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n1 | sed 's/.*="//; s/"$//')
[ "$newest" = "$version" ] || fail "newest release is '$newest', the project is $version"
echo "metainfo: $id valid, newest release $newest"
