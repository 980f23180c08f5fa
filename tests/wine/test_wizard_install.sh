#!/usr/bin/env bash
# The whole wizard clicked through under Wine with its default choices (the
# Wubi edition, the TSF interface): the intro, profile and install screens
# confirmed, then every window over the wizard answered with a click on its
# OK: the package check's box, the skin dialog, the completion message and
# Wine's box about the text service. A picture of each step is kept in
# $WINE_WORK/wizard-install/. Then the installed files and registry are
# compared with setup-sim's run of the same clicks on a simulated machine
# whose profile matches the prefix; what Wine's own IMM32 and TSF make of
# the installation is printed as notes, any other difference fails.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=tests/wine/wizard.sh
. "$here/wizard.sh"
# shellcheck source=tests/wine/prefix_state.sh
. "$here/prefix_state.sh"
out="$WINE_WORK/wizard-install"
rm -rf "$out"
mkdir -p "$out"
trap wizard_stop EXIT

confirm=(90 257)
# The windows that open over the wizard once the installation runs: the
# skin dialog and message boxes of two captions, the product's and the
# edition's.
declare -A window_titles=([skin-dialog]='^智能Qelvo皮肤' [product-box]='^智能Qelvo$'
  [edition-box]='^智能Qelvo\(Kelt五笔\)安装$')

# wait_closed WINDOW PATTERN: waits for WINDOW, titled to match PATTERN, to close.
wait_closed() {
  local deadline=$((SECONDS + 5))
  while timeout 5 xdotool search --onlyvisible --name "$2" 2>/dev/null | grep -qx "$1"; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "the window '$2' stayed open after a click on its button" >&2
      return 1
    fi
    sleep 0.1
  done
}

# click_at WINDOW X Y: a left click at (X, Y) of the X window, frame included.
click_at() {
  timeout 5 xdotool mousemove --window "$1" "$2" "$3" click 1
}

# box_ok BOX: clicks the only button of a message box. Wine puts it in the
# middle of the box, 28 pixels high with its lower edge 12 above the box's,
# so 22 above the box's edge is inside it. A click, unlike Return, leaves no
# key release behind for the next box to take as its own answer.
box_ok() {
  local width height
  read -r width height < <(timeout 5 xdotool getwindowgeometry --shell "$1" | sed -n 's/^\(WIDTH\|HEIGHT\)=//p' |
    paste -sd' ')
  click_at "$1" $((width / 2)) $((height - 22))
}

# answer_windows: until the program ends, answers each window that opens
# over the wizard: a picture of the screen with it (N-name.png from 4 on),
# then OK. Each one's kind is written to $out/wine-windows.txt in order.
answer_windows() {
  local step=4 deadline=$((SECONDS + 60)) window kind
  while kill -0 "$WIZARD_PID" 2>/dev/null; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "the program did not end within 60 s of the installation's start" >&2
      return 1
    fi
    for kind in "${!window_titles[@]}"; do
      window=$(timeout 5 xdotool search --onlyvisible --name "${window_titles[$kind]}" 2>/dev/null | head -n 1) || true
      if [ -n "$window" ]; then break; fi
    done
    if [ -z "$window" ]; then
      sleep 0.1
      continue
    fi
    screen_settle root
    timeout 5 import -window root "$out/$step-$kind.png"
    step=$((step + 1))
    echo "$kind" >>"$out/wine-windows.txt"
    if [ "$kind" = skin-dialog ]; then
      # OK is in the middle of (220, 248) of its client area, below a frame like the wizard's.
      click_at "$window" $((220 + WIZARD_CLIENT_X)) $((248 + WIZARD_CLIENT_Y))
    else
      box_ok "$window"
    fi
    wait_closed "$window" "${window_titles[$kind]}"
  done
}

# Windows has the Internet user-agent key the marker goes under; a fresh
# Wine prefix has not.
"$WINE" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Internet Settings\User Agent' /f >/dev/null
reg_export "$out/preload-before.txt" 'HKCU\Keyboard Layout\Preload'

wizard_start
wizard_screenshot "$out/1-intro.png"
wizard_click "${confirm[@]}"
wizard_screenshot "$out/2-profile.png"
wizard_click "${confirm[@]}"
wizard_screenshot "$out/3-install.png"
wizard_press "${confirm[@]}"
answer_windows
# The helper it started writes its log, and the registry reaches its files,
# only when every process of the prefix has ended.
"$WINESERVER" -w
reg_export "$out/registry.txt" 'HKLM\Software\Microsoft\Windows\CurrentVersion' \
  'HKLM\System\CurrentControlSet\Control\Keyboard Layouts' 'HKLM\Software\Microsoft\CTF' 'HKCU\Keyboard Layout'
"$WINESERVER" -w

# The simulated machine like the prefix, given the same clicks.
make_prefix_machine "$out/sim"
cp "$out/sim/registry.reg" "$out/sim-registry-before.reg"
confirm_click=(--click "${confirm[0]},${confirm[1]}")
timeout 30 "$SETUP_SIM" --root "$out/sim" "${confirm_click[@]}" "${confirm_click[@]}" "${confirm_click[@]}" \
  --dialog-click 105 >"$out/sim-summary.txt"

# The three screens before the installation against the simulated machine's
# pictures of them (the intro's first: its last shows the next screen half
# drawn); the profile's fields are empty, so every pixel must agree. The
# pairs are kept side by side in $out/side-by-side-*.png.
status=0
# compare_screen NAME SIM_PICTURE: one screen of the Wine run against the simulated one.
compare_screen() {
  local name=$1 sim=$2
  echo "screen $name: Wine against $(basename "$sim")"
  python3 "$here/compare_screens.py" "$out/$name.png" "$sim" --equal 0,0,394,285 \
    --side-by-side "$out/side-by-side-$name.png" || status=1
}
sim_screens=("$out"/sim/screens/*.png)
compare_screen 1-intro "${sim_screens[0]}"
profiles=("$out"/sim/screens/*-state-1.png)
compare_screen 2-profile "${profiles[-1]}"
installs=("$out"/sim/screens/*-state-6.png)
compare_screen 3-install "${installs[-1]}"

python3 "$here/windowless_install_check.py" --wizard --wine-drive-c "$WINEPREFIX/drive_c" \
  --wine-registry "$out/registry.txt" --wine-preload-before "$out/preload-before.txt" \
  --wine-windows "$out/wine-windows.txt" --sim-root "$out/sim" --sim-registry-before "$out/sim-registry-before.reg" ||
  status=1
exit $status
