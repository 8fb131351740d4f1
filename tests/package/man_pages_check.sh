#!/usr/bin/env bash
# Each manual page renders without a warning from man, has the sections a reader looks for,
# and documents every option its program's --help lists (help2man read the help text whole).
# Arguments: pairs of page and program.
set -euo pipefail
command -v man >/dev/null || { echo "man is not installed (make test installs man-db)"; exit 1; }
fail() { echo "man page check: $*"; exit 1; }

while [ $# -ge 2 ]; do
    page=$1 program=$2
    shift 2
    [ -f "$page" ] || fail "$page was not written"
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "$warnings"; fail "$(basename "$page") renders with warnings"; }

    text=$(MANWIDTH=80 man -l "$page" 2>/dev/null | col -bx)
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" ENVIRONMENT FILES EXAMPLES; do
        grep -q "^$section\$" <<<"$text" || fail "$(basename "$page") has no $section section"
    done
    for variable in windir XDG_CONFIG_HOME XDG_DESKTOP_DIR LANGUAGE; do
        grep -q "$variable" <<<"$text" || fail "$(basename "$page") does not mention $variable"
    done
    options=$("$program" --help | grep -oE '(^|[[:space:][])--[a-z][a-z-]*' | tr -d ' [' | sort -u)
    [ -n "$options" ] || fail "$program --help lists no options"
    for option in $options; do
        grep -qe "$option" <<<"$text" || fail "$(basename "$page") does not document $option"
    done
    version=$("$program" --version | head -n1 | awk '{ print $NF }')
    [[ "$(tail -n1 <<<"$text")" == *" $version "* ]] || fail "$(basename "$page") is not from version $version"
    echo "$(basename "$page"): renders cleanly, $(wc -w <<<"$options") options"
done
