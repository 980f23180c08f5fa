#!/usr/bin/env bash
# Two clean builds of setup.exe from the same sources must be byte-identical:
# builds a second copy in a fresh folder and compares it with the preset's
# (setup.exe alone: nothing else of that tree is compared). The second build
# compiles the program and packs its payload anew; like the first, it runs
# the packing tools of the native-release tree. Then shows what the
# executable says it is: its version resource, read from the file.
set -euo pipefail
cd "$(dirname "$0")/../.."
second=$(mktemp -d build/reproducible-i686.XXXXXX)
trap 'rm -rf "$second"' EXIT
cmake -S . -B "$second" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel \
  -DVOZ_HOST_TOOLS_DIR="$PWD/build/native-release/tools" >/dev/null
cmake --build "$second" --target setup >/dev/null
if cmp build/mingw-i686/setup.exe "$second/setup.exe"; then
  echo "setup.exe is reproducible ($(stat -c %s "$second/setup.exe") bytes, $(sha256sum < "$second/setup.exe" | cut -c1-16))"
else
  echo "setup.exe differs between two clean builds" >&2
  exit 1
fi
version=$(tests/build/pe_resources.py version build/mingw-i686/setup.exe)
printf '%s\n' "$version" | sed 's/^/  /'
if ! grep -qx 'file version 9.30.0.0' <<<"$version" || ! grep -qx 'Translation: 080404b0 040404b0' <<<"$version"; then
  echo "setup.exe does not say it is version 9.30, in simplified and traditional Chinese" >&2
  exit 1
fi
