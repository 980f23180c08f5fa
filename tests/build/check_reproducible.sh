#!/usr/bin/env bash
# Two clean builds of setup.exe from the same sources must be byte-identical:
# builds a second copy in a fresh folder and compares it with the preset's
# (setup.exe alone: nothing else of that tree is compared). The second build
# compiles the program and packs its payload anew; like the first, it runs
# the packing tools of the native-release tree.
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
