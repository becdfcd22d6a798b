#!/usr/bin/env bash
# The private Wine prefix the tests run in.
#
#   wineprefix.sh PREFIX            creates the prefix (once; later calls reuse it)
#   wineprefix.sh PREFIX start      creates it, then starts its Wine server and system
#                                   processes, detached from the caller's output
#   wineprefix.sh PREFIX run CMD... runs CMD in the prefix (see run_command)
#   wineprefix.sh PREFIX stop       ends every Wine process of the prefix and its server
set -euo pipefail
prefix=${1:?usage: wineprefix.sh PREFIX [start | run CMD... | stop]}
action=${2:-create}
# winedbg.exe disabled: a program that crashes ends at once with a failing
# status (5 for an access violation). With Wine's debugger attached it would
# wait on its crash dialog while a display is up, and even without the dialog
# the program it ended sometimes exited with status 0, a crash that passed.
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

# After the last program exits, the server (and with it the prefix's system
# processes) stays up this many seconds, so that consecutive tests skip Wine's
# start-up. "stop" ends it at once; this only bounds an interrupted run.
server_linger=60

create_prefix() {
    if [ ! -f "$prefix/system.reg" ]; then
        mkdir -p "$prefix"
        wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
}

stop_server() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w
}

# The first program in a fresh server starts services.exe and friends, which
# inherit its stderr and live as long as the server. Starting them here, with
# output going nowhere, keeps them off the pipes of whoever runs the tests.
start_server() {
    stop_server
    wineserver -p"$server_linger" </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
}

# Runs a command and passes its output on through a file rather than a pipe:
# a Wine process the command starts (the desktop process, say) may outlive it
# holding its stdout or stderr, and a caller reading a pipe, like ctest, would
# then wait for the server to exit. Keeps the command's exit status.
run_command() {
    local log pid status
    log=$(mktemp "${TMPDIR:-/tmp}/vcx-wine-run.XXXXXX")
    "$@" </dev/null >"$log" 2>&1 &
    pid=$!
    trap 'kill "$pid" 2>/dev/null; rm -f "$log"; exit 143' TERM INT
    tail -n +1 -s 0.2 --pid="$pid" -f "$log" &
    status=0
    wait "$pid" || status=$?
    wait
    rm -f "$log"
    return "$status"
}

# The i686 tree's prefix also holds Wine's 32-bit half, whose processes run
# under qemu-user: scripts/wine-i686.sh makes it and starts its server.
if [ "${VCX_WINE_ARCH:-x86_64}" = i686 ]; then
    i686=$(dirname "$0")/wine-i686.sh
    create_prefix() { "$i686" --setup </dev/null >/dev/null; }
    start_server() { "$i686" --start "$server_linger" </dev/null >/dev/null 2>&1; }
fi

case "$action" in
create)
    create_prefix
    echo "wine prefix ready: $prefix"
    ;;
start)
    create_prefix
    start_server
    echo "wine prefix running: $prefix"
    ;;
run)
    shift 2
    [ $# -gt 0 ] || { echo "wineprefix.sh: run needs a command" >&2; exit 2; }
    run_command "$@"
    ;;
stop)
    stop_server
    echo "wine prefix stopped: $prefix"
    ;;
*)
    echo "wineprefix.sh: unknown action '$action'" >&2
    exit 2
    ;;
esac
