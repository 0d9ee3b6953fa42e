#!/usr/bin/env bash
# The session manager window of the demo, until the add-on's own command can open it.
#   tools/preview/demo.sh BUILD_DIR WIN_BUILD_DIR
#
# A few saved sessions are written with the product's writer (the native build's
# quillmere-example-sessions) into BUILD_DIR/demo/sessions, and quillmere-preview opens the window
# on them, in the Windows build's private Wine prefix, with the current session of
# tools/preview/demo-session.json. On $DISPLAY the window stays until it is closed; without a
# display (and always under CI) it runs on an Xvfb of its own, saves its pictures into
# BUILD_DIR/demo and closes itself.
set -euo pipefail

if [[ $# -ne 2 ]]; then
    echo "usage: $0 BUILD_DIR WIN_BUILD_DIR" >&2
    exit 2
fi
cd "$(dirname -- "$0")/../.."
# shellcheck source=tools/xvfb.sh
source tools/xvfb.sh
build=$(realpath -m "$1")
win_build=$(realpath -m "$2")
demo=$build/demo
preview=$win_build/tools/preview/quillmere-preview.exe
examples=$build/native/tools/preview/quillmere-example-sessions
for program in "$preview" "$examples"; do
    [[ -x $program ]] || { echo "demo: $program is missing; build it first" >&2; exit 1; }
done

# The prefix the Windows build was configured with, as the test run finds it.
prefix=$(sed -n 's/^QLMR_WINEPREFIX:PATH=//p' "$win_build/CMakeCache.txt" 2>/dev/null || true)
prefix=${prefix:-$win_build/wineprefix}

# A preview that was stopped (Ctrl+C, a killed Wine) leaves the prefix's own session folder
# aside and its stand-in in place; in this private prefix the stand-in simply goes.
restore_session_folder() {
    local aside
    for aside in "$prefix"/drive_c/users/*/AppData/LocalLow/Quillmere.preview-aside; do
        [[ -d $aside ]] || continue
        rm -rf -- "${aside%.preview-aside}"
        mv -- "$aside" "${aside%.preview-aside}"
    done
}

xvfb_pid=
cleanup() {
    WINEPREFIX=$prefix wineserver -k </dev/null >/dev/null 2>&1 || true
    restore_session_folder
    stop_xvfb
}
trap cleanup EXIT

rm -rf -- "$demo/sessions" "$demo"/quillmere-*.png "$demo"/quillmere-*.bmp
mkdir -p -- "$demo/sessions"
echo "Example sessions, written with the session file writer:"
"$examples" "$demo/sessions" | sed 's/^/  /'

tools/wine-prefix.sh "$prefix"
restore_session_folder
export WINEPREFIX=$prefix WINEDEBUG=-all
# One server for the run, started away from our output: Wine's helpers inherit the descriptors of
# whatever starts them, and a pipe they hold would keep a caller waiting.
wineserver -k </dev/null >/dev/null 2>&1 || true
{ wineserver -p && wine cmd /c exit; } </dev/null >/dev/null 2>&1

args=(--json tools/preview/demo-session.json --folder "$demo/sessions")
if [[ -n ${DISPLAY:-} && ( -z ${CI:-} || ${CI:-} == false ) ]]; then
    echo "The session manager window is open on $DISPLAY; close it to end the demo."
    wine "$preview" "${args[@]}" </dev/null
    exit 0
fi

start_xvfb "$demo/xvfb.log"

echo "No display to show the window on: its pictures instead, taken under Xvfb $DISPLAY."
rc=0
wine "$preview" "${args[@]}" --screenshots "$demo" </dev/null >"$demo/preview.log" 2>&1 || rc=$?
# Its own lines, less the pictures' Windows paths, which follow as Unix paths.
grep -v '^screenshot: ' "$demo/preview.log" | sed 's/^/  /' || true
shopt -s nullglob
for bitmap in "$demo"/quillmere-*.bmp; do
    convert "$bitmap" "${bitmap%.bmp}.png" && rm -- "$bitmap"
done
pictures=("$demo"/quillmere-*.png)
if ((rc != 0 || ${#pictures[@]} != 4)); then
    echo "demo: the preview failed ($rc) or did not take its four pictures" >&2
    exit 1
fi
echo "Pictures of the session manager window:"
printf '  %s\n' "${pictures[@]}"
