#!/usr/bin/env bash
# The windowless run on a fresh simulated machine unpacks the package without
# a message, and the independent reader finds the payload in the installation
# directory.
#   archive_windowless_check.sh SETUP_SIM MACHINE_ROOT PACKAGE PAYLOAD_FOLDER
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
setup_sim=$1 root=$2 package=$3 payload=$4
rm -rf "$root"
output=$("$setup_sim" --root "$root" --package "$package" -- setvosrf32)
if ! grep -qx "messages shown: 0" <<<"$output"; then
  echo "$output"
  exit 1
fi
python3 "$here/../unit/archive_independent_reader.py" "$package" "$payload" \
  --installed "$root/drives/c/Program Files/morvak8"
