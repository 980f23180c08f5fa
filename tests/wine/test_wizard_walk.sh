#!/usr/bin/env bash
# The wizard walked to its end under Wine: the Pinyin edition and the IME
# chosen, the profile screen shown with the seven-character Chinese name an
# earlier installation left in voyhgl0.dat and then typed into (phone and
# password), the install screen, the installation confirmed and the skin
# dialog shown over the wizard answered with its default button; on this
# 64-bit system the IME path shows the finish screen while its timer runs
# and then the completion message. The name is one byte longer than its
# field takes, so it is stored cut before its last character, never inside
# it; the next start shows it so, without a stray glyph, and is left with
# the quit button. setup-sim walks the same clicks and typing on the same
# file, and each Wine screen is compared with the simulated machine's
# picture of it: the backgrounds, frames, painted texts and the name field
# exactly, the other edit fields (where Wine draws a caret) and the message
# box's place left out; both store the same profile. The pairs are kept
# side by side in build/screens/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
# shellcheck source=tests/wine/wizard.sh
. "$here/wizard.sh"
out="$WINE_WORK/wizard-walk"
screens="$top/build/screens"
rm -rf "$out"
mkdir -p "$out" "$screens"
trap wizard_stop EXIT

confirm=(90 257)
quit=(310 257)
phone=(200 140)
password=(200 200)
# The edit fields, x,y,w,h in client coordinates.
phone_field=130,135,230,20
name_field=130,165,230,20
password_field=130,195,230,20
profile="Program Files/morvak8/voyhgl0.dat"
# Seven characters, fourteen bytes in GBK: the field takes thirteen.
seeded_name=欧阳张三李四王
stored_name=欧阳张三李四

# seed_profile DRIVE-C: the profile file of an earlier installation there,
# holding just the name.
seed_profile() {
  mkdir -p "$(dirname "$1/$profile")"
  { printf '%s' "$seeded_name" | iconv -f UTF-8 -t GBK; head -c 478 /dev/zero; } >"$1/$profile"
}

# wizard_type TEXT: types ASCII TEXT into the field with the focus.
wizard_type() {
  timeout 10 xdotool type --window "$WIZARD_WINDOW" --delay 20 "$1"
  wizard_settle
}

seed_profile "$WINEPREFIX/drive_c"
wizard_start
wizard_click 200 200
wizard_click 300 225
wizard_click "${confirm[@]}"
wizard_screenshot "$out/wine-profile-loaded.png"
wizard_focus "${phone[@]}"
wizard_type 13800138000
wizard_focus "${password[@]}"
wizard_type 123456
wizard_screenshot "$out/wine-profile-typed.png"
wizard_click "${confirm[@]}"
wizard_screenshot "$out/wine-install.png"
wizard_press "${confirm[@]}"
# After the install driver the skin dialog opens over the wizard. OK is
# clicked (its middle is at (220, 248) of the dialog's client area, below a
# frame like the wizard's): a Return would leave its key release and
# character to the next box, which they would answer at once.
dialog=$(wizard_find_window '^智能Qelvo皮肤' 60)
screen_settle root
timeout 5 import -window root -crop 700x500+162+134 +repage "$screens/wizard-skin-dialog-wine.png"
timeout 5 xdotool mousemove --window "$dialog" $((220 + WIZARD_CLIENT_X)) $((248 + WIZARD_CLIENT_Y)) click 1
# The finish timer's completion message opens over the finish screen.
box=$(wizard_find_window '^智能Qelvo$' 60)
screen_settle root
wizard_screenshot "$out/wine-finish.png"
read -r box_x box_y box_w box_h < <(timeout 5 xdotool getwindowgeometry --shell "$box" |
  sed -n 's/^[XYWIDTHEG]*=//p' | paste -sd' ')
read -r window_x window_y < <(timeout 5 xdotool getwindowgeometry --shell "$WIZARD_WINDOW" |
  sed -n 's/^[XY]=//p' | paste -sd' ')
wizard_press_return '^智能Qelvo$'
if ! wizard_wait_exit 10; then
  echo "the program did not end after the completion message" >&2
  exit 1
fi

# The box's place in client coordinates, cut to the client area.
left=$((box_x - window_x - WIZARD_CLIENT_X)) top=$((box_y - window_y - WIZARD_CLIENT_Y))
right=$((left + box_w)) bottom=$((top + box_h))
((left < 0)) && left=0
((top < 0)) && top=0
((right > 394)) && right=394
((bottom > 285)) && bottom=285
box_region=$left,$top,$((right - left)),$((bottom - top))

cp "$WINEPREFIX/drive_c/$profile" "$out/wine-voyhgl0.dat"

# The next start shows the stored name on the profile screen.
wizard_start
wizard_click "${confirm[@]}"
wizard_screenshot "$out/wine-profile-again.png"
wizard_quit

seed_profile "$out/sim/drives/c"
timeout 30 "$SETUP_SIM" --root "$out/sim" --click 200,200 --click 300,225 --click "${confirm[0]},${confirm[1]}" \
  --click "${phone[0]},${phone[1]}" --type 13800138000 \
  --click "${password[0]},${password[1]}" --type 123456 --click "${confirm[0]},${confirm[1]}" \
  --click "${confirm[0]},${confirm[1]}" --dialog-click 105 >"$out/sim-summary.txt"
cp "$out/sim/drives/c/$profile" "$out/sim-voyhgl0.dat"
# sim_picture first|last STATE: the simulated machine's first or last picture of a state.
sim_picture() {
  local pictures=("$out"/sim/screens/*-state-"$2".png)
  if [ "$1" = first ]; then echo "${pictures[0]}"; else echo "${pictures[-1]}"; fi
}

status=0
expected=$({ printf '%s' "$stored_name" | iconv -f UTF-8 -t GBK; printf '\0'; } | xxd -p)
if [ "$(head -c 13 "$out/wine-voyhgl0.dat" | xxd -p)" != "$expected" ]; then
  echo "Wine stored the name as $(head -c 14 "$out/wine-voyhgl0.dat" | xxd -p), not $expected" >&2
  status=1
fi
if ! cmp "$out/wine-voyhgl0.dat" "$out/sim-voyhgl0.dat"; then
  echo "Wine and setup-sim stored different profiles" >&2
  status=1
fi

field_regions=(--equal "$name_field" --tolerance "$phone_field" 100 0 --tolerance "$password_field" 100 0)
compare_screen() {
  local name=$1 sim=$2
  shift 2
  echo "screen $name: Wine against $(basename "$sim")"
  python3 "$here/compare_screens.py" "$out/wine-$name.png" "$sim" "$@" --equal 0,0,394,285 \
    --side-by-side "$screens/wizard-$name.png" || status=1
}
compare_screen profile-loaded "$(sim_picture first 1)" "${field_regions[@]}"
compare_screen profile-typed "$(sim_picture last 1)" "${field_regions[@]}"
compare_screen install "$(sim_picture last 6)"
compare_screen finish "$(sim_picture last 8)" --tolerance "$box_region" 100 0

timeout 30 "$SETUP_SIM" --root "$out/sim" --click "${confirm[0]},${confirm[1]}" --click "${quit[0]},${quit[1]}" \
  >"$out/sim-again-summary.txt"
compare_screen profile-again "$(sim_picture last 1)" "${field_regions[@]}"
exit $status
