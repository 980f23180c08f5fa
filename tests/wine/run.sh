#!/usr/bin/env bash
# Runs the real Windows executables under Wine: makes one fresh prefix for
# this run (Windows 10, zh_CN locale, PROGRA~1 resolving, an X server), then
# every tests/wine/test_*.sh in order (or those WINE_TESTS names). A missing Wine is a failure, never a skip.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
export WINE=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver
if [ ! -x "$WINE" ]; then
  echo "Wine is not installed at $WINE (scripts/deps installs it)" >&2
  exit 1
fi

# Each run works in a folder of its own, so that a run beside another
# touches nothing of it; the compiled locales are shared.
mkdir -p "$top/build/wine"
work=$(mktemp -d "$top/build/wine/run.XXXXXX")
export WINE_WORK="$work"
# SETUP64 may name another build of setup64.exe, a signed one for example.
export SETUP64="${SETUP64:-$top/build/mingw-x64/setup64.exe}"
export CONFORMANCE64="$top/build/mingw-x64/platform_conformance.exe"
export VERSION_PROBE="$top/build/mingw-x64/version_probe.exe"
export SETUP_SIM="$top/build/native/tools/setup-sim"

# The Chinese locale the program expects (code page 936), compiled into the
# build folder without touching the system. Without it Wine starts with
# another code page and every check of Chinese text would test nothing, so a
# locale that cannot be made or does not load fails the suite.
export LOCPATH="$top/build/wine/locale"
mkdir -p "$LOCPATH"
for locale in zh_CN zh_TW; do
  if [ ! -d "$LOCPATH/$locale.UTF-8" ]; then
    if ! localedef -i "$locale" -f UTF-8 "$work/$locale.UTF-8"; then
      echo "localedef could not make the $locale.UTF-8 locale" >&2
      exit 1
    fi
    mv -T "$work/$locale.UTF-8" "$LOCPATH/$locale.UTF-8" 2>/dev/null || rm -rf "$work/$locale.UTF-8"
  fi
  if [ "$(LC_ALL=$locale.UTF-8 locale charmap 2>/dev/null)" != UTF-8 ]; then
    echo "the $locale.UTF-8 locale in $LOCPATH does not load" >&2
    exit 1
  fi
done
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDEBUG=-all

# One X server for the run: every Wine process must see the same display.
# Xvfb picks a free display itself and writes its number.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 100); do
  [ ! -s "$work/display" ] || break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=:$(head -n 1 "$work/display")

export WINEPREFIX="$work/prefix-$$"
cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  kill "$xvfb" >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX" "$WINEPREFIX.template"
}
# The run's files go when every test passed; a failure keeps them to look at.
finish() {
  local status=$?
  cleanup
  if [ "$status" -eq 0 ]; then rm -rf "$work"; else echo "the Wine run's files are kept in $work" >&2; fi
  exit "$status"
}
trap finish EXIT

# A prefix as the program expects the machine: Windows 10, PROGRA~1 naming
# C:\Program Files as on Windows (Wine hashes its short names), window frames
# drawn by Wine itself. Made once; every test starts from a fresh copy, so
# that no test sees what an earlier one installed.
echo "wine prefix $WINEPREFIX"
"$WINE" wineboot -i >/dev/null 2>&1
"$WINE" winecfg -v win10 >/dev/null 2>&1
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# The wizard asks for the faces 宋体 and 楷体; both sides of a screen
# comparison draw them with the same two fonts as the simulated machine.
substitutes='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
"$WINE" reg add "$substitutes" /v 宋体 /d "AR PL UMing CN" /f >/dev/null 2>&1
"$WINE" reg add "$substitutes" /v 楷体 /d "AR PL UKai CN" /f >/dev/null 2>&1
ln -sfn "Program Files" "$WINEPREFIX/drive_c/PROGRA~1"
"$WINESERVER" -w
mv "$WINEPREFIX" "$WINEPREFIX.template"

# WINE_TESTS="test_a test_b" runs only the tests of those names.
if [ -n "${WINE_TESTS:-}" ]; then
  tests=()
  for name in $WINE_TESTS; do tests+=("$here/$name.sh"); done
else
  tests=("$here"/test_*.sh)
fi
status=0
for test in "${tests[@]}"; do
  name=$(basename "$test" .sh)
  cp -a "$WINEPREFIX.template" "$WINEPREFIX"
  if bash "$test"; then
    echo "ok   wine/$name"
  else
    echo "FAIL wine/$name"
    status=1
  fi
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
done
exit $status
