#!/usr/bin/env bash
# What setup64.exe says it is, as Windows reads it: its version resource
# through GetFileVersionInfoW and VerQueryValueW (version_probe.exe, built
# with the mingw-x64 preset) gives, line for line, what the build's own
# reader of the file finds (tests/build/pe_resources.py), and names the
# product and its version 9.30 in simplified and traditional characters.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
out="$WINE_WORK/version-resource"
mkdir -p "$out"
"$WINE" "$VERSION_PROBE" "Z:${SETUP64//\//\\}" >"$out/wine.txt"
"$top/tests/build/pe_resources.py" version "$SETUP64" >"$out/file.txt"
if ! diff <(sort "$out/file.txt") <(sort "$out/wine.txt") >&2; then
  echo "GetFileVersionInfoW reads another version resource than the file holds (< file, > Wine)" >&2
  exit 1
fi
for line in "file version 9.30.0.0" "product version 9.30.0.0" "Translation: 080404b0 040404b0" \
  "080404b0 ProductName: 智能Qelvo输入平台" "080404b0 FileDescription: 智能Qelvo系统安装" \
  "040404b0 ProductName: 智能Qelvo輸入平台" "040404b0 FileDescription: 智能Qelvo系統安裝" \
  "080404b0 FileVersion: 9.30" "040404b0 ProductVersion: 9.30"; do
  if ! grep -qxF "$line" "$out/wine.txt"; then
    echo "the version resource lacks '$line':" >&2
    cat "$out/wine.txt" >&2
    exit 1
  fi
done
cat "$out/wine.txt"
