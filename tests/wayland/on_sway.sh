#!/usr/bin/env bash
# The real program on a headless sway with Xwayland and swaybar's tray, run
# twice: on Wayland through the layer shell, and on Xwayland as when Qt's
# Wayland plugin is missing. Each time the tray shows the icon, standing out
# from swaybar's own black (contrast 3:1 at least); a click on it opens the
# popover under it: on Wayland right under the bar; on Xwayland, which sees
# no bar, at the click. Either way a click on the desktop closes it. A click
# on the 25% preset brings the HUD up at the bottom centre. A headless output
# has no gamma, so the log says once that software dimming is unavailable.
# On Wayland the item's menu offers Open, Start on Login and Quit, and the
# wheel over the icon steps the level. Quit (the menu's, the button) ends the
# program.
# Usage: on_sway.sh <glimmerbox> <wayland-click>
set -euo pipefail
source "$(dirname "$0")/../shell/common.sh"
source "$(dirname "$0")/../shell/screenshot.sh"
logs=(sway.log out.log err.log)

width=1280 height=800
# Without the key service the popover carries the permission banner.
popover_height=248
runtime="$work/compositor"
mkdir -m 700 "$runtime"
desktop_user_owns "$runtime"
private_bus session
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/session-bus"

# swaybar's own colours: a black bar, where a black icon would vanish.
cat > "$work/sway.conf" <<SWAY
output HEADLESS-1 resolution ${width}x${height}
xwayland enable
exec sh -c 'xhost +si:localuser:$(id -un) && echo \$DISPLAY > $runtime/ready'
bar {
  position top
  tray_output *
}
SWAY
spawn env XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
  WLR_RENDERER=pixman "${as_desktop_user[@]}" sway -c "$work/sway.conf" > "$work/sway.log" 2>&1
wait_for 10 test -s "$runtime/ready" || fail "sway did not start"
read -r DISPLAY < "$runtime/ready"
export DISPLAY WAYLAND_DISPLAY="$runtime/wayland-1"

screenshot() { grim -l 0 "$shot"; }

run_program() {
  local platform=$1 expected_line=$2 home="$work/home-$1"
  echo "on $platform:"
  program_dirs "$home"
  spawn env XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime" \
    QT_QPA_PLATFORM="${platform/wayland/}" "$program" > "$work/out.log" 2> "$work/err.log"
  local program_pid=$spawned
  wait_for 10 grep -q "$expected_line" "$work/err.log" || fail "did not say \"$expected_line\""

  local desktop bar bar_colour icon_x icon_w
  icon_shown() {
    screenshot
    desktop=$(pixel 5 $((height - 5)))
    read -r _ _ _ bar < <(box_in "1x100+$((width / 2))+0" "$desktop")
    bar_colour=$(pixel $((width / 2)) 2)
    read -r icon_x _ icon_w _ < <(box_in "120x$bar+$((width - 120))+0" "$bar_colour")
    [ "$icon_w" -ge 8 ] && [ "$icon_w" -le "$bar" ]
  }
  wait_for 10 icon_shown || fail "no tray icon in the bar"
  check_contrast "${icon_w}x$bar+$icon_x+0" "$bar_colour" bar

  # The tray on D-Bus tells where it was clicked, not where its icon is.
  local click_x=$((icon_x + icon_w / 2)) click_y=$((bar / 2))
  # Measured below the bar; on Xwayland the popover's top covers the bar.
  popover_shown() { popover_in "${width}x$((height - bar))+0+$bar" "$desktop"; }
  check_click_opens "$click_x" "$click_y"
  # No press outside the program reaches a popup on the layer shell or under
  # Xwayland: one is caught for it.
  check_outside_click_closes 100 $((height - 100))
  # Right after an outside close, an icon's click counts as the one that closed it.
  sleep 0.3
  check_click_opens "$click_x" "$click_y"
  pop_y=$((pop_y + pop_h - popover_height))
  check_under_icon
  # On Wayland it goes next to the bar, on Xwayland (which sees no bar) at the click.
  local top=$bar
  [ "$platform" = xcb ] && top=$click_y
  [ "$pop_y" = "$top" ] || fail "the popover's top is at $pop_y, not $top"

  # The 25% preset: the first button of the preset row, 82 to 106 below the
  # top. The capsule's rounded ends may lose a pixel of antialiasing to the fuzz.
  click $((pop_x + 43)) $((pop_y + 94))
  local below=$((pop_y + popover_height)) hud_x hud_y hud_w hud_h
  hud_shown() {
    screenshot
    read -r hud_x hud_y hud_w hud_h < <(box_in "${width}x$((height - below))+0+$below" "$desktop")
    near "$hud_w" 220 2 && near "$hud_h" 50 2
  }
  wait_for 3 hud_shown || fail "no 220x50 HUD (box $hud_x $hud_y ${hud_w}x$hud_h)"
  near $((hud_x * 2 + hud_w)) "$width" 2 && near $((height - hud_y - hud_h)) 110 2 ||
    fail "the HUD at $hud_x,$hud_y is not centred 110 above the bottom"
  # The popover's level may reach the screen a frame after the HUD.
  [ -z "$shots" ] || { sleep 0.2 && screenshot && keep_shot "sway-${platform/xcb/xwayland}"; }

  click $((pop_x + 108)) $((pop_y + 94))
  sleep 0.3
  [ "$(grep -c 'Software dimming unavailable' "$work/out.log")" = 1 ] ||
    fail "the log did not say exactly once that software dimming is unavailable"

  if [ "$platform" = wayland ]; then
    # The tray's right-click menu, and the wheel over the icon: a coarse step up.
    local item="org.kde.StatusNotifierItem-$program_pid-1" menu
    sni() { gdbus call --session -d "$item" -o "$@"; }
    menu=$(sni /StatusNotifierItem -m org.freedesktop.DBus.Properties.Get \
      org.kde.StatusNotifierItem Menu | grep -o "/[A-Za-z/]*")
    sni "$menu" -m com.canonical.dbusmenu.GetLayout -- 0 -1 [] |
      grep -q "'label': <'Open'>.*'label': <'Start on Login'>.*'toggle-type': <'checkmark'>.*'label': <'Quit'>" ||
      fail "the tray menu does not offer Open, Start on Login (a check mark) and Quit"
    sni /StatusNotifierItem -m org.kde.StatusNotifierItem.Scroll -- -1 vertical > /dev/null
    wait_for 3 grep -q '^Glimmerbox_Brightness=56$' "$home/config/Glimmerbox/Glimmerbox.conf" ||
      fail "a turn of the wheel did not step 50 to 56"
    # Quit from the menu: entry 3.
    sni "$menu" -m com.canonical.dbusmenu.Event -- 3 clicked '<0>' 0 > /dev/null
  else
    # Quit, at the popover's bottom right.
    click $((pop_x + pop_w - 30)) $((pop_y + popover_height - 20))
  fi
  check_quit "$program_pid"
}

run_program wayland "showing on Wayland through the layer shell"
run_program xcb "showing on X11"
echo "PASS"
