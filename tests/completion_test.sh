#!/usr/bin/env bash
# The bash completion script ($1) parses, offers the subcommands after the
# program's name, a subcommand's options, and the names an option takes.
set -euo pipefail
bash -n "$1"
source "$1"

offers() { # expected-words... -- command-line-words...
    local expected=() words=()
    while [ "$1" != -- ]; do expected+=("$1"); shift; done
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _tsccurve
    if [ "${COMPREPLY[*]}" != "${expected[*]}" ]; then
        echo "completing '$*' offers '${COMPREPLY[*]}', not '${expected[*]}'" >&2
        exit 1
    fi
}

offers fit methods -- tsccurve ""
offers --order -- tsccurve fit data.txt --or
offers first second general -- tsccurve fit data.txt --order ""
offers Et,Vt,b Et,Vt,b,Nt -- tsccurve fit --beta 2 a.txt --beta 5 b.txt --shared ""
offers --rise-window -- tsccurve methods --ri
offers legacy standard -- tsccurve --model ""
echo "completion offers what it should"
