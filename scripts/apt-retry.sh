#!/usr/bin/env bash
# Runs an apt-get command (given as the arguments) and runs it again when it
# fails, up to 4 times, 20 s apart: a Debian mirror that is being synced
# serves index files of the wrong size for a while ("Mirror sync in
# progress?"), and a download can drop. Exits with the last try's status.
#
#   apt-retry.sh apt-get update
#   APT_CONFIG=... apt-retry.sh apt-get -q install -y --download-only PACKAGE
set -uo pipefail
tries=4
for ((try = 1; ; try++)); do
    "$@" && exit 0
    status=$?
    if [ "$try" -ge "$tries" ]; then
        echo "apt-retry: '$*' failed $tries times (status $status)" >&2
        exit "$status"
    fi
    echo "apt-retry: '$*' failed (status $status, try $try of $tries); again in 20 s" >&2
    sleep 20
done
