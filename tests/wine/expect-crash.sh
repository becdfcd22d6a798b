#!/usr/bin/env bash
# Runs the crash helper and passes when its crash ended it with a failure
# within the limit, rather than leaving it to wait in a debugger:
#
#   expect-crash.sh SECONDS COMMAND...
set -uo pipefail
limit=${1:?usage: expect-crash.sh SECONDS COMMAND...}
shift
start=${EPOCHREALTIME/./}
output=$(timeout "$limit" "$@" 2>&1)
status=$?
elapsed=$(((${EPOCHREALTIME/./} - start) / 1000))
printf '%s\n' "$output"
seconds=$(printf '%d.%03d' $((elapsed / 1000)) $((elapsed % 1000)))
if ! grep -q '^crash helper: writing' <<<"$output"; then
    echo "expect-crash: the helper did not run (status $status)" >&2
    exit 1
fi
if [ "$status" -eq 124 ]; then
    echo "expect-crash: the crashed helper was still there after ${limit} s" >&2
    exit 1
fi
if [ "$status" -eq 0 ]; then
    echo "expect-crash: the helper survived its crash" >&2
    exit 1
fi
echo "expect-crash: the crash ended the helper with status $status in ${seconds} s"
