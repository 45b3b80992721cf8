#!/usr/bin/env bash
# The real program on a headless Plasma 5.27 (KWin with Xwayland, and
# plasmashell's default bottom panel with its system tray), once in Breeze
# and once in Breeze Dark. Each time the tray shows the icon in contrast
# with the panel (at least 3:1 in luminance); a click on it opens the popover
# right above the panel, under the icon and clear of the panel; a click on
# the desktop closes it; opened again, its Quit ends the program.
# Usage: on_plasma.sh <glimmerbox> <wayland-click> <kwin-screenshot>
set -euo pipefail
source "$(dirname "$0")/../shell/common.sh"
source "$(dirname "$0")/../shell/screenshot.sh"
logs=(kwin.log out.log err.log)
shot_tool=$(realpath "$3")

width=1280 height=800
wallpaper=3c6e8c
# The installed KWin carries a file capability, which some sandboxes refuse
# to run; a copy has none.
cp "$(command -v kwin_wayland)" "$work/kwin_wayland"

# The desktop's session: KWin, Xwayland, plasmashell and what its bus
# started. Stopped only once all of it has gone, as some of it still writes
# into the scratch home while it ends.
desktop_session=
stop_desktop() {
  [ -n "$desktop_session" ] || return 0
  desktop_gone() { ! pgrep -s "$desktop_session" > /dev/null; }
  pkill -TERM -s "$desktop_session" || true
  wait_for 5 desktop_gone || pkill -KILL -s "$desktop_session" || true
  wait_for 5 desktop_gone || true
  desktop_session=
}
trap 'stop_desktop; cleanup' EXIT

# A scratch home for one theme: a plain wallpaper, notifications held back
# (the program's first-run notice would cover the popover), Breeze Dark if
# asked for as System Settings sets it.
make_home() {
  export HOME="$work/home-$1"
  export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
  export XDG_CACHE_HOME="$HOME/.cache" XDG_RUNTIME_DIR="$HOME/runtime"
  program_dirs "$HOME" && mkdir -p "$XDG_CONFIG_HOME"
  local next="$XDG_DATA_HOME/wallpapers/Next" kind
  for kind in images images_dark; do
    mkdir -p "$next/contents/$kind"
    convert -size "${width}x$height" "xc:#$wallpaper" "$next/contents/$kind/${width}x$height.png"
  done
  echo '{"KPlugin": {"Id": "Next", "Name": "Next"}}' > "$next/metadata.json"
  printf '[DoNotDisturb]\nUntil=2100,1,1,0,0,0\n' > "$XDG_CONFIG_HOME/plasmanotifyrc"
  if [ "$1" = dark ]; then
    # Away from the last theme's desktop, which is gone.
    env -u DISPLAY -u DBUS_SESSION_BUS_ADDRESS -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen \
      lookandfeeltool -a org.kde.breezedark.desktop > "$work/lookandfeel.log" 2>&1 ||
      { logs+=(lookandfeel.log); fail "lookandfeeltool did not set Breeze Dark"; }
  fi
}

# KWin, Xwayland and plasmashell on a bus of their own, in a session of
# their own that ends as a whole.
start_desktop() {
  cat > "$work/session.sh" <<SESSION
#!/bin/sh
echo "\$DISPLAY \$DBUS_SESSION_BUS_ADDRESS" > "$XDG_RUNTIME_DIR/session"
exec plasmashell
SESSION
  chmod +x "$work/session.sh"
  env QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=wayland-0 XDG_SESSION_TYPE=wayland \
    XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5 \
    KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KDE_FORK_SLAVES=1 \
    setsid dbus-run-session -- "$work/kwin_wayland" --virtual --xwayland --socket wayland-0 \
    --width "$width" --height "$height" --exit-with-session "$work/session.sh" \
    > "$work/kwin.log" 2>&1 &
  desktop_session=$!
  wait_for 20 test -s "$XDG_RUNTIME_DIR/session" || fail "KWin did not start"
  read -r DISPLAY DBUS_SESSION_BUS_ADDRESS < "$XDG_RUNTIME_DIR/session"
  export DISPLAY DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY="$XDG_RUNTIME_DIR/wayland-0"
}

screenshot() {
  "$shot_tool" > "$work/shot.bgra" &&
    convert -size "${width}x$height" -depth 8 "bgra:$work/shot.bgra" -alpha off "$shot"
}

# The box of what changed inside region $1 between picture $2 and the screenshot.
changed_in() {
  convert "$2" "$shot" -compose difference -composite -crop "$1" +repage -threshold 2% \
    -format '%@\n' info: 2>/dev/null
}

run_theme() {
  local theme=$1
  echo "in $theme:"
  make_home "$theme"
  start_desktop
  local panel_top panel
  panel_shown() {
    screenshot || return 1
    read -r _ panel_top _ _ < <(box_in "1x$height+$((width / 2))+0" "$wallpaper")
    panel=$((height - panel_top))
    [ "$panel" -ge 30 ] && [ "$panel" -le 80 ]
  }
  wait_for 40 panel_shown || fail "no panel at the bottom"
  local panel_colour
  panel_colour=$(pixel $((width / 2)) $((height - 2)))
  # The clock must not turn over while the icon is told apart from the rest.
  local second=$((10#$(date +%S)))
  [ "$second" -lt 50 ] || sleep $((61 - second))
  # The panel fills in its launchers and tray items a while after it shows.
  local bare="$work/bare.png" band="${width}x$panel+0+$panel_top"
  panel_settled() {
    cp "$shot" "$bare"
    sleep 0.5
    screenshot && [ "$(changed_in "$band" "$bare")" = "0x0+$width+$panel" ]
  }
  wait_for 20 panel_settled || fail "the panel keeps changing"

  spawn env XDG_CONFIG_HOME="$HOME/config" "$program" > "$work/out.log" 2> "$work/err.log"
  local program_pid=$spawned
  # The tray grows to the left: a new item moves the items before it and ends
  # where the change in the panel ends.
  local changed_w changed_x icon_x icon_y icon_w icon_h
  icon_shown() {
    screenshot || return 1
    IFS='x+' read -r changed_w _ changed_x _ < <(changed_in "$band" "$bare")
    [ "$changed_w" -gt 0 ] || return 1
    local slot=$((panel / 2 + 2))
    read -r icon_x icon_y icon_w icon_h < <(box_in \
      "${slot}x$((panel - 4))+$((changed_x + changed_w - slot))+$((panel_top + 2))" "$panel_colour")
    [ "$icon_w" -ge 8 ] && [ "$icon_h" -ge 8 ]
  }
  wait_for 10 icon_shown || fail "no tray icon in the panel"
  check_contrast "${icon_w}x$icon_h+$icon_x+$icon_y" "$panel_colour" panel

  popover_shown() { popover_in "${width}x$panel_top+0+0" "$wallpaper"; }
  check_click_opens $((icon_x + icon_w / 2)) $((icon_y + icon_h / 2))
  [ $((pop_y + pop_h)) = "$panel_top" ] ||
    fail "the popover's bottom is at $((pop_y + pop_h)), not on the panel's top at $panel_top"
  check_under_icon
  # Under the popover the panel's top (below its edge line) shows unchanged.
  local covered
  read -r _ _ covered _ < <(box_in "${pop_w}x6+$pop_x+$((panel_top + 1))" "$panel_colour")
  [ "$covered" = 0 ] || fail "the popover covers ${covered} pixels of the panel's top"
  keep_shot "plasma-$theme"

  check_outside_click_closes 100 100

  # Open again, the popover takes clicks above what caught the last one:
  # Quit, at its bottom right, ends the program.
  check_click_opens $((icon_x + icon_w / 2)) $((icon_y + icon_h / 2))
  click $((pop_x + pop_w - 30)) $((pop_y + pop_h - 20))
  check_quit "$program_pid"
  stop_desktop
}

run_theme light
run_theme dark
echo "PASS"
