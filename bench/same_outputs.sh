#!/usr/bin/env bash
# Whether two quillmorph-cli builds write the same bytes: every photo of the corpus under each
# setting, converted by both, compared file by file. For changes that must not change outputs.
#
#   bench/same_outputs.sh BEFORE_CLI AFTER_CLI [PHOTOS_DIR...]
#
# Settings: bench/settings.sh. Prints one line per setting and exits 1 on any difference.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 2 ] || { sed -n '2,7p' "$0" >&2; exit 2; }
before=$1 after=$2
shift 2
dirs=("$@")
[ ${#dirs[@]} -gt 0 ] || dirs=("$here/corpus/photos" "$here/corpus/tagged")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# shellcheck source=bench/settings.sh
source "$here/settings.sh"
status=0
for name in "${SETTING_NAMES[@]}"; do
    for dir in "${dirs[@]}"; do
        for which in before after; do
            mkdir -p "$work/$which"
            # shellcheck disable=SC2086
            HOME=$work windir=$work "${!which}" --output-dir "$work/$which" --keep-going \
                ${settings[$name]} "$dir" >/dev/null 2>&1
        done
        a=$(ls -d "$work"/before/pic* | head -n1) b=$(ls -d "$work"/after/pic* | head -n1)
        count=$(find "$a" -type f | wc -l)
        if diff -r "$a" "$b" >/dev/null; then
            echo "$name $(basename "$dir"): $count files, identical"
        else
            echo "$name $(basename "$dir"): DIFFERENT"; diff -rq "$a" "$b" | head -5
            status=1
        fi
        rm -rf "$work/before" "$work/after"
    done
done
exit $status
