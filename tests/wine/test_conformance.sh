#!/usr/bin/env bash
# The platform conformance checks, built with MinGW, against Wine: prints the
# failing checks and fails with them.
set -uo pipefail
output=$("$WINE" "$CONFORMANCE64")
status=$?
printf '%s\n' "$output" | tr -d '\r' | grep -v '^ok '
exit $status
