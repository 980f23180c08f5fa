#!/usr/bin/env bash
# setup64.exe setvosrf32 unpacks all 188 files of its package into
# C:\Program Files\morvak8\: the independent reader of the format finds
# every payload file there byte for byte (the phrase-list backup compacted, as
# the installer writes it; the module builds that the deployment rearranges
# after unpacking aside). The helper programs it unpacked log how they were
# started, as on the simulated machine.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build="$top/build/mingw-x64"
install="$WINEPREFIX/drive_c/Program Files/morvak8"

# A message box would wait for a click: a failed entry must not hang the run.
timeout 300 "$WINE" "$SETUP64" setvosrf32
"$WINESERVER" -w
python3 "$top/tests/unit/archive_independent_reader.py" "$build/payload/package.voz" "$build/payload/files" \
  --installed "$install" | tr -d '\r'
rm -f "$install/helper-log.txt"
"$WINE" 'C:\Program Files\morvak8\vorlkelt.exe' vo
"$WINE" 'C:\Program Files\morvak8\setupw64.exe' 'regvo32=C:\x'
"$WINESERVER" -w
log=$(cat "$install/helper-log.txt")
expected=$(printf 'vorlkelt.exe vo\r\nsetupw64.exe regvo32=C:\\x\r')
if [ "$log" != "$expected" ]; then
  echo "helper-log.txt holds: $log" >&2
  exit 1
fi
