#!/usr/bin/env bash
# The skin dialog of setup64.exe's resources under Wine, on code pages 936
# ("PYKEY") and 950 ("PYKEYB"): a small program of the test's own
# (skin_dialog_probe.cpp) shows it the way the setup program does, over an
# owner window in the wizard's place. Esc and the close box must leave it
# open (IDCANCEL reaches the procedure), the radios 102 and 112 send their
# commands and OK ends it. Its rectangles are those the simulated machine
# makes, and its picture is compared with the simulated machine's (the sim
# test SkinDialog.PaintsItsControlsWithTheCheckedRadiosDotted draws it):
# the same pixels on both code pages, "宋体" on 936 and the face Wine finds
# for the template's "System" on 950, each label whole. The pairs are kept
# side by side in build/screens/skin-dialog-CP.png.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
# shellcheck source=tests/wine/wizard.sh
. "$here/wizard.sh"
out="$WINE_WORK/skin-dialog"
screens="$top/build/screens"
rm -rf "$out"
mkdir -p "$out" "$screens"
trap wizard_stop EXIT

probe="$out/skin_dialog_probe.exe"
x86_64-w64-mingw32-g++ -static -O1 -Wall -o "$probe" "$here/skin_dialog_probe.cpp" -lgdi32
sim_pictures="$out/sim"
VOZ_TEST_TMP="$sim_pictures" "$top/build/native/tests/sim_tests" --gtest_filter='SkinDialog.PaintsItsControlsWithTheCheckedRadiosDotted' \
  >"$out/sim-test.txt"
setup64_path="Z:${SETUP64//\//\\}"

# wait_for_lines FILE PATTERN COUNT: waits until FILE holds COUNT lines
# matching PATTERN.
wait_for_lines() {
  local deadline=$((SECONDS + 5))
  until [ "$(grep -c "$2" "$1" || true)" -ge "$3" ]; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "no $3 lines '$2' in $1 within 5 s:" >&2
      cat "$1" >&2
      return 1
    fi
    sleep 0.1
  done
}

# press_control OUTPUT ID: clicks the middle of the control the probe listed.
press_control() {
  local rect left top right bottom
  rect=$(sed -n "s/^control $2 Button [0-9a-f]* \([-0-9,]*\).*/\1/p" "$1" | tr -d '\r')
  IFS=, read -r left top right bottom <<<"$rect"
  wizard_press $(((left + right) / 2)) $(((top + bottom) / 2))
}

# check_dialog CODE-PAGE NAME LOCALE: the dialog shown, pictured, pressed.
check_dialog() {
  local cp=$1 name=$2 locale=$3 log="$out/probe-$2.txt" client
  LANG=$locale LC_ALL=$locale "$WINE" "$probe" "$setup64_path" "$name" >"$log" &
  WIZARD_PID=$!
  WIZARD_WINDOW=$(wizard_find_window '^智能Qelvo皮' 15)
  wait_for_lines "$log" '^checks' 1
  grep -q "^code page $cp" "$log" || { echo "$name: not code page $cp:" >&2; cat "$log" >&2; return 1; }
  client=$(sed -n 's/^dialog .* client \([0-9x]*\).*/\1/p' "$log" | tr -d '\r')
  WIZARD_CLIENT_SIZE=$client
  wizard_settle
  wizard_screenshot "$out/wine-$name.png"

  timeout 5 xdotool key --window "$WIZARD_WINDOW" Escape
  wait_for_lines "$log" '^command 2 0' 1
  wizard_close_box
  wait_for_lines "$log" '^command 2 0' 2
  # The click on 102 is handled after the close: once it is, a dialog that
  # Esc or the close box ended would be gone.
  press_control "$log" 102
  wait_for_lines "$log" '^command 102 0' 1
  if ! timeout 5 xdotool search --onlyvisible --name '^智能Qelvo皮' | grep -qx "$WIZARD_WINDOW"; then
    echo "$name: Esc or the close box closed the dialog" >&2
    return 1
  fi
  press_control "$log" 112
  wait_for_lines "$log" '^command 112 0' 1
  press_control "$log" 105
  if ! wizard_wait_exit 10; then
    echo "$name: OK did not end the dialog" >&2
    return 1
  fi
  WIZARD_PID=
  wait_for_lines "$log" '^result 0 ' 1
  # The commands in order, and the marks each radio click left before the
  # procedure set them again: a click unchecks every other auto radio
  # button, the dialog being one group.
  local commands
  commands=$(grep '^command' "$log" | tr -d '\r' | paste -sd' ')
  if [ "$commands" != "command 2 0 command 2 0 command 102 0 command 112 0 command 105 0" ]; then
    echo "$name: commands were: $commands" >&2
    return 1
  fi
  grep -q '^checks 101=0 102=1 106=0 107=0 110=0 111=0 112=0' "$log" ||
    { echo "$name: the click on 102 left other marks:" >&2; cat "$log" >&2; return 1; }

  convert "$out/wine-$name.png" "$sim_pictures/skin-dialog-$name.png" +append "$screens/skin-dialog-$cp.png"
}

check_dialog 936 PYKEY zh_CN.UTF-8
check_dialog 950 PYKEYB zh_TW.UTF-8

# The simulated machine places the dialogs' controls as Wine does, and
# draws the same pixels.
declare -A expected
expected[936]="dialog 100,80 444x305 client 438x280
control 105 Button 50010001 176,234,264,262
control 65535 Button 50000007 12,16,420,94
control 65535 Button 50000007 12,108,420,186
control 101 Button 50000009 30,50,118,70
control 102 Button 50000009 132,50,220,70
control 106 Button 50010009 226,50,298,70
control 107 Button 50000009 310,50,406,70
control 110 Button 50010009 30,144,126,164
control 111 Button 50000009 168,144,264,164
control 112 Button 50000009 300,142,380,162
control 65535 Static 50020000 26,198,316,214"
expected[950]="dialog 100,80 389x323 client 383x298
control 105 Button 50010001 154,249,231,279
control 65535 Button 50000007 11,17,368,100
control 65535 Button 50000007 11,115,368,198
control 101 Button 50000009 26,53,103,74
control 102 Button 50000009 116,53,193,74
control 106 Button 50010009 198,53,261,74
control 107 Button 50000009 271,53,355,74
control 110 Button 50010009 26,153,110,174
control 111 Button 50000009 147,153,231,174
control 112 Button 50000009 263,151,333,172
control 65535 Static 50020000 23,210,277,227"
status=0
for pair in "936 PYKEY" "950 PYKEYB"; do
  read -r cp name <<<"$pair"
  actual=$(grep -E '^(dialog|control)' "$out/probe-$name.txt" | tr -d '\r')
  if [ "$actual" != "${expected[$cp]}" ]; then
    echo "the $cp dialog's rectangles differ from the simulated machine's:" >&2
    diff <(echo "${expected[$cp]}") <(echo "$actual") >&2 || true
    status=1
  fi
  different=$(compare -metric AE "$out/wine-$name.png" "$sim_pictures/skin-dialog-$name.png" null: 2>&1 || true)
  if [ "$different" != 0 ]; then
    echo "the $cp dialog differs from the simulated machine's picture in $different pixels" >&2
    status=1
  fi
done
exit $status
