#!/usr/bin/env bash
# Pictures of the product's windows, taken by a tour of the session manager window:
#   demo/screenshots.sh WIN_BUILD [OUT]      (OUT defaults to build/screenshots)
# The Windows build's quillmere-preview opens the window on a few example sessions in its private
# Wine prefix, under an Xvfb of its own, and saves the Sessions page, the About page, the Sessions
# page in high-contrast colours, the name dialog, and the Sessions page finding a text and finding
# nothing as BMP files; ImageMagick turns them into PNGs.
set -euo pipefail

if [[ $# -lt 1 || $# -gt 2 ]]; then
    echo "usage: $0 WIN_BUILD [OUT]" >&2
    exit 2
fi
cd "$(dirname -- "$0")/.."
# shellcheck source=tools/xvfb.sh
source tools/xvfb.sh
win_build=$(realpath -m -- "$1")
out=$(realpath -m -- "${2:-build/screenshots}")
preview=$win_build/demo/preview/quillmere-preview.exe
examples=$win_build/demo/preview/quillmere-example-sessions.exe
for program in "$preview" "$examples"; do
    [[ -f $program ]] || { echo "screenshots: no $program; build it first" >&2; exit 1; }
done
command -v convert >/dev/null || { echo "screenshots: no convert (make deps)" >&2; exit 1; }

prefix=$(sed -n 's/^QLMR_WINEPREFIX:PATH=//p' "$win_build/CMakeCache.txt" 2>/dev/null || true)
export WINEPREFIX=${prefix:-$win_build/wineprefix} WINEDEBUG=-all
xvfb_pid=
cleanup() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    stop_xvfb
}
trap cleanup EXIT

rm -rf -- "$out"
mkdir -p -- "$out/sessions"
tools/wine-prefix.sh "$WINEPREFIX"
start_xvfb "$out/xvfb.log"
# Wine's helpers inherit the descriptors of whatever starts them: files only, never a pipe.
{ wineserver -p && wine cmd /c exit; } </dev/null >/dev/null 2>&1
sessions=$out/sessions
wine "$examples" "Z:${sessions//\//\\}" </dev/null >"$out/tour.log" 2>&1
rc=0
wine "$preview" --folder "$out/sessions" --screenshots "$out" </dev/null >>"$out/tour.log" 2>&1 || rc=$?
# Windows draws no visual styles in high-contrast mode, Wine does: the high-contrast picture is
# taken again with the prefix's theme off for that run, and the prefix's setting put back as it
# was (a new prefix has "1"; without the value Wine draws no theme).
theme='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager'
mkdir -p -- "$out/unthemed"
wine reg query "$theme" /v ThemeActive </dev/null >"$out/theme.txt" 2>/dev/null || true
active=$(sed -n 's/^ *ThemeActive *REG_SZ *\([^[:space:]]*\).*$/\1/p' "$out/theme.txt")
rm -f -- "$out/theme.txt"
wine reg add "$theme" /v ThemeActive /t REG_SZ /d 0 /f </dev/null >>"$out/tour.log" 2>&1
wine "$preview" --folder "$out/sessions" --screenshots "$out/unthemed" </dev/null >>"$out/tour.log" 2>&1 || rc=$?
if [[ -n $active ]]; then
    wine reg add "$theme" /v ThemeActive /t REG_SZ /d "$active" /f </dev/null >>"$out/tour.log" 2>&1
else
    wine reg delete "$theme" /v ThemeActive /f </dev/null >>"$out/tour.log" 2>&1
fi
mv -f -- "$out/unthemed/quillmere-high-contrast.bmp" "$out/" 2>/dev/null || rc=1
rm -rf -- "$out/unthemed"
shopt -s nullglob
bitmaps=("$out"/*.bmp)
if ((rc != 0 || ${#bitmaps[@]} != 6)); then
    echo "screenshots: the tour failed ($rc) or took ${#bitmaps[@]} of 6 pictures; see $out/tour.log" >&2
    exit 1
fi
for bitmap in "${bitmaps[@]}"; do
    convert "$bitmap" "${bitmap%.bmp}.png" && rm -- "$bitmap"
    echo "screenshot: ${bitmap%.bmp}.png"
done
