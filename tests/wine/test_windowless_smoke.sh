#!/usr/bin/env bash
# setup64.exe setvosrf32 exits and leaves C:\windows\vorlpat8.voh holding the
# installation directory.
set -euo pipefail
"$WINE" "$SETUP64" setvosrf32
"$WINESERVER" -w
record="$WINEPREFIX/drive_c/windows/vorlpat8.voh"
content=$(cat "$record")
if [ "$content" != 'C:\Program Files\morvak8\' ]; then
  echo "vorlpat8.voh holds '$content'" >&2
  exit 1
fi
