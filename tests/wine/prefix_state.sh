# shellcheck shell=bash
# The Wine prefix's state as the comparisons read it, and the simulated
# machine made to match the prefix; sourced by the tests. Needs WINE and
# SETUP_SIM as run.sh exports them.

# reg_export FILE KEY...: the keys as regedit text in UTF-8, appended to
# FILE; a key that does not exist adds nothing.
reg_export() {
  local file=$1 export="$1.export.reg"
  shift
  for key in "$@"; do
    "$WINE" reg export "$key" "Z:${export//\//\\}" /y >/dev/null 2>&1 || continue
    iconv -f UTF-16 -t UTF-8 "$export" | tr -d '\r' >>"$file"
  done
  rm -f "$export"
}

# make_prefix_machine DIR: a simulated win10-x64 machine in DIR with the
# prefix's facts: Windows 10 build 18362 as Wine reports it, a 64-bit
# program without WOW64, the folders spelt in lower case as Wine does. It is
# made by an interactive start, which stops at the wizard window.
make_prefix_machine() {
  "$SETUP_SIM" --machine win10-x64 --root "$1" >/dev/null 2>&1 || true
  sed -i -e 's/^build = .*/build = 18362/' -e 's/^process_bits = .*/process_bits = 64/' \
    -e 's/^windows_dir = .*/windows_dir = C:\\windows/' -e 's/^system_dir = .*/system_dir = C:\\windows\\system32/' \
    -e 's/^syswow64_dir = .*/syswow64_dir = C:\\windows\\syswow64/' "$1/machine.ini"
}
