#!/usr/bin/env bash
# The window under Wine, looked at and used as a user would: a screenshot of
# the first run checked pixel by pixel against the skin's bitmaps, and the
# picture buttons, the mouse capture, the hints, the focus and the folder
# list driven with xdotool. Each case copies Pix_Rn.exe into a folder of its
# own on the prefix's drive C: and starts it there. Prints a line per case
# and "gui: N passed, N failed"; the screenshot stays in build/gui/.
#
# Needs build/win64/Pix_Rn.exe; finds or makes the display and the prefix
# (scripts/common.sh). Run by scripts/test, or alone.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/common.sh"
source "$here/../lib/wine-driver.sh"

# Only the virtual display this script may start is stopped at the end; the
# prefix's wineserver stays for whoever else uses it.
export PIX_KEEP_WINESERVER=1
pix_ensure_display || exit 1
pix_ensure_prefix || exit 1
trap 'gui_cleanup; pix_stop_display' EXIT
mkdir -p "$GUI_OUT"

read -r SCREEN_WIDTH SCREEN_HEIGHT < <(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\) pixels.*/\1 \2/p')

# The skin's grey of the folder list (8946824) and its layout: the list's
# inner area starts at 18,16 in the window; its items are 16 px high.
LIST_GREY="136,132,136"
LIST_X=18
LIST_Y=16
row_y() { echo $((LIST_Y + 16 * $1)); }

# The picture buttons: name, left, top, width, height.
BUTTONS=(
  "helpButton 250 17 17 18"
  "minimizeButton 250 50 17 18"
  "exitButton 250 83 17 18"
  "randomSwitch 219 32 17 18"
  "sequenceSwitch 219 66 17 18"
  "aboutButton 207 174 60 12"
  "stopButton 247 148 11 11"
)
button_field() {
  local entry
  for entry in "${BUTTONS[@]}"; do
    read -r -a fields <<<"$entry"
    [[ ${fields[0]} == "$1" ]] && echo "${fields[$2]}" && return 0
  done
  return 1
}
centre_of() { echo $(($(button_field "$1" 1) + $(button_field "$1" 3) / 2)) $(($(button_field "$1" 2) + $(button_field "$1" 4) / 2)); }

# The hinted components with their texts, and the places that show none.
HINTED=(
  "helpButton|258 26|Справка."
  "minimizeButton|258 59|Свернуть программу."
  "exitButton|258 92|Выход из программы."
  "stopButton|252 153|Остановка таймера."
  "delayLabel|228 144|Время стартовой задержки (>50)."
  "randomSwitch|227 41|Случайный выбор картинки."
  "sequenceSwitch|227 75|Выбор картинки поочерёдно."
  "folderList|100 100|Папка с картинками."
)
UNHINTED=(
  "aboutButton|237 180"
  "background|200 120"
  "aboutPanel|275 100"
)
BARE_SKIN="200 120"

# The settings file as lines, without the CR of each.
settings_lines() { tr -d '\r' <"$GUI_DIR/Pix_rn.dat" 2>/dev/null; }
settings_are() {
  local expected
  expected=$(printf '%s\n' "$@")
  [[ $(settings_lines) == "$expected" ]]
}

ended_with() { gui_wait_end && [[ $GUI_EXIT == "$1" ]]; }

# Presses (or releases) a picture button and waits until it stands at dx, dy
# from its home, showing the given face.
button_at() {
  local name=$1 face=$2 dx=$3 dy=$4
  gui_poll 10 gui_region_is $(($(button_field "$name" 1) + dx)) $(($(button_field "$name" 2) + dy)) "$face"
}

# --- the screenshot of the first run -----------------------------------------

# The window as the skin's files say it must look, without the two places
# where text is drawn (the folder list and the delay label).
expected_window() {
  local out=$1
  convert "$GUI_ART/background.bmp" \
    "$GUI_ART/about-button.bmp" -geometry +207+174 -composite \
    "$GUI_ART/help-button.bmp" -geometry +250+17 -composite \
    "$GUI_ART/minimize-button.bmp" -geometry +250+50 -composite \
    "$GUI_ART/exit-button.bmp" -geometry +250+83 -composite \
    "$GUI_ART/stop-button.bmp" -geometry +247+148 -composite \
    "$GUI_ART/about-panel.bmp" -geometry +275+0 -composite \
    "$GUI_ART/random-switch.bmp" -geometry +219+32 -composite \
    "$GUI_ART/sequence-switch.bmp" -geometry +219+66 -composite \
    "$out"
  mask_text_places "$out"
}
mask_text_places() { mogrify -fill magenta -draw "rectangle 18,16 185,175" -draw "rectangle 213,138 243,150" "$1"; }

window_matches_skin() {
  local shot=$GUI_OUT/window.png masked=$GUI_SCRATCH/window-masked.png
  gui_shot "$GUI_OUT/screen.png"
  convert "$GUI_OUT/screen.png" -crop "${WIN_WIDTH}x${WIN_HEIGHT}+${WIN_X}+${WIN_Y}" +repage "$shot"
  cp "$shot" "$masked"
  mask_text_places "$masked"
  [[ $(gui_differing "$masked" "$GUI_SCRATCH/expected-window.png") == 0 ]]
}

list_pixel_is() { [[ $(gui_pixel "$GUI_OUT/window.png" "$1" "$2") == "$3" ]]; }
same_pixels() { [[ $(gui_pixel "$GUI_OUT/window.png" "$1" "$2") == $(gui_pixel "$GUI_OUT/window.png" "$3" "$4") ]]; }

# Text drawn in a part of the window: it differs from a plain picture.
text_drawn_over() {
  local x=$1 y=$2 width=$3 height=$4 plain=$5 part=$GUI_SCRATCH/part.png
  convert "$GUI_OUT/window.png" -crop "${width}x${height}+${x}+${y}" +repage "$part"
  [[ $(gui_differing "$part" "$plain") != 0 ]]
}

case_screenshot_of_the_first_run() {
  gui_install shot
  gui_start || {
    gui_expect "the window appears and is painted" false
    return
  }
  gui_expect "the window is 276 x 196 (got ${WIN_WIDTH} x ${WIN_HEIGHT})" \
    test "$WIN_WIDTH" -eq 276 -a "$WIN_HEIGHT" -eq 196
  gui_expect "the window is centred (at $WIN_X,$WIN_Y on ${SCREEN_WIDTH}x${SCREEN_HEIGHT})" \
    test "$WIN_X" -eq $(((SCREEN_WIDTH - 276) / 2)) -a "$WIN_Y" -eq $(((SCREEN_HEIGHT - 196) / 2))

  expected_window "$GUI_SCRATCH/expected-window.png"
  if ! gui_poll 10 window_matches_skin; then
    cp "$GUI_SCRATCH/expected-window.png" "$GUI_OUT/window-expected.png"
    compare "$GUI_SCRATCH/window-masked.png" "$GUI_OUT/window-expected.png" "$GUI_OUT/window-diff.png" 2>/dev/null
    gui_expect "the skin, the buttons, the switches and one column of about-panel match the bitmaps \
($(gui_differing "$GUI_SCRATCH/window-masked.png" "$GUI_OUT/window-expected.png") pixels differ; see build/gui/)" false
  fi
  convert "$GUI_ART/about-panel.bmp" -crop 1x196+0+0 +repage "$GUI_SCRATCH/about-panel-column.png"
  gui_expect "the last column shows the first column of about-panel" \
    test "$(convert "$GUI_OUT/window.png" -crop 1x196+275+0 +repage png:- | compare -metric AE - \
      "$GUI_SCRATCH/about-panel-column.png" null: 2>&1)" == 0

  # The folder list: C:\, PixGui, shot (current, highlighted), then sub01 to
  # sub07 in the ten rows, each glyph at its indent.
  local row glyph indent background highlight
  highlight=$(gui_pixel "$GUI_OUT/window.png" 140 $(($(row_y 2) + 8)))
  for row in 0 1 2 3 4 5 6 7 8 9; do
    case $row in
      0) glyph=open-folder indent=2 ;;
      1) glyph=open-folder indent=6 ;;
      2) glyph=current-folder indent=10 ;;
      *) glyph=closed-folder indent=14 ;;
    esac
    background=$LIST_GREY
    ((row == 2)) && background=$highlight
    gui_expect "row $row shows $glyph at indent $indent" \
      gui_glyph_is $((LIST_X + indent)) "$(row_y $row)" $glyph "$background"
    if ((row != 2)); then
      gui_expect "row $row has the list's grey" list_pixel_is 140 $(($(row_y $row) + 8)) "$LIST_GREY"
    fi
  done
  gui_expect "the current folder's row is highlighted" test "$highlight" != "$LIST_GREY"
  gui_expect "the highlight is 16 px high" same_pixels 140 $(($(row_y 2) + 1)) 140 $(($(row_y 2) + 14))
  gui_expect "the row above the highlight ends in grey" list_pixel_is 140 $(($(row_y 2) - 1)) "$LIST_GREY"
  gui_expect "the row below the highlight starts in grey" list_pixel_is 140 $(($(row_y 3))) "$LIST_GREY"
  convert -size 24x13 "xc:rgb($LIST_GREY)" "$GUI_SCRATCH/grey.png"
  gui_expect "the first row's text is drawn" text_drawn_over $((LIST_X + 2 + 16 + 4)) "$(row_y 0)" 24 13 \
    "$GUI_SCRATCH/grey.png"
  convert "$GUI_ART/background.bmp" -crop 31x13+213+138 +repage "$GUI_SCRATCH/label-place.png"
  gui_expect "the delay label's text is drawn" text_drawn_over 213 138 31 13 "$GUI_SCRATCH/label-place.png"
}

case_exit_button_saves_four_lines() {
  gui_install exit
  gui_start || {
    gui_expect "the window appears" false
    return
  }
  gui_click $(centre_of exitButton)
  gui_expect "the program ends with code 0 (got $GUI_EXIT)" ended_with 0
  gui_expect "Pix_rn.dat holds the folder, 0, 0 and -1" settings_are "$GUI_WIN_DIR\\" 0 0 -1
}

# --- the picture buttons -------------------------------------------------------

# With a long countdown running, every button moves on press and release and
# the gated ones do nothing else; aboutButton toggles the width, stopButton opens the gate.
case_buttons_move_while_pressed() {
  gui_install press "C:\\PixGui\\press\\" 1000000 0
  gui_start || {
    gui_expect "the window appears" false
    return
  }
  local entry name face
  for entry in "${BUTTONS[@]}"; do
    read -r name _ <<<"$entry"
    # Mode 0 shows the random switch on and the other one off.
    case $name in
      sequenceSwitch) face=sequence-off ;;
      randomSwitch) face=random-on ;;
      helpButton) face=help-button ;;
      minimizeButton) face=minimize-button ;;
      exitButton) face=exit-button ;;
      aboutButton) face=about-button ;;
      stopButton) face=stop-button ;;
    esac
    gui_move $(centre_of "$name")
    gui_press
    gui_expect "$name moves 2 px right and down while pressed" button_at "$name" "$face" 2 2
    gui_release
    gui_expect "$name comes back on release" button_at "$name" "$face" 0 0
    case $name in
      aboutButton)
        gui_expect "aboutButton widens the window to 469" gui_poll 10 gui_width_is 469
        gui_expect "the author panel shows whole" gui_poll 10 gui_region_is 275 0 about-panel
        gui_click $(centre_of aboutButton)
        gui_expect "aboutButton again narrows it to 276" gui_poll 10 gui_width_is 276
        ;;
      stopButton) ;;
      *) gui_expect "$name does nothing else while the countdown runs" gui_has_window ;;
    esac
  done
  gui_expect "the window kept its left edge" test "$WIN_X" -eq $(((SCREEN_WIDTH - 276) / 2))
  # stopButton stopped the countdown: the exit button now saves and ends.
  gui_click $(centre_of exitButton)
  gui_expect "after stopButton the exit button ends the program with 0" ended_with 0
  gui_expect "and saves the delay" settings_are "C:\\PixGui\\press\\" 1000000 0 -1
}

# A left press holds the mouse for its picture: dragged off onto another
# button, the release goes to the pressed one.
case_left_press_dragged_off_releases_on_its_button() {
  gui_install drag
  gui_start || {
    gui_expect "the window appears" false
    return
  }
  gui_move $(centre_of sequenceSwitch)
  gui_press
  gui_expect "sequenceSwitch is pressed" button_at sequenceSwitch sequence-switch 2 2
  gui_move $(centre_of randomSwitch)
  gui_release
  # sequenceSwitch's command ran: one after another, so randomSwitch shows its off face.
  gui_expect "sequenceSwitch is back home with its on face" button_at sequenceSwitch sequence-on 0 0
  gui_expect "randomSwitch did not move and shows its off face" button_at randomSwitch random-off 0 0
}

# A right press holds nothing: released elsewhere, its button stays down.
case_right_press_released_elsewhere_stays_down() {
  gui_install right
  gui_start || {
    gui_expect "the window appears" false
    return
  }
  gui_move $(centre_of helpButton)
  gui_press 3
  gui_expect "helpButton is pressed" button_at helpButton help-button 2 2
  gui_move $BARE_SKIN
  gui_release 3
  gui_move $(($(button_field helpButton 1) + 10)) $(($(button_field helpButton 2) + 11))
  gui_press 3
  gui_expect "a second press finds it still down and moves it further" button_at helpButton help-button 4 4
  gui_release 3
  gui_expect "its release moves it back by 2 only" button_at helpButton help-button 2 2
}

# --- the application window: minimize, restore, the taskbar's Close --------

case_minimize_and_restore_keep_the_place() {
  gui_install minimize
  gui_start || {
    gui_expect "the window appears" false
    return
  }
  gui_click $(centre_of aboutButton)
  gui_poll 10 gui_width_is 469
  gui_click $(centre_of minimizeButton)
  gui_expect "minimizeButton takes the window off the screen" gui_poll 10 gui_has_no_window
  gui_expect "and leaves the taskbar button" gui_poll 10 gui_state_has application=iconic
  gui_expect "the program goes on" gui_running
  gui_taskbar restore
  local place="place=$(((SCREEN_WIDTH - 276) / 2)),$(((SCREEN_HEIGHT - 196) / 2)),469,196"
  gui_expect "restored, the window is back where it was, as wide" gui_poll 10 gui_state_has "$place"
  gui_expect "and shown" gui_poll 10 gui_has_window
  gui_expect "with the focus in the folder list again" gui_poll 10 gui_state_has focus=ListBox:
}

# A shortcut set to run minimized: only the taskbar button, until restored.
case_started_minimized() {
  gui_install minstart
  gui_start_shown 7 || {
    gui_expect "the program starts" false
    return
  }
  gui_expect "it starts as a taskbar button only" gui_poll 10 gui_state_has application=iconic
  gui_expect "with the main window hidden" gui_state_has main=hidden
  gui_taskbar restore
  local place="place=$(((SCREEN_WIDTH - 276) / 2)),$(((SCREEN_HEIGHT - 196) / 2)),276,196"
  gui_expect "restored, the window shows centred at its width of 276" gui_poll 10 gui_state_has "$place"
  gui_expect "and painted" gui_poll 10 gui_locate
  gui_expect "with the skin on it" gui_poll 10 gui_region_is 0 0 background_corner
}

# A shortcut set to run maximized. (Without a window manager Wine leaves a
# maximized window where it stood, so only its state is looked at.)
case_started_maximized() {
  gui_install maxstart
  gui_start_shown 3 || {
    gui_expect "the program starts" false
    return
  }
  gui_expect "the window is shown maximized" gui_poll 10 gui_state_has main=maximized
  gui_expect "and painted" gui_poll 10 gui_locate
  gui_expect "with the skin at its top left" gui_poll 10 gui_region_is 0 0 background_corner
}

# The taskbar's Close ends the program with 0 and saves nothing.
case_taskbar_close_saves_nothing() {
  gui_install close "C:\\PixGui\\close\\" 0 1
  cp "$GUI_DIR/Pix_rn.dat" "$GUI_SCRATCH/settings-before"
  gui_start || {
    gui_expect "the window appears" false
    return
  }
  gui_click $(centre_of randomSwitch)
  gui_taskbar close
  gui_expect "the program ends with code 0 (got $GUI_EXIT)" ended_with 0
  gui_expect "Pix_rn.dat is as it was" cmp -s "$GUI_DIR/Pix_rn.dat" "$GUI_SCRATCH/settings-before"
}

# --- hints ---------------------------------------------------------------------

# No hint for a while: longer than the hint pause, by far.
no_hint_for() {
  local deadline=$((SECONDS + $1))
  while ((SECONDS < deadline)); do
    gui_no_popup || return 1
    sleep 0.2
  done
}

case_hints() {
  gui_install hints
  gui_start || {
    gui_expect "the window appears" false
    return
  }
  local entry name place text
  for entry in "${HINTED[@]}"; do
    IFS='|' read -r name place text <<<"$entry"
    gui_move $BARE_SKIN
    gui_expect "bare skin cancels the hint before $name" gui_poll 10 gui_no_popup
    gui_move $place
    gui_expect "$name shows its hint below the cursor" gui_poll 10 hint_shows "$text" $place
  done
  for entry in "${UNHINTED[@]}"; do
    IFS='|' read -r name place <<<"$entry"
    gui_move $BARE_SKIN
    gui_poll 10 gui_no_popup
    gui_move $place
    gui_expect "$name shows no hint" no_hint_for 2
  done
}

# --- focus and the folder list ---------------------------------------------------

list_row_is() { gui_grab "$GUI_SCRATCH/row.png" "$LIST_X" "$(row_y "$1")" 150 16 && [[ $(gui_differing "$GUI_SCRATCH/row.png" "$2") == 0 ]]; }
list_row_is_not() { ! list_row_is "$@"; }
row_highlighted() {
  gui_grab "$GUI_SCRATCH/now.png" 0 0 276 196 && [[ $(gui_pixel "$GUI_SCRATCH/now.png" 140 $(($(row_y "$1") + 8))) != "$LIST_GREY" ]]
}

# The focus rectangle of the focused list: the item's top line is dotted,
# not all in the highlight's colour (looked at right of the glyph and text).
row_has_focus_rectangle() {
  local top=$GUI_SCRATCH/top-line.png plain=$GUI_SCRATCH/plain-line.png
  gui_grab "$GUI_SCRATCH/now.png" 0 0 276 196 || return 1
  convert "$GUI_SCRATCH/now.png" -crop "50x1+110+$(row_y "$1")" +repage "$top"
  convert -size 50x1 "xc:rgb($(gui_pixel "$GUI_SCRATCH/now.png" 140 $(($(row_y "$1") + 8))))" "$plain"
  [[ $(gui_differing "$top" "$plain") != 0 ]]
}
row_lacks_focus_rectangle() { ! row_has_focus_rectangle "$@"; }

case_tab_moves_the_focus_to_the_focus_sink() {
  gui_install tab
  gui_start || {
    gui_expect "the window appears" false
    return
  }
  local focused=$GUI_SCRATCH/focused-row.png
  gui_move $BARE_SKIN
  gui_expect "the folder list has the focus at the start" gui_poll 10 gui_state_has focus=ListBox:
  gui_expect "and shows it" gui_poll 10 row_has_focus_rectangle 2
  gui_grab "$focused" "$LIST_X" "$(row_y 2)" 150 16
  gui_keys Tab
  gui_expect "Tab moves the focus to the focus sink" gui_poll 10 gui_state_has focus=Edit:xxx
  gui_expect "and out of the folder list" gui_poll 10 row_lacks_focus_rectangle 2
  # Typed into the focus sink, a letter changes nothing to see; typed into the list, it
  # would move the highlight to sub01.
  gui_keys s
  gui_expect "the focus sink takes the letter, out of sight" gui_poll 10 gui_state_has focus=Edit:s
  gui_keys shift+Tab
  gui_expect "Shift+Tab gives the focus back to the folder list" gui_poll 10 gui_state_has focus=ListBox:
  gui_expect "with the highlight where it was" gui_poll 10 list_row_is 2 "$focused"
  gui_keys s
  gui_expect "typed in the list, the letter moves the highlight to sub01" gui_poll 10 row_highlighted 3
}

case_double_click_opens_a_subfolder() {
  gui_install double
  gui_start || {
    gui_expect "the window appears" false
    return
  }
  gui_double_click 80 $(($(row_y 3) + 8))
  gui_expect "sub01 is highlighted" gui_poll 10 row_highlighted 3
  local highlight
  highlight=$(gui_pixel "$GUI_SCRATCH/now.png" 140 $(($(row_y 3) + 8)))
  gui_expect "and becomes the current folder" \
    gui_poll 10 gui_glyph_is $((LIST_X + 14)) "$(row_y 3)" current-folder "$highlight"
  convert -size 150x96 "xc:rgb($LIST_GREY)" "$GUI_SCRATCH/empty-rows.png"
  # The list's hint shows below the resting mouse, over these rows.
  gui_move $BARE_SKIN
  gui_poll 10 gui_no_popup
  gui_grab "$GUI_SCRATCH/rows.png" "$LIST_X" "$(row_y 4)" 150 96
  gui_expect "no rows follow it" test "$(gui_differing "$GUI_SCRATCH/rows.png" "$GUI_SCRATCH/empty-rows.png")" == 0
  # The press handler took the new folder as the picture folder.
  gui_click $(centre_of exitButton)
  gui_expect "the exit button ends the program with 0" ended_with 0
  gui_expect "the saved folder is sub01" settings_are "$GUI_WIN_DIR\\sub01\\" 0 0 -1
}

# --- the run command -------------------------------------------------------------

# The windows of the start's processes that match xdotool's search options.
run_windows() {
  local pid
  for pid in $(pix_wine_tree "$GUI_PID"); do
    xdotool search --all --onlyvisible --pid "$pid" "$@" 2>/dev/null
  done
}
run_has_window() {
  local pid
  for pid in $(pix_wine_tree "$GUI_PID"); do
    if [[ -n $(xdotool search --all --onlyvisible --pid "$pid" --name '^Form1$' 2>/dev/null) ]]; then
      GUI_WINDOW_PID=$pid
      return 0
    fi
  done
  return 1
}
run_has_help() { [[ -n $(run_windows --class '^hlp_vw\.exe$') ]]; }

# ./scripts/run puts the help beside the program in C:\Pix_Rn, so that the
# help button opens it. The settings found there are kept and put back.
case_run_command_brings_the_help() {
  local dir saved=$GUI_SCRATCH/run-settings tag
  dir=$(pix_drive_c)/Pix_Rn
  rm -f "$saved"
  [[ -f $dir/Pix_rn.dat ]] && cp -p "$dir/Pix_rn.dat" "$saved"
  rm -f "$dir/help/Hlp_Vw.exe"
  mkdir -p "$dir"
  printf 'C:\\Pix_Rn\\\r\n0\r\n0\r\n-1\r\n' >"$dir/Pix_rn.dat"
  GUI_DIR=$dir
  GUI_WIN_DIR='C:\Pix_Rn'
  xdotool mousemove 1000 740
  PIX_WINE_COUNT=$((PIX_WINE_COUNT + 1))
  tag=$PIX_WINE_SUITE-$BASHPID-$PIX_WINE_COUNT
  (exec env PIX_WINE_RUN="$tag" "$PIX_ROOT/scripts/run" >"$GUI_SCRATCH/run.log" 2>&1) &
  GUI_PID=$!
  echo "$GUI_PID $tag" >>"$PIX_WINE_STARTS"
  if gui_poll 120 run_has_window && gui_locate && gui_poll gui_region_is 0 0 background_corner; then
    gui_expect "the help program stands in C:\\Pix_Rn\\help" test -f "$dir/help/Hlp_Vw.exe"
    gui_click $(centre_of helpButton)
    gui_expect "the help button opens the help" gui_poll 30 run_has_help
    pix_record_started "$dir/Pix_Rn.exe"
    pix_record_started "$dir/help/Hlp_Vw.exe"
  else
    gui_expect "the run command opens the window ($(tr '\n' ' ' <"$GUI_SCRATCH/run.log"))" false
  fi
  gui_stop
  rm -f "$dir/Pix_rn.dat"
  [[ -f $saved ]] && cp -p "$saved" "$dir/Pix_rn.dat"
}

# --- run -----------------------------------------------------------------------

pix_run_cases gui
