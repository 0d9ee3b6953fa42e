#!/usr/bin/env bash
# The demo, in a folder of its own (build/demo), never in the user's sessions:
#   demo/demo.sh NATIVE_BUILD WIN_BUILD
#
# First natively: the storage walk-through writes an example session and prints the file and the
# catalogue, then the quillmere command lists, checks, shows, exports and imports it again, and
# finds a tab in both copies.
# Then the add-on as the browser sees it: Quillmere.dll registered in a private Wine prefix, two
# stand-in browser processes with a few windows and tabs, one session saved earlier, and
# Tools > "&Quillmere..." picked, which opens the session manager window. With a display
# ($DISPLAY set, CI not set) the window opens there and the demo ends once every browser window
# has been closed; otherwise it runs unattended under an Xvfb of its own: the window opens and is
# closed again. Wine, the browsers and the Xvfb are ended on every way out.
#
# Builds nothing: make demo builds the native tree and the Windows target quillmere-addon-demo.
set -euo pipefail

if [[ $# -ne 2 ]]; then
    echo "usage: $0 NATIVE_BUILD WIN_BUILD" >&2
    exit 2
fi
cd "$(dirname -- "$0")/.."
# shellcheck source=tools/xvfb.sh
source tools/xvfb.sh
root=$PWD
native_build=$(realpath -m -- "$1")
win_build=$(realpath -m -- "$2")
walkthrough=$native_build/demo/walkthrough/quillmere-demo
quillmere=$native_build/cli/quillmere
dll=$win_build/com/Quillmere.dll
driver=$win_build/demo/addon/addon_demo.exe
browser=$win_build/demo/stand_in_browser/iexplore.exe
for file in "$walkthrough" "$quillmere" "$dll" "$driver" "$browser"; do
    if [[ ! -f $file ]]; then
        echo "demo: no ${file#"$root"/}: build the native tree and the Windows target quillmere-addon-demo first" >&2
        exit 1
    fi
done

demo=$root/build/demo
prefix=$demo/wineprefix
log=$demo/addon-demo.log

# The storage half, with a fresh data folder as XDG_DATA_HOME: the command finds the sessions
# there as the add-on would.
rm -rf -- "$demo/data"
mkdir -p -- "$demo/data"
with_data() {
    XDG_DATA_HOME=$demo/data "$@"
}
with_data "$walkthrough"

run() {
    printf '$ quillmere'
    printf ' %q' "$@"
    echo
    with_data "$quillmere" "$@"
    echo
}

session=$(with_data "$quillmere" list --json | sed -n 's/^ *"file": "\(.*\)"$/\1/p' | head -n 1)
run list
run check "$session"
run show "$session"
run export "$session" --format urls -o "$demo/Example.txt"
run export "$session" --format html -o "$demo/Example.html"
run import --from urls "$demo/Example.txt" --name "Example again" --force
run list
run find "A.HTM"
echo "Exported: $demo/Example.txt and $demo/Example.html (a bookmark file any browser imports)"

# The add-on half.
export WINEPREFIX=$prefix
export WINEDEBUG=-all

# A Unix path as Wine's drive Z: shows it.
windows_path() {
    local path=$1
    echo "Z:${path//\//\\}"
}

headless=1
if [[ -n ${DISPLAY:-} && ( -z ${CI:-} || ${CI:-} == false ) ]]; then
    headless=0
fi

xvfb_pid=
cleanup() {
    # Ends the browsers and whatever else still runs in the prefix, then the display.
    wineserver -k </dev/null >/dev/null 2>&1 || true
    stop_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

start=$SECONDS
echo "demo: Wine prefix build/demo/wineprefix (made once, about 20 s)"
tools/wine-prefix.sh "$prefix"
((headless)) && start_xvfb "$demo/xvfb.log"

# One server for the whole demo, started away from our output: Wine's helpers inherit the
# descriptors of whoever starts them and would keep a caller's pipe open.
wineserver -k </dev/null >/dev/null 2>&1 || true
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1

rc=0
wine regsvr32 /s "$(windows_path "$dll")" </dev/null >/dev/null 2>&1 || rc=$?
case $rc in
0) echo "demo: registered ${dll#"$root"/} (regsvr32 /s)" ;;
3) echo "demo: regsvr32 could not load ${dll#"$root"/}" >&2; exit 1 ;;
4) echo "demo: ${dll#"$root"/} lacks DllRegisterServer" >&2; exit 1 ;;
*) echo "demo: registering ${dll#"$root"/} failed (regsvr32: $rc)" >&2; exit 1 ;;
esac

args=()
if ((headless)); then
    args=(--unattended)
    echo "demo: unattended on DISPLAY=$DISPLAY (make screenshots takes pictures of the window)"
else
    echo "demo: the session manager opens on DISPLAY=$DISPLAY"
    echo "demo: close every browser window to end the demo"
fi

# The driver's output goes to a file: see above about Wine and pipes.
rc=0
wine "$driver" "${args[@]}" </dev/null >"$log" 2>&1 || rc=$?
sed -e 's/\r$//' -e 's/^/  /' "$log"
if ((rc != 0)); then
    echo "demo: the demo failed (exit code $rc); see build/demo/addon-demo.log" >&2
    exit 1
fi

cleanup
echo "demo: done in $((SECONDS - start)) s"
