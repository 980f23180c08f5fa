#!/usr/bin/env bash
# The platform conformance checks, built with MinGW, against Wine: prints the
# failing checks and fails with them.
set -uo pipefail
# A folder link as a user could leave one, made the only way Wine allows: a
# Unix symbolic link in the prefix (Wine 8 cannot set a junction's reparse data).
for temp in "$WINEPREFIX"/drive_c/users/*/Temp; do
  [ -d "$temp" ] || continue
  mkdir -p "$temp/setup-conformance/prepared-target"
  ln -sfn prepared-target "$temp/setup-conformance/prepared-link"
done
output=$("$WINE" "$CONFORMANCE64")
status=$?
printf '%s\n' "$output" | tr -d '\r' | grep -v '^ok '
exit $status
