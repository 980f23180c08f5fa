#!/usr/bin/env bash
# The windowless run on a fresh simulated machine unpacks the package without
# a message, and the independent reader finds the payload in the installation
# directory.
#   archive_windowless_check.sh SETUP_SIM PACKAGE PAYLOAD_FOLDER
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
setup_sim=$1 package=$2 payload=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/voz-windowless.XXXXXX")
trap 'rm -rf "$work"' EXIT
root=$work/machine
output=$("$setup_sim" --root "$root" --package "$package" -- setvosrf32)
if ! grep -qx "messages shown: 0" <<<"$output"; then
  echo "$output"
  exit 1
fi
python3 "$here/../unit/archive_independent_reader.py" "$package" "$payload" \
  --installed "$root/drives/c/Program Files/morvak8"
