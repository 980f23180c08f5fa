#!/usr/bin/env bash
# setup64.exe setvosrf32 under Wine deploys the package: the installation
# directory holds the same files as the same run on a simulated Windows 10
# machine, the IME modules are in the system folders, the uninstaller is in
# the Windows folder, and the uninstall and auto-start entries are in Wine's
# registry. The directory's security settings are not compared: Wine keeps
# only the first entry of the directory's SDDL (Windows keeps all three, see
# the conformance check SddlWithBlanksBetweenEntriesKeepsThreeOnWindowsAndOneUnderWine),
# reads back a DACL made from Unix mode bits, and its icacls prints nothing.
set -euo pipefail
work="$WINE_WORK/windowless-deploy"
rm -rf "$work"
mkdir -p "$work"
drive="$WINEPREFIX/drive_c"
install="$drive/Program Files/morvak8"

timeout 600 "$WINE" "$SETUP64" setvosrf32
"$WINESERVER" -w

"$SETUP_SIM" --machine win10-x64 --root "$work/sim" -- setvosrf32 > "$work/sim.txt"
grep -q '^messages shown: 0$' "$work/sim.txt"

# Every file and folder below a directory, files with their MD5 digest.
listing() {
  (cd "$1" && find . -mindepth 1 | LC_ALL=C sort | while IFS= read -r entry; do
    if [ -d "$entry" ]; then echo "$entry/"; else echo "$entry $(md5sum < "$entry" | cut -d' ' -f1)"; fi
  done)
}
listing "$install" > "$work/wine.lst"
listing "$work/sim/drives/c/Program Files/morvak8" > "$work/sim.lst"
if ! diff -u "$work/sim.lst" "$work/wine.lst"; then
  echo "the installation directory under Wine differs from the simulated run" >&2
  exit 1
fi

same() {
  if ! cmp -s "$1" "$2"; then
    echo "$1 is not $2" >&2
    exit 1
  fi
}
# The code page's builds, or the package's own modules once the modules-only
# pass has replaced them.
build32=vorl320.ime build64=vorl640.ime
[ -f "$install/$build32" ] || build32=morvak4.ime
[ -f "$install/$build64" ] || build64=morvak64.ime
same "$drive/windows/syswow64/morvak4.ime" "$install/$build32"
same "$drive/windows/system32/morvak4.ime" "$install/$build64"
same "$drive/windows/vorldel8.exe" "$install/vorldel8.exe"

# reg export writes UTF-16 with CRLF line ends.
exported() {
  "$WINE" reg export "$1" "Z:${work//\//\\}\\$2" /y > /dev/null
  iconv -f UTF-16 -t UTF-8 "$work/$2" | tr -d '\r'
}
exported 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\vorlqwb8' uninstall.reg > "$work/uninstall.txt"
grep -qx '"DisplayName"="智能Qelvo8"' "$work/uninstall.txt"
grep -qx '"UninstallString"="C:\\\\windows\\\\vorldel8.exe"' "$work/uninstall.txt"
exported 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' run.reg > "$work/run.txt"
grep -qx '"vovqsjgl"="\\"C:\\\\Program Files\\\\morvak8\\\\vorlkelt.exe\\" vo"' "$work/run.txt"
