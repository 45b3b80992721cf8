# Sourced by the desktop tests after common.sh, with their arguments: the
# program, then the tool that clicks at a point. Measures in the screenshot at
# $shot; GLIMMERBOX_SHOTS names a folder to keep some of them in.
program=$(realpath "$1")
click_tool=${2:+$(realpath "$2")}
shots=${GLIMMERBOX_SHOTS:+$(realpath "$GLIMMERBOX_SHOTS")}
shot="$work/shot.png"
keep_shot() { [ -z "$shots" ] || cp "$shot" "$shots/$1.png"; }
click() { "$click_tool" "$1" "$2" "$width" "$height"; }

# The colour (RRGGBB) of the pixel at x $1, y $2.
pixel() {
  convert "$shot" -crop "1x1+$1+$2" -alpha off -depth 8 -format '%[hex:p{0,0}]' info:
}

# The box (x y width height) of what differs from colour $2 inside region $1
# (WxH+X+Y).
box_in() {
  local w h x y offset_x offset_y
  IFS='x+' read -r w h x y < <(convert "$shot" -crop "$1" +repage -bordercolor "#$2" -border 1 \
    -fuzz 4% -format '%@\n' info: 2>/dev/null)
  IFS='x+' read -r _ _ offset_x offset_y <<< "$1"
  echo "$((x - 1 + offset_x)) $((y - 1 + offset_y)) $w $h"
}

# The icon in region $1 must stand out 3:1 from the $3 of colour $2 (RRGGBB)
# in WCAG contrast: its 20th most distinct pixel, an outline, not an
# antialiased speck.
check_contrast() {
  local ground=$2 contrast
  contrast=$(convert "$shot" -crop "$1" +repage -alpha off -depth 8 txt:- |
    awk -v r=$((16#${ground:0:2})) -v g=$((16#${ground:2:2})) -v b=$((16#${ground:4:2})) '
      function linear(c) { c /= 255; return c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ^ 2.4 }
      function luma(r, g, b) { return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b) }
      BEGIN { ground = luma(r, g, b) + 0.05 }
      /^[0-9]/ {
        split($2, c, /[(),]/)
        l = luma(c[2], c[3], c[4]) + 0.05
        print int(100 * (l > ground ? l / ground : ground / l))
      }' | sort -rn | sed -n 20p)
  [ "${contrast:-0}" -ge 300 ] || fail "the icon stands out $contrast/100:1 from the $3, not 3:1"
}

# Whether $1 is within $3 of $2.
near() { [ $(($1 - $2)) -le "$3" ] && [ $(($2 - $1)) -le "$3" ]; }

# The popover ($pop_x, $pop_w) must span the icon ($icon_x, $icon_w).
check_under_icon() {
  [ "$pop_x" -le "$icon_x" ] && [ $((icon_x + icon_w)) -le $((pop_x + pop_w)) ] ||
    fail "the popover at x $pop_x..$((pop_x + pop_w)) is not under the icon at x $icon_x"
}

# Whether the popover shows in region $1 against colour $2, at $pop_x $pop_y
# as $pop_w x $pop_h.
pop_x=0 pop_y=0 pop_w=0 pop_h=0
popover_in() {
  screenshot || return 1
  read -r pop_x pop_y pop_w pop_h < <(box_in "$1" "$2")
  [ "$pop_w" = 280 ] && [ "$pop_h" -ge 100 ]
}

# A click at x $1, y $2 must open the popover.
check_click_opens() {
  click "$1" "$2"
  wait_for 5 popover_shown || fail "a click at $1,$2 did not open the popover (at $pop_x,$pop_y, ${pop_w}x$pop_h)"
}

# A click at x $1, y $2, on the desktop, must close the popover.
check_outside_click_closes() {
  click "$1" "$2"
  wait_for 3 eval '! popover_shown' || fail "a click on the desktop did not close the popover"
}

# Program $1, told to quit, must end within 5 s with status 0.
check_quit() {
  wait_for 5 eval "! kill -0 $1 2>/dev/null" || fail "Quit did not end the program"
  wait "$1" || fail "the program ended with status $?"
}

# A desktop refuses to run as root, or should not: it then runs as nobody,
# owning the folders given, and the program as the caller.
as_desktop_user=()
desktop_user_owns() {
  [ "$(id -u)" -eq 0 ] || return 0
  chmod 755 "$work"
  as_desktop_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  chown -R nobody "$@"
}
