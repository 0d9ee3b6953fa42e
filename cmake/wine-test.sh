#!/bin/sh
# Runs one Windows test program under Wine for ctest:  wine-test.sh LOG SECONDS WINE PROGRAM [ARG...]
# The output goes to a file, not to ctest's pipe, which Wine's helper processes would inherit and
# hold open after the program ends; it is printed once the program has gone. The program is ended
# after SECONDS, a little before ctest would end this script without a word. A program that ended
# before gtest's summary (a crash, the watchdog, the time limit) gets the running case named as
# gtest names a failed one, so every failure shows as "[  FAILED  ] Suite.Case".
log=$1
seconds=$2
shift 2
start=$(date +%s)
timeout -k 5 "$seconds" "$@" </dev/null >"$log" 2>&1
rc=$?
cat "$log"
if [ "$rc" -ne 0 ] && ! grep -q '^\[==========\] .* ran\.' "$log"; then
    running=$(sed -n 's/^\[ RUN      \] //p' "$log" | tail -n 1)
    [ "$rc" -eq 124 ] && [ $(($(date +%s) - start)) -ge "$seconds" ] &&
        echo "the program took more than $seconds s"
    echo "[  FAILED  ] ${running:-(no case started)}, ended with exit code $rc"
fi
exit "$rc"
