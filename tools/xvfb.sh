# shellcheck shell=bash
# Sourced by the scripts that need a display of their own:
#   start_xvfb LOG    starts Xvfb on the first free display from :90 up, exports DISPLAY and sets
#                     xvfb_pid (the caller stops it); its output goes to LOG. Returns 1 when no
#                     display could be started.
#   stop_xvfb         stops the Xvfb that start_xvfb started, if any, and clears xvfb_pid.
# The display counts as started once its socket appears, that is once Xvfb accepts clients.
start_xvfb() {
    local log=$1 n i
    for ((n = 90; n < 130; n++)); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$log" 2>&1 &
        xvfb_pid=$!
        for ((i = 0; i < 100; i++)); do
            if [[ -S /tmp/.X11-unix/X$n ]]; then
                export DISPLAY=:$n
                return 0
            fi
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=
    done
    echo "could not start Xvfb; see $log" >&2
    return 1
}

stop_xvfb() {
    if [[ -n ${xvfb_pid:-} ]]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=
    fi
}
