#!/usr/bin/env bash
# Runs the storage benchmarks that `make bench` built, and prints their figures.
#   tools/run-bench.sh NATIVE_BUILD WIN_BUILD [storage_bench arguments...]
# First the machine, then the native program (every figure, the ratios and their targets), then
# the reader's memory figure of the Windows build, under Wine in that build's private prefix.
# Both parts always run; the exit code is 1 when a target was missed or a part could not run.
set -uo pipefail

if [[ $# -lt 2 ]]; then
    echo "usage: $0 NATIVE_BUILD WIN_BUILD [storage_bench arguments...]" >&2
    exit 2
fi
cd "$(dirname -- "$0")/.." || exit 2
native_build=$(realpath -m -- "$1")
win_build=$(realpath -m -- "$2")
shift 2

bench=$native_build/bench/storage/storage_bench
reader=$win_build/bench/storage/reader_memory.exe
data=$native_build/bench/storage/data
for file in "$bench" "$reader"; do
    if [[ ! -x $file && ! -f $file ]]; then
        echo "run-bench: no $file: build it first (make bench)" >&2
        exit 2
    fi
done

mkdir -p -- "$data"
echo "===== machine"
echo "date:   $(date -u +'%Y-%m-%d %H:%M UTC')"
echo "cpu:    $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $(nproc) cores"
echo "memory: $(free -h | awk '/^Mem:/ {print $2}')"
echo "disk:   $(df -hT -- "$data" | awk 'NR == 2 {print $2 " on " $1 ", mounted on " $7}') (corpus in ${data#"$PWD"/})"
echo "load:   $(cut -d ' ' -f 1-3 /proc/loadavg)"

rc=0
echo
echo "===== storage benchmarks, native"
"$bench" "$@" || rc=1

echo
echo "===== reader memory, Windows build under Wine"
prefix=$(sed -n 's/^QLMR_WINEPREFIX:PATH=//p' "$win_build/CMakeCache.txt" 2>/dev/null)
prefix=${prefix:-$win_build/wineprefix}
if ! tools/wine-prefix.sh "$prefix"; then
    exit 1
fi
# The output goes to a file: Wine's helpers would otherwise hold the caller's pipe open.
log=$win_build/bench/storage/reader_memory.log
wine_rc=0
(cd -- "$(dirname -- "$reader")" &&
    WINEPREFIX=$prefix WINEDEBUG=-all wine reader_memory.exe </dev/null >"$log" 2>&1) || wine_rc=$?
sed -e 's/\r$//' -- "$log"
if ((wine_rc != 0)); then
    echo "run-bench: reader_memory.exe failed or missed its target (exit code $wine_rc)" >&2
    rc=1
fi
exit $rc
