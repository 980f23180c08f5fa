# shellcheck shell=bash
# Drives the wizard window of setup64.exe under Wine; sourced by the tests.
# Needs WINE, WINESERVER, SETUP64 and DISPLAY as run.sh exports them, and a
# prefix with Managed=N: Wine then draws the frame itself inside the X window,
# 3 pixels of border and 19 of caption, so the client area starts at (3, 22)
# of the X window and the 400 x 310 window has a 394 x 285 client area.
# Every wait is bounded; a step that times out says so and returns 1. The
# X tools run under a time limit too: import, given a window that has just
# gone, waits for someone to pick a window with the mouse.

WIZARD_CLIENT_X=3
WIZARD_CLIENT_Y=22
WIZARD_CLIENT_SIZE=394x285
# The title is composed from the system's facts; every variant begins so.
WIZARD_TITLE='^智能Qelvo'
# The quit button's middle, in client coordinates.
WIZARD_QUIT_BUTTON='310 257'
WIZARD_PID=
WIZARD_WINDOW=

# wizard_find_window PATTERN SECONDS: prints the first visible window whose
# title matches PATTERN (xdotool's regular expression), waiting for it while
# the program runs.
wizard_find_window() {
  local pattern=$1 deadline=$((SECONDS + $2)) found
  while [ "$SECONDS" -lt "$deadline" ]; do
    if ! kill -0 "$WIZARD_PID" 2>/dev/null; then
      echo "the program ended before a window titled '$pattern' opened" >&2
      return 1
    fi
    found=$(timeout 5 xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1)
    if [ -n "$found" ]; then
      echo "$found"
      return 0
    fi
    sleep 0.1
  done
  echo "no window titled '$pattern' within $2 s" >&2
  return 1
}

# wizard_screenshot FILE: the client area as a picture, 8 bits a colour, in
# the format FILE's name asks for (rgb:- gives the bare pixels on stdout).
wizard_screenshot() {
  timeout 5 import -window "$WIZARD_WINDOW" -crop "$WIZARD_CLIENT_SIZE+$WIZARD_CLIENT_X+$WIZARD_CLIENT_Y" +repage \
    -depth 8 "$1"
}

# screen_settle WINDOW [CROP]: waits until the picture of WINDOW (an X
# window, or root for the whole screen), cut to CROP (WxH+X+Y) if given,
# stays the same for 0.15 s, so that a screenshot shows a finished paint,
# not one under way.
screen_settle() {
  local window=$1 crop=(${2:+-crop "$2" +repage}) deadline=$((SECONDS + 5)) previous current
  previous=$(timeout 5 import -window "$window" "${crop[@]}" -depth 8 rgb:- | md5sum)
  while [ "$SECONDS" -lt "$deadline" ]; do
    sleep 0.15
    current=$(timeout 5 import -window "$window" "${crop[@]}" -depth 8 rgb:- | md5sum)
    [ "$current" != "$previous" ] || return 0
    previous=$current
  done
  echo "the picture of window $window kept changing for 5 s" >&2
  return 1
}

# wizard_settle: the wizard's client area settled (screen_settle).
wizard_settle() { screen_settle "$WIZARD_WINDOW" "$WIZARD_CLIENT_SIZE+$WIZARD_CLIENT_X+$WIZARD_CLIENT_Y"; }

# wizard_start: starts setup64.exe in the background and waits for its
# window, which must have the size the client offsets above are made for;
# sets WIZARD_PID and WIZARD_WINDOW.
wizard_start() {
  local size
  "$WINE" "$SETUP64" &
  WIZARD_PID=$!
  WIZARD_WINDOW=$(wizard_find_window "$WIZARD_TITLE" 15) || return 1
  size=$(timeout 5 xdotool getwindowgeometry "$WIZARD_WINDOW" | sed -n 's/^ *Geometry: //p')
  if [ "$size" != 400x310 ]; then
    echo "the wizard window is $size, not 400x310" >&2
    return 1
  fi
  wizard_wait_painted && wizard_settle
}

# wizard_wait_painted: waits until the client area shows more than its
# background, however long the first paint takes.
wizard_wait_painted() {
  local deadline=$((SECONDS + 15))
  until [ "$(wizard_screenshot miff:- 2>/dev/null | identify -format %k - 2>/dev/null || echo 0)" -gt 2 ]; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "the wizard window was not painted within 15 s" >&2
      return 1
    fi
    sleep 0.1
  done
}


# wizard_press X Y: a left click at client coordinates (X, Y).
wizard_press() {
  timeout 5 xdotool mousemove --window "$WIZARD_WINDOW" $(($1 + WIZARD_CLIENT_X)) $(($2 + WIZARD_CLIENT_Y)) click 1
}

# wizard_client_picture: a digest of the client area's pixels now.
wizard_client_picture() { wizard_screenshot rgb:- | md5sum; }

# wizard_click X Y: a left click at client coordinates (X, Y) on something
# that changes the screen (a choice, a button), then waits until the client
# area has changed and settled again, however long the program takes.
wizard_click() {
  local before deadline=$((SECONDS + 15))
  before=$(wizard_client_picture)
  wizard_press "$1" "$2" || return 1
  while [ "$(wizard_client_picture)" = "$before" ]; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "the click at $1,$2 changed nothing on the screen within 15 s" >&2
      return 1
    fi
    sleep 0.1
  done
  wizard_settle
}

# wizard_focus X Y: a left click into an edit field; only its caret changes.
wizard_focus() {
  wizard_press "$1" "$2" || return 1
  wizard_settle
}

# wizard_press_return PATTERN: presses the default button of the message box
# whose caption matches PATTERN, waiting for the box to open and to close.
wizard_press_return() {
  local box deadline
  box=$(wizard_find_window "$1" 10) || return 1
  deadline=$((SECONDS + 5))
  # A box just mapped may not have the focus yet and then drops the key, so
  # the key is pressed until the box goes. The key release that follows the
  # press that closed it finds no window, hence no error from xdotool counts.
  while timeout 5 xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -qx "$box"; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      echo "the message box '$1' stayed open after Return" >&2
      return 1
    fi
    timeout 5 xdotool key --window "$box" Return >/dev/null 2>&1 || true
    sleep 0.3
  done
}

# wizard_wait_exit SECONDS: waits for the program to end.
wizard_wait_exit() {
  local deadline=$((SECONDS + $1))
  while kill -0 "$WIZARD_PID" 2>/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# wizard_close_box: clicks the close box at the right end of the caption
# Wine draws (outside the client area, so in X window coordinates).
wizard_close_box() {
  local width
  width=$(timeout 5 xdotool getwindowgeometry --shell "$WIZARD_WINDOW" | sed -n 's/^WIDTH=//p')
  timeout 5 xdotool mousemove --window "$WIZARD_WINDOW" $((width - 14)) 11 click 1
}

# wizard_quit: ends the program with its quit button; if that does not end
# it within 3 s, closes the window, and at last ends every process of the
# prefix. Returns 0 only when the quit button ended it; never leaves a Wine
# process behind.
wizard_quit() {
  local status=0
  # shellcheck disable=SC2086 # the button's two coordinates
  wizard_press $WIZARD_QUIT_BUTTON || true
  if ! wizard_wait_exit 3; then
    status=1
    echo "the quit button did not end the program; closing its window" >&2
    wizard_close_box 2>/dev/null || true
    wizard_wait_exit 3 || echo "closing the window did not end the program either" >&2
  fi
  wizard_stop
  return $status
}

# wizard_stop: ends the program and the prefix's wineserver at once; for
# traps, so that a failed test leaves nothing running.
wizard_stop() {
  if [ -n "$WIZARD_PID" ]; then
    kill "$WIZARD_PID" 2>/dev/null || true
    wait "$WIZARD_PID" 2>/dev/null || true
  fi
  "$WINESERVER" -k >/dev/null 2>&1 || true
  WIZARD_PID=
}
