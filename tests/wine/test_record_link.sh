#!/usr/bin/env bash
# An ordinary user replaced the data drive's folder C:\morvak8 with a link
# into system32 (under Wine a Unix symbolic link in the prefix): the elevated
# windowless run writes nothing through it and still writes the record in
# the Windows directory.
set -euo pipefail
drive_c="$WINEPREFIX/drive_c"
ln -sfn windows/system32 "$drive_c/morvak8"
"$WINE" "$SETUP64" setvosrf32
"$WINESERVER" -w
if [ -e "$drive_c/windows/system32/vorlpat8.voh" ]; then
  echo "the record was written through the link into system32" >&2
  exit 1
fi
content=$(cat "$drive_c/windows/vorlpat8.voh")
if [ "$content" != 'C:\Program Files\morvak8\' ]; then
  echo "vorlpat8.voh holds '$content'" >&2
  exit 1
fi
