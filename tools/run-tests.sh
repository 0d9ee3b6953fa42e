#!/usr/bin/env bash
# Runs every test stage over the builds that `make test` made, and fails if any stage failed.
#   tools/run-tests.sh [STAGE...]     stages: layers native asan win fuzz replay (default: all)
# Every stage runs even after another failed. The Windows stage gets its own Xvfb and the
# private Wine prefix; both are stopped on every way out.
set -uo pipefail

cd "$(dirname -- "$0")/.." || exit 2
root=$PWD
# shellcheck source=tools/xvfb.sh
source tools/xvfb.sh
build=$root/build
# Another Windows build tree may be named, for work on a branch of the tree beside the main one.
win_build=$(realpath -m "${QLMR_WIN_BUILD:-$build/win}")

ctest_args=(-j2 --output-on-failure --no-tests=error --timeout 300)
# Each fuzz target's time; `make fuzz FUZZ_SECONDS=600` fuzzes for longer.
fuzz_seconds=${FUZZ_SECONDS:-20}

xvfb_pid=
wineprefix=

cleanup() {
    stop_xvfb
    if [[ -n $wineprefix && -d $wineprefix ]]; then
        WINEPREFIX=$wineprefix wineserver -k </dev/null >/dev/null 2>&1
    fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

need_build() {
    if [[ ! -f $build/$1/CTestTestfile.cmake ]]; then
        echo "no build in build/$1: run make $2 first" >&2
        return 1
    fi
}

# The prefix the build was configured with, so ctest and this script agree.
configured_wineprefix() {
    local value
    value=$(sed -n 's/^QLMR_WINEPREFIX:PATH=//p' "$win_build/CMakeCache.txt" 2>/dev/null)
    echo "${value:-$win_build/wineprefix}"
}


# Every include stays within its layer (tools/check-includes.sh).
stage_layers() {
    tools/check-includes.sh && echo "every include points down"
}

stage_native() {
    need_build native native && ctest --test-dir "$build/native" "${ctest_args[@]}"
}

stage_asan() {
    need_build asan asan || return 1
    ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1} \
        UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1} \
        ctest --test-dir "$build/asan" "${ctest_args[@]}"
}

stage_win() {
    if [[ ! -f $win_build/CTestTestfile.cmake ]]; then
        echo "no build in $win_build: run make win first" >&2
        return 1
    fi
    wineprefix=$(configured_wineprefix)
    tools/wine-prefix.sh "$wineprefix" || return 1
    start_xvfb "$win_build/xvfb.log" || return 1
    echo "DISPLAY=$DISPLAY WINEPREFIX=$wineprefix"
    local rc=0
    ctest --test-dir "$win_build" "${ctest_args[@]}" || rc=$?
    cleanup
    return $rc
}

# Fuzzes each target from its kept crashes and seeds; new inputs go to a corpus in the build
# folder, crashes to build/fuzz/artifacts. libFuzzer's progress goes to a log per target.
fuzz_one() {
    local name=$1 seconds=$2
    shift 2
    local fuzzer=$build/fuzz/fuzz/$name
    if [[ ! -x $fuzzer ]]; then
        echo "no fuzz target $name in build/fuzz: run make fuzz-build first" >&2
        return 1
    fi
    local work=$build/fuzz/corpus-$name artifacts=$build/fuzz/artifacts log=$build/fuzz/$name.log
    mkdir -p "$work" "$artifacts"
    local dirs=("$work") dir
    for dir in "$@"; do
        [[ -d $dir ]] && dirs+=("$root/$dir")
    done
    local rc=0
    timeout -k 10 $((seconds + 90)) "$fuzzer" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/$name-" "${dirs[@]}" \
        </dev/null >"$log" 2>&1 || rc=$?
    echo "$name:"
    if ((rc == 0)); then
        grep -E '^(Done|stat::)' "$log"
    else
        tail -n 60 "$log"
        echo "fuzzing failed ($rc); full log: build/fuzz/$name.log"
        find "$artifacts" -type f -name "$name-*" -printf 'artifact: build/fuzz/artifacts/%f\n'
        echo "once fixed, keep each crashing input with the target's corpus"
    fi
    return $rc
}

stage_fuzz() {
    local rc=0
    fuzz_one reader_fuzz "$fuzz_seconds" fuzz/corpus tests/data || rc=1
    fuzz_one import_fuzz "$fuzz_seconds" fuzz/import-corpus || rc=1
    return $rc
}

stage_replay() {
    need_build fuzz fuzz-build && ctest --test-dir "$build/fuzz" "${ctest_args[@]}"
}

stages=("$@")
((${#stages[@]})) || stages=(layers native asan win fuzz replay)

declare -A result seconds
failed=0
logs=()
for stage in "${stages[@]}"; do
    if ! declare -F "stage_$stage" >/dev/null; then
        echo "unknown stage: $stage" >&2
        exit 2
    fi
    echo
    echo "===== $stage"
    start=$SECONDS
    log=$(mktemp)
    logs+=("$log")
    if "stage_$stage" > >(tee "$log") 2>&1; then
        result[$stage]=passed
    else
        result[$stage]=FAILED
        failed=$((failed + 1))
    fi
    seconds[$stage]=$((SECONDS - start))
done

echo
echo "===== summary"
# Every ctest stage ends its output with "N% tests passed, F tests failed out of T".
totals=$(grep -hE '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "${logs[@]}" 2>/dev/null |
    awk '{failed += $4; total += $NF} END {printf "%d %d", total - failed, failed}')
for stage in "${stages[@]}"; do
    printf '%-8s %-7s %4ss\n' "$stage" "${result[$stage]}" "${seconds[$stage]}"
done
read -r tests_passed tests_failed <<<"${totals:-0 0}"
# A Windows entry is a whole program; the cases that failed in it, as gtest named them.
failed_cases=$(sed -nE 's/^\[  FAILED  \] ([^ ,]+[.][^ ,]+).*/\1/p' "${logs[@]}" 2>/dev/null | sort -u)
rm -f "${logs[@]}"
echo "tests: $tests_passed passed, $tests_failed failed"
if [[ -n $failed_cases ]]; then
    echo "failed cases:"
    sed 's/^/  /' <<<"$failed_cases"
fi
if ((failed)); then
    echo "$failed of ${#stages[@]} stages failed"
    exit 1
fi
echo "all ${#stages[@]} stages passed"
