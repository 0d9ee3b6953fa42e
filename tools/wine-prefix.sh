#!/usr/bin/env bash
# Creates the private Wine prefix the Windows tests and the demo run in, once.
#   tools/wine-prefix.sh PREFIX
# A second run with the prefix complete does nothing. Output of Wine goes to PREFIX.log.
set -euo pipefail

if [[ $# -ne 1 || -z "$1" ]]; then
    echo "usage: $0 PREFIX" >&2
    exit 2
fi

prefix=$1
[[ $prefix = /* ]] || prefix=$PWD/$prefix
stamp=$prefix/.quillmere-prefix-done
log=$prefix.log

[[ -f $stamp ]] && exit 0

export WINEPREFIX=$prefix
export WINEDEBUG=-all
# No .NET runtime is wanted, and its installer would ask to download one; the desktop menu
# builder would write into the user's home. mshtml stays: its type library marshals the
# browser's document and window interfaces.
export WINEDLLOVERRIDES="mscoree=;winemenubuilder.exe=d"
# Nothing may open a window while the prefix is built: with a display an installer prompt
# would wait for a click that never comes.
unset DISPLAY WAYLAND_DISPLAY

fail() {
    echo "wine-prefix: $*; see $log" >&2
    exit 1
}

# An unfinished prefix (no stamp) is rebuilt from scratch rather than patched.
if [[ -e $prefix ]]; then
    wineserver -k >/dev/null 2>&1 || true
    rm -rf -- "$prefix"
fi
mkdir -p -- "$(dirname -- "$prefix")"
: >"$log"

# wineboot returns before the prefix is finished; wineserver -w waits for the rest. Wine's
# helpers inherit our descriptors, so they get the log, never a caller's pipe.
wineboot -i </dev/null >>"$log" 2>&1 || fail "wineboot -i failed"
wineserver -w </dev/null >>"$log" 2>&1 || true
[[ -f $prefix/system.reg && -d $prefix/drive_c/windows ]] || fail "wineboot left no prefix"

fonts=$prefix/drive_c/windows/Fonts
mkdir -p -- "$fonts"
shopt -s nullglob
ttfs=(/usr/share/wine/fonts/*.ttf)
((${#ttfs[@]})) || fail "no fonts in /usr/share/wine/fonts (package fonts-wine)"
cp -f -- "${ttfs[@]}" "$fonts/"

reg() {
    wine reg add "$@" /f </dev/null >>"$log" 2>&1 || fail "wine reg add $* failed"
}
# Without a window manager, Xvfb makes Wine wait ~2 s for every window that closes.
reg 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
reg 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /t REG_SZ /d ''
wineserver -w </dev/null >>"$log" 2>&1 || true

# The registry reaches the disk only when the server has gone.
grep -q '"Managed"="N"' "$prefix/user.reg" || fail "Managed=N did not reach user.reg"

date -u +%FT%TZ >"$stamp"
