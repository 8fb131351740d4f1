#!/usr/bin/env bash
# Each manual page renders without a warning from man, has the sections a reader looks for,
# and documents every option its program's --help lists (help2man read the help text whole).
# A page under ja/man1 is Japanese: its sections have help2man's Japanese names, its options
# come from the Japanese --help, and, as lintian does for Japanese pages, groff's complaints
# about lines it cannot break or adjust (it breaks Japanese text poorly) are let pass.
# Arguments: pairs of page and program.
set -euo pipefail
command -v man >/dev/null || { echo "man is not installed (make test installs man-db)"; exit 1; }
fail() { echo "man page check: $*"; exit 1; }
# Under a plain C locale man would render the Japanese pages as ASCII.
export LC_ALL=C.UTF-8
unset LANGUAGE LANG

while [ $# -ge 2 ]; do
    page=$1 program=$2
    shift 2
    [ -f "$page" ] || fail "$page was not written"
    if [[ "$page" == */ja/man1/* ]]; then
        language=ja
        sections=(名前 書式 説明 オプション 終了ステータス 環境変数 ファイル 例)
        unbreakable="warning \[.*\]: (cannot adjust|can't break) line"
    else
        language=en
        sections=(NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" ENVIRONMENT FILES EXAMPLES)
        unbreakable='^$'
    fi
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null | grep -Ev "$unbreakable" || true)
    [ -z "$warnings" ] || { echo "$warnings"; fail "$(basename "$page") ($language) renders with warnings"; }

    text=$(MANWIDTH=80 man -l "$page" 2>/dev/null | col -bx)
    for section in "${sections[@]}"; do
        grep -q "^$section\$" <<<"$text" || fail "$(basename "$page") ($language) has no $section section"
    done
    for variable in windir XDG_CONFIG_HOME XDG_DESKTOP_DIR LANGUAGE; do
        grep -q "$variable" <<<"$text" || fail "$(basename "$page") does not mention $variable"
    done
    options=$(LANGUAGE=$language "$program" --help | grep -oE '(^|[[:space:][])--[a-z][a-z-]*' | tr -d ' [' | sort -u)
    [ -n "$options" ] || fail "$program --help lists no options"
    for option in $options; do
        grep -qe "$option" <<<"$text" || fail "$(basename "$page") does not document $option"
    done
    # The page is in its language: the help's own words for --version are in it.
    says=$(LANGUAGE=$language "$program" --help | sed -n 's/^ *--version  *//p')
    grep -qF "$says" <<<"$text" || fail "$(basename "$page") ($language) lacks the help's \"$says\""
    version=$("$program" --version | head -n1 | awk '{ print $NF }')
    [[ "$(tail -n1 <<<"$text")" == *" $version "* ]] || fail "$(basename "$page") is not from version $version"
    echo "$(basename "$page") ($language): renders cleanly, $(wc -w <<<"$options") options"
done
