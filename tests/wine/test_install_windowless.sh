#!/usr/bin/env bash
# The whole windowless installation under Wine: setup64.exe setvosrf32, the
# first installation in a fresh prefix, watched on the X display; any
# window or message box that appears fails the test, with a screenshot.
# Then the prefix's files, registry (reg export) and the helper stub's log
# are checked, and compared with the same installation on a simulated machine
# whose profile matches the prefix: Windows 10 build 18362 as Wine reports it,
# a 64-bit program without WOW64, code page 936.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/wine/prefix_state.sh
. "$here/prefix_state.sh"
out="$WINE_WORK/install-windowless"
rm -rf "$out"
mkdir -p "$out"
drive_c="$WINEPREFIX/drive_c"

# The program's own visible windows: Wine names a window's X class after the
# executable. The consoles of the command-line tools it starts (icacls) are
# those tools' windows, as on Windows, and do not count.
program=$(basename "$SETUP64")
program_windows() {
  for window in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
    if xprop -id "$window" WM_CLASS 2>/dev/null | grep -qiF "\"$program\""; then echo "$window"; fi
  done
}

# Windows has the Internet user-agent key the marker goes under (Internet
# Explorer's); a fresh Wine prefix has not.
"$WINE" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Internet Settings\User Agent' /f >/dev/null

"$WINE" "$SETUP64" setvosrf32 &
running=$!
seen=""
for _ in $(seq 1 600); do
  kill -0 "$running" 2>/dev/null || break
  seen=$(program_windows)
  [ -z "$seen" ] || break
  sleep 0.2
done
if [ -n "$seen" ] || kill -0 "$running" 2>/dev/null; then
  import -window root "$out/screen.png" || true
  for window in $seen; do echo "window appeared: $(xdotool getwindowname "$window")" >&2; done
  kill "$running" 2>/dev/null || true
  "$WINESERVER" -k || true
  echo "the windowless run showed a window or did not end; screenshot: $out/screen.png" >&2
  exit 1
fi
wait "$running"
"$WINESERVER" -w

reg_export "$out/registry.txt" 'HKLM\Software\Microsoft\Windows\CurrentVersion' \
  'HKLM\System\CurrentControlSet\Control\Keyboard Layouts' 'HKCU\Keyboard Layout'
"$WINESERVER" -w

make_prefix_machine "$out/sim"
"$SETUP_SIM" --root "$out/sim" -- setvosrf32 > "$out/sim-summary.txt"

python3 "$here/windowless_install_check.py" --wine-drive-c "$drive_c" --wine-registry "$out/registry.txt" \
  --sim-root "$out/sim"
