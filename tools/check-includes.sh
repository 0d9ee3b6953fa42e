#!/usr/bin/env bash
# Holds every quoted include to the layers: it names its folder from the project root, and a
# product folder includes only itself and the folders below it. Only tests/ includes from tests/.
#   tools/check-includes.sh      prints each include that breaks a rule; fails if there is one
set -uo pipefail
cd "$(dirname -- "$0")/.." || exit 2

# What each product folder may include besides itself, lowest layer first.
declare -A below=(
    [base]=""
    [session]="base"
    [win]="base"
    [controls]="win base"
    [resources]=""
    [ui]="controls win session base resources"
    [browser]="ui controls win session base resources"
    [com]="browser ui controls win session base resources"
    [cli]="session base"
)

git ls-files -z -- '*.c' '*.cpp' '*.h' '*.rc' |
    xargs -0 grep -HnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' |
    {
        bad=0
        while IFS= read -r hit; do
            file=${hit%%:*}
            rest=${hit#*:}
            line=${rest%%:*}
            [[ ${rest#*:} =~ \"([^\"]*)\" ]] && target=${BASH_REMATCH[1]}
            from=${file%%/*}
            to=${target%%/*}
            why=
            if [[ $target != */* ]]; then
                why="name its folder from the project root"
            elif [[ -v below[$from] ]]; then
                [[ $to == "$from" || " ${below[$from]} " == *" $to "* ]] ||
                    why="$from/ may include ${below[$from]:-only itself}"
            elif [[ $to == tests && $from != tests ]]; then
                why="only tests/ includes from tests/"
            fi
            if [[ -n $why ]]; then
                echo "$file:$line: \"$target\": $why"
                bad=1
            fi
        done
        exit $bad
    }
