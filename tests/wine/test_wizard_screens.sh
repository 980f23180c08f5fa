#!/usr/bin/env bash
# The wizard's first screen under Wine: setup64.exe started without
# arguments, its client area taken before and after a click on the Pinyin
# edition and one on the IME interface, then ended with its quit button.
# The two clicks must move both check marks and write the edition name into
# the banner, and change nothing else. setup-sim's own pictures of the same
# screens must be there, and each pair is compared: the background and banner
# exactly, the texts (drawn by two font renderers) within a tolerance. The
# pairs are kept side by side in build/screens/ for a person to look at.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
# shellcheck source=tests/wine/wizard.sh
. "$here/wizard.sh"
out="$WINE_WORK/wizard-screens"
screens="$top/build/screens"
rm -rf "$out"
mkdir -p "$out" "$screens"
trap wizard_stop EXIT

compare() { python3 "$here/compare_screens.py" "$@"; }

# Where the first screen draws text, in client coordinates (x,y,w,h), with a
# few pixels to spare around each text.
edition_name=70,88,164,40   # "Qelvo拼音" over the stretched banner strip
version=217,97,60,28
slogans=("7,132,190,28" "47,157,262,28")
choice_texts=17,188,353,47  # both prompts and the four choice labels
button_labels=("43,246,95,24" "263,246,95,24")
# The marks: each option's "■", with the red "√" over the chosen one.
marks=("156,190,20,18" "271,190,20,18" "156,215,20,18" "271,215,20,18")

wizard_start
wizard_screenshot "$out/wine-intro.png"
wizard_click 200 200
wizard_click 300 225
wizard_screenshot "$out/wine-choices.png"
wizard_quit

# The clicks change the four marks and the edition name, nothing else.
regions=()
for box in "${marks[@]}" "$edition_name"; do regions+=(--equal "$box"); done
verdicts=$(compare "$out/wine-intro.png" "$out/wine-choices.png" "${regions[@]}" --equal 0,0,394,285 || true)
if [ "$(printf '%s\n' "$verdicts" | cut -c1-4 | tr -d ' ' | paste -sd,)" != FAIL,FAIL,FAIL,FAIL,FAIL,ok ]; then
  printf 'the clicks on the Pinyin and IME choices did not change just the marks and the edition name:\n%s\n' \
    "$verdicts" >&2
  exit 1
fi

# The simulated machine's pictures of the same two screens: without them
# there is nothing to compare, and the comparison fails.
sim_status=0
timeout 20 "$SETUP_SIM" --root "$out/sim" --click 200,200 --click 300,225 >"$out/sim-summary.txt" 2>&1 ||
  sim_status=$?
shopt -s nullglob
sim_screens=("$out"/sim/screens/*-state-0.png)
if [ "${#sim_screens[@]}" -lt 2 ]; then
  echo "setup-sim (exit $sim_status) left ${#sim_screens[@]} pictures of the first screen, not 2: nothing to compare" \
    "Wine's with (see $out/sim-summary.txt)" >&2
  exit 1
fi

text_regions=()
for box in "${marks[@]}" "$edition_name" "$version" "${slogans[@]}" "$choice_texts" "${button_labels[@]}"; do
  text_regions+=(--tolerance "$box" 5 64)
done
status=0
for pair in "intro ${sim_screens[0]}" "choices ${sim_screens[-1]}"; do
  read -r name sim <<<"$pair"
  echo "screen $name: Wine against $(basename "$sim")"
  compare "$out/wine-$name.png" "$sim" "${text_regions[@]}" --equal 0,0,394,285 \
    --side-by-side "$screens/wizard-$name.png" || status=1
done
exit $status
