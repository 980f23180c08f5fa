#!/usr/bin/env bash
# The platform conformance checks, built with MinGW, against Wine: prints the
# failing and skipped checks and fails with the failures. The program starts
# from a folder with a Chinese name, whose path the 8-bit calls must give in
# the ANSI code page.
set -uo pipefail
# A folder link as a user could leave one, made the only way Wine allows: a
# Unix symbolic link in the prefix (Wine 8 cannot set a junction's reparse data).
for temp in "$WINEPREFIX"/drive_c/users/*/Temp; do
  [ -d "$temp" ] || continue
  mkdir -p "$temp/setup-conformance/prepared-target"
  ln -sfn prepared-target "$temp/setup-conformance/prepared-link"
done
folder="$WINEPREFIX/drive_c/安装测试"
mkdir -p "$folder"
cp "$CONFORMANCE64" "$folder/platform_conformance.exe"
output=$(cd "$folder" && "$WINE" platform_conformance.exe | tr -d '\r')
status=$?
printf '%s\n' "$output" | grep -av '^ok '
# The prefix is made for every check (code page 936 among them), so a
# skipped check is a broken prefix; only the junction check may skip, as
# Wine cannot make a junction at all.
if printf '%s\n' "$output" | grep -a '^SKIP ' | grep -aqv '^SKIP AJunctionIsAReparsePointThatLeadsToItsTarget:'; then
  status=1
fi
exit $status
