#!/usr/bin/env bash
# The quillmere command over the demo's session folder: what the storage walk-through just saved,
# listed, checked, shown, exported and imported again under another name.
#   tools/demo-command.sh QUILLMERE DEMO_FOLDER
# XDG_DATA_HOME is the demo's data folder, so the command finds the sessions as the add-on would.
set -euo pipefail

quillmere=$1
demo=$2
run() {
    printf '$ quillmere'
    printf ' %q' "$@"
    echo
    "$quillmere" "$@"
    echo
}

session=$("$quillmere" list --json | sed -n 's/^ *"file": "\(.*\)"$/\1/p' | head -n 1)
run list
run check "$session"
run show "$session"
run export "$session" --format urls -o "$demo/Example.txt"
run export "$session" --format html -o "$demo/Example.html"
run import --from urls "$demo/Example.txt" --name "Example again" --force
run list
echo "Exported: $demo/Example.txt and $demo/Example.html (a bookmark file any browser imports)"
