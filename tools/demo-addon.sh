#!/usr/bin/env bash
# The add-on as the browser sees it: Quillmere.dll registered in a private Wine prefix, two
# stand-in browser processes with a few windows and tabs, one session saved earlier, and
# Tools > "&Quillmere..." picked, which opens the session manager window.
#
#   tools/demo-addon.sh WIN_BUILD
#
# Builds nothing: WIN_BUILD is a Windows build tree that holds the demo's programs
# (cmake --build WIN_BUILD --target quillmere-addon-demo). With a display ($DISPLAY set, CI not
# set) the window opens there and the demo ends once every browser window has been closed.
# Otherwise it runs unattended under an Xvfb of its own: the window opens and is closed again. Wine, the browsers and the Xvfb are ended on every way out.
set -euo pipefail

if [[ $# -ne 1 ]]; then
    echo "usage: $0 WIN_BUILD" >&2
    exit 2
fi
cd "$(dirname -- "$0")/.."
# shellcheck source=tools/xvfb.sh
source tools/xvfb.sh
root=$PWD
win_build=$(realpath -m -- "$1")
dll=$win_build/com/Quillmere.dll
driver=$win_build/tests/support/demo/addon_demo.exe
browser=$win_build/tests/support/browser/iexplore.exe
for file in "$dll" "$driver" "$browser"; do
    if [[ ! -f $file ]]; then
        echo "demo-addon: no ${file#"$root"/}: build the target quillmere-addon-demo first" >&2
        exit 1
    fi
done

demo=$root/build/demo
prefix=$demo/wineprefix
log=$demo/addon-demo.log
mkdir -p -- "$demo"
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
echo "demo-addon: Wine prefix build/demo/wineprefix (made once, about 20 s)"
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
0) echo "demo-addon: registered ${dll#"$root"/} (regsvr32 /s)" ;;
3) echo "demo-addon: regsvr32 could not load ${dll#"$root"/}" >&2; exit 1 ;;
4) echo "demo-addon: ${dll#"$root"/} lacks DllRegisterServer" >&2; exit 1 ;;
*) echo "demo-addon: registering ${dll#"$root"/} failed (regsvr32: $rc)" >&2; exit 1 ;;
esac

args=()
if ((headless)); then
    args=(--unattended)
    echo "demo-addon: unattended on DISPLAY=$DISPLAY (make screenshots takes pictures of the window)"
else
    echo "demo-addon: the session manager opens on DISPLAY=$DISPLAY"
    echo "demo-addon: close every browser window to end the demo"
fi

# The driver's output goes to a file: see above about Wine and pipes.
rc=0
wine "$driver" "${args[@]}" </dev/null >"$log" 2>&1 || rc=$?
sed -e 's/\r$//' -e 's/^/  /' "$log"
if ((rc != 0)); then
    echo "demo-addon: the demo failed (exit code $rc); see build/demo/addon-demo.log" >&2
    exit 1
fi

cleanup
echo "demo-addon: done in $((SECONDS - start)) s"
