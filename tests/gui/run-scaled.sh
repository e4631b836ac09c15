#!/usr/bin/env bash
# The window on a scaled display, under Wine in a prefix of its own whose
# displays run at the dpi given (144 or 192): the window, its places and its
# author panel at dpi / 96 times the design's pixels, a screenshot checked
# pixel by pixel against the skin's art drawn at that scale, and clicks and a
# hint at the scaled places. Prints a line per case and
# "scaled-DPI: N passed, N failed".
#
#   tests/gui/run-scaled.sh 144
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
DPI=${1:?usage: run-scaled.sh DPI}
export PIX_DPI=$DPI
source "$here/../../scripts/common.sh"
# The art drawn nearest to the scale: 144 dpi is 150 %, 192 dpi 200 %.
GUI_ART_SUFFIX=-$(((DPI * 100 / 96 + 12) / 25 * 25))
source "$here/../lib/wine-driver.sh"

# A display of its own, large enough for the window widened at 200 %, as a
# screen scaled that far is. The prefix is this dpi's own: its wineserver
# starts with this display and ends with it.
unset DISPLAY
wineserver -k >/dev/null 2>&1
export PIX_SCREEN=1600x1200x24
pix_ensure_display || exit 1
pix_ensure_prefix || exit 1
trap 'gui_cleanup; pix_stop_display' EXIT
mkdir -p "$GUI_OUT"

read -r SCREEN_WIDTH SCREEN_HEIGHT < <(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\) pixels.*/\1 \2/p')

# A design length at the display's scale, rounded as the program rounds it.
px() { echo $((($1 * DPI + 48) / 96)); }

# The picture buttons: name, art, left, top, width, height, in design pixels.
BUTTONS=(
  "helpButton help-button 250 17 17 18"
  "minimizeButton minimize-button 250 50 17 18"
  "exitButton exit-button 250 83 17 18"
  "stopButton stop-button 247 148 11 11"
  "aboutButton about-button 207 174 60 12"
  "randomSwitch random-switch 219 32 17 18"
  "sequenceSwitch sequence-switch 219 66 17 18"
)
field() {
  local entry fields
  for entry in "${BUTTONS[@]}"; do
    read -r -a fields <<<"$entry"
    [[ ${fields[0]} == "$1" ]] && echo "${fields[$2]}" && return 0
  done
  return 1
}
# The centre of a button on the scaled window.
scaled_centre() {
  local name=$1
  echo $(($(px "$(field "$name" 2)") + $(px "$(field "$name" 4)") / 2)) \
    $(($(px "$(field "$name" 3)") + $(px "$(field "$name" 5)") / 2))
}

settings_are() {
  local expected
  expected=$(printf '%s\n' "$@")
  [[ $(tr -d '\r' <"$GUI_DIR/Pix_rn.dat" 2>/dev/null) == "$expected" ]]
}
ended_with() { gui_wait_end && [[ $GUI_EXIT == "$1" ]]; }

# The places where text is drawn: the folder list and the delay label.
mask_text_places() {
  mogrify -fill magenta -draw "rectangle $(px 18),$(px 16) $(($(px 186) - 1)),$(($(px 176) - 1))" \
    -draw "rectangle $(px 213),$(px 138) $(($(px 244) - 1)),$(($(px 151) - 1))" "$1"
}

expected_window() {
  local out=$1 entry fields arguments=()
  for entry in "${BUTTONS[@]}"; do
    read -r -a fields <<<"$entry"
    arguments+=("$GUI_ART/${fields[1]}$GUI_ART_SUFFIX.bmp" -geometry "+$(px "${fields[2]}")+$(px "${fields[3]}")"
      -composite)
  done
  convert "$GUI_ART/background$GUI_ART_SUFFIX.bmp" "${arguments[@]}" \
    "$GUI_ART/about-panel$GUI_ART_SUFFIX.bmp" -geometry "+$(px 275)+0" -composite "$out"
  mask_text_places "$out"
}

window_matches_art() {
  local shot=$GUI_OUT/window-$DPI.png masked=$GUI_SCRATCH/masked.png
  gui_shot "$GUI_SCRATCH/screen.png"
  convert "$GUI_SCRATCH/screen.png" -crop "${WIN_WIDTH}x${WIN_HEIGHT}+${WIN_X}+${WIN_Y}" +repage "$shot"
  cp "$shot" "$masked"
  mask_text_places "$masked"
  [[ $(gui_differing "$masked" "$GUI_SCRATCH/expected.png") == 0 ]]
}

case_window_and_author_panel_at_the_scale() {
  gui_install "scaled$DPI"
  gui_start || {
    gui_expect "the window appears and is painted" false
    return
  }
  gui_expect "the window is $(px 276) x $(px 196) (got ${WIN_WIDTH} x ${WIN_HEIGHT})" \
    test "$WIN_WIDTH" -eq "$(px 276)" -a "$WIN_HEIGHT" -eq "$(px 196)"
  gui_expect "the window is centred (at $WIN_X,$WIN_Y on ${SCREEN_WIDTH}x${SCREEN_HEIGHT})" \
    test "$WIN_X" -eq $(((SCREEN_WIDTH - $(px 276)) / 2)) -a "$WIN_Y" -eq $(((SCREEN_HEIGHT - $(px 196)) / 2))
  expected_window "$GUI_SCRATCH/expected.png"
  if ! gui_poll 10 window_matches_art; then
    cp "$GUI_SCRATCH/expected.png" "$GUI_OUT/window-$DPI-expected.png"
    gui_expect "the window shows the art drawn at $GUI_ART_SUFFIX % pixel for pixel \
($(gui_differing "$GUI_SCRATCH/masked.png" "$GUI_SCRATCH/expected.png") pixels differ; see build/gui/)" false
  fi
  # The second row: its glyph indented, centred in a row of the scaled height.
  gui_expect "the folder list's items are $(px 16) px high: the second row's glyph" \
    gui_poll 10 gui_glyph_is $(($(px 18) + $(px 6))) $(($(px 16) + $(px 16) + ($(px 16) - $(px 15)) / 2)) \
    open-folder 136,132,136
  gui_click $(scaled_centre aboutButton)
  gui_expect "the author panel widens the window to $(px 469)" gui_poll 10 gui_width_is "$(px 469)"
  gui_expect "and shows whole" gui_poll 10 gui_region_is "$(px 275)" 0 about-panel
  gui_click $(scaled_centre aboutButton)
  gui_expect "and narrows it again to $(px 276)" gui_poll 10 gui_width_is "$(px 276)"
}

case_switches_and_exit_at_the_scaled_places() {
  gui_install "switches$DPI"
  gui_start || {
    gui_expect "the window appears" false
    return
  }
  gui_click $(scaled_centre sequenceSwitch)
  gui_expect "the sequence switch turns on" gui_poll 10 gui_region_is "$(px 219)" "$(px 66)" sequence-on
  gui_expect "the random switch turns off" gui_poll 10 gui_region_is "$(px 219)" "$(px 32)" random-off
  gui_click $(scaled_centre exitButton)
  gui_expect "the exit button ends the program with 0 (got $GUI_EXIT)" ended_with 0
  gui_expect "and saves the mode" settings_are "$GUI_WIN_DIR\\" 0 1 -1
}

case_a_hint_at_the_scaled_place() {
  gui_install "hint$DPI"
  gui_start || {
    gui_expect "the window appears" false
    return
  }
  gui_move "$(px 200)" "$(px 120)"
  gui_poll 10 gui_no_popup
  local place
  place=$(scaled_centre exitButton)
  gui_move $place
  gui_expect "the exit button's hint shows below the cursor" gui_poll 10 hint_shows "Выход из программы." $place
  gui_move "$(px 200)" "$(px 120)"
  gui_expect "bare skin takes it away" gui_poll 10 gui_no_popup
  place=$(scaled_centre stopButton)
  gui_move $place
  gui_expect "the stop button's hint shows at its scaled place" gui_poll 10 hint_shows "Остановка таймера." $place
}

# The help program scales itself too: its window is 680 x 620 design pixels,
# frame and caption included; what X shows is the inside, a little less.
HELP_SIZE=none
help_window_scaled() {
  local pid window X Y WIDTH HEIGHT SCREEN
  for pid in $(pix_wine_tree "$GUI_PID"); do
    window=$(xdotool search --all --onlyvisible --pid "$pid" --class '^hlp_vw\.exe$' 2>/dev/null | head -n 1)
    [[ -n $window ]] || continue
    eval "$(xdotool getwindowgeometry --shell "$window")"
    HELP_SIZE="$WIDTH x $HEIGHT"
    # Its height may meet the screen's, which it never passes.
    ((WIDTH > $(px 680) - 40 && WIDTH <= $(px 680) && HEIGHT > 620 && HEIGHT <= $(px 620))) && return 0
  done
  return 1
}

case_the_help_at_the_scale() {
  gui_install "help$DPI"
  mkdir -p "$GUI_DIR/help"
  cp "$PIX_WIN_BUILD/help/Hlp_Vw.exe" "$GUI_DIR/help/"
  gui_start || {
    gui_expect "the window appears" false
    return
  }
  gui_click $(scaled_centre helpButton)
  gui_poll 30 help_window_scaled
  gui_expect "the help opens at its scaled size, $(px 680) x $(px 620) with its frame (got $HELP_SIZE inside)" \
    help_window_scaled
}

pix_run_cases "scaled-$DPI"
