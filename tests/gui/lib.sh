# Driving and looking at the program's window under Wine for the GUI cases:
# a fresh folder for each run, the program started there and ended by its
# process id, screenshots of the display, and pixel checks against the skin's
# bitmap files. Every wait polls with a deadline. Sourced, not run.

GUI_TIMEOUT=${PIX_GUI_TIMEOUT:-30}
GUI_ART=$PIX_ROOT/skin/art
GUI_OUT=$PIX_BUILD/gui
GUI_DRIVER=$PIX_BUILD/win32/tests/gui/pix_gui_driver.exe
GUI_PID=
GUI_WINDOW_PID=
GUI_DIR=
GUI_WIN_DIR=
GUI_EXIT=
GUI_SCRATCH=$(mktemp -d)

# The window's place on the screen, as of the last gui_locate.
WIN_X=0
WIN_Y=0
WIN_WIDTH=0
WIN_HEIGHT=0

gui_cleanup() {
  gui_stop
  rm -rf "$GUI_SCRATCH"
}

# Polls a command until it succeeds or the deadline (seconds) passes.
gui_poll() {
  local limit=$1
  shift
  local deadline=$((SECONDS + limit))
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# --- the program ---------------------------------------------------------------

# A fresh folder C:\PixGui\NAME with the program and twelve subfolders (so
# that the folder list fills its ten rows); the arguments, if any, become the
# lines of Pix_rn.dat.
gui_install() {
  local name=$1
  shift
  GUI_DIR=$(pix_drive_c)/PixGui/$name
  GUI_WIN_DIR="C:\\PixGui\\$name"
  rm -rf "$GUI_DIR"
  mkdir -p "$GUI_DIR"
  cp "$PIX_BUILD/win32/Pix_Rn.exe" "$GUI_DIR/"
  local sub
  for sub in 01 02 03 04 05 06 07 08 09 10 11 12; do
    mkdir "$GUI_DIR/sub$sub"
  done
  if (($# > 0)); then
    printf '%s\r\n' "$@" >"$GUI_DIR/Pix_rn.dat"
  fi
}

gui_running() { [[ -n $GUI_PID ]] && kill -0 "$GUI_PID" 2>/dev/null; }
gui_ended() { ! gui_running; }

# The main window of the running program (the X windows carry the pid of
# the program's Wine process).
gui_window() { xdotool search --all --onlyvisible --pid "$GUI_WINDOW_PID" --name '^Form1$' 2>/dev/null | head -n 1; }
gui_has_window() { [[ -n $(gui_window) ]]; }
gui_has_no_window() { ! gui_has_window; }

# Starts the program in its folder, with the mouse out of the way, and waits
# for its window to be shown and painted.
gui_start() {
  xdotool mousemove 1000 740
  (cd "$GUI_DIR" && exec wine "$GUI_WIN_DIR\\Pix_Rn.exe" >/dev/null 2>&1) &
  GUI_PID=$!
  GUI_WINDOW_PID=$GUI_PID
  GUI_EXIT=
  gui_poll "$GUI_TIMEOUT" gui_has_window || return 1
  gui_locate || return 1
  # Painted: the skin's top-left corner is on the screen.
  gui_poll "$GUI_TIMEOUT" gui_region_is 0 0 back_corner
}

# Starts the program through the driver with a show command (7: minimized,
# as a shortcut set to run minimized starts it) and waits until its windows
# exist. GUI_PID is then the driver's, which ends with the program's code.
gui_start_shown() {
  xdotool mousemove 1000 740
  (cd "$GUI_DIR" && exec wine "$GUI_DRIVER" run "$GUI_WIN_DIR\\Pix_Rn.exe" "$1" >/dev/null 2>&1) &
  GUI_PID=$!
  GUI_EXIT=
  gui_poll "$GUI_TIMEOUT" gui_find_program || return 1
  gui_poll "$GUI_TIMEOUT" gui_state >/dev/null
}
# The program's own process, started by the driver: found by its command
# line, which starts with the program in the case's folder.
gui_find_program() {
  GUI_WINDOW_PID=$(pgrep -f "^\"?C:.PixGui.${GUI_DIR##*/}.Pix_Rn\\.exe" | head -n 1)
  [[ -n $GUI_WINDOW_PID ]]
}

# One line on the program's windows, from inside Wine: the application
# window iconic, shown or hidden; the main window shown or hidden, its place;
# the window with the focus, as class:text.
gui_state() { wine "$GUI_DRIVER" state "$GUI_WIN_DIR\\Pix_Rn.exe" 2>/dev/null | tr -d '\r'; }
gui_state_has() { [[ " $(gui_state) " == *" $1 "* ]]; }
# The taskbar's commands to the application window: close, minimize, restore.
gui_taskbar() { wine "$GUI_DRIVER" taskbar "$GUI_WIN_DIR\\Pix_Rn.exe" "$1" >/dev/null 2>&1; }

# Ends the program if it still runs.
gui_stop() {
  if [[ -n $GUI_WINDOW_PID && $GUI_WINDOW_PID != "$GUI_PID" ]] && kill -0 "$GUI_WINDOW_PID" 2>/dev/null; then
    kill "$GUI_WINDOW_PID" 2>/dev/null
  fi
  if gui_running; then
    kill "$GUI_PID" 2>/dev/null
    wait "$GUI_PID" 2>/dev/null
  fi
  GUI_PID=
  GUI_WINDOW_PID=
}

# Waits for the program to end by itself; its exit code goes to GUI_EXIT.
gui_wait_end() {
  GUI_EXIT=timeout
  gui_poll "$GUI_TIMEOUT" gui_ended || return 1
  wait "$GUI_PID" 2>/dev/null
  GUI_EXIT=$?
  GUI_PID=
}

gui_locate() {
  local window X Y WIDTH HEIGHT SCREEN WINDOW
  window=$(gui_window)
  [[ -n $window ]] || return 1
  eval "$(xdotool getwindowgeometry --shell "$window")"
  WIN_X=$X WIN_Y=$Y WIN_WIDTH=$WIDTH WIN_HEIGHT=$HEIGHT
}
gui_width_is() { gui_locate && ((WIN_WIDTH == $1)); }

# The mouse, at a point of the window.
gui_move() { xdotool mousemove $((WIN_X + $1)) $((WIN_Y + $2)); }
gui_press() { xdotool mousedown "${1:-1}"; }
gui_release() { xdotool mouseup "${1:-1}"; }
gui_click() { gui_move "$1" "$2" && xdotool click 1; }
gui_double_click() { gui_move "$1" "$2" && xdotool click --repeat 2 --delay 60 1; }
# Keys go to the window under the mouse (the display has no window manager
# and keeps the focus with the pointer): the mouse waits on bare skin.
gui_keys() { gui_move 200 120 && xdotool key "$@"; }

# --- pictures ------------------------------------------------------------------

# A screenshot of the display into a file.
gui_shot() { import -window root "$1" 2>/dev/null; }

# A part of the window now, as a PNG: gui_grab FILE X Y WIDTH HEIGHT.
gui_grab() {
  import -window root -crop "${4}x${5}+$((WIN_X + $2))+$((WIN_Y + $3))" +repage "$1" 2>/dev/null
}

# The number of pixels in which two pictures of one size differ.
gui_differing() { compare -metric AE "$1" "$2" null: 2>&1; }

# A skin picture by its file name (the file in skin/art, as PNG), or one of
# the pictures this library makes from them.
gui_art() {
  local name=$1 file=$GUI_SCRATCH/$1.png
  if [[ ! -f $file ]]; then
    case $name in
      back_corner) convert "$GUI_ART/background.bmp" -crop 16x16+0+0 +repage "$file" ;;
      *) convert "$GUI_ART/$name.bmp" "$file" ;;
    esac
  fi
  printf '%s\n' "$file"
}

# Whether the window shows a picture (gui_art) exactly at x, y.
gui_region_is() {
  local x=$1 y=$2 picture size shot
  picture=$(gui_art "$3")
  size=$(identify -format '%w %h' "$picture")
  shot=$GUI_SCRATCH/region.png
  gui_grab "$shot" "$x" "$y" ${size% *} ${size#* } || return 1
  [[ $(gui_differing "$shot" "$picture") == 0 ]]
}

# Whether a part of the window shows a glyph, its bottom-left pixel's colour
# transparent, over a background colour (r,g,b). Its top line is left out:
# on the focused item the focus rectangle runs across it.
gui_glyph_is() {
  local x=$1 y=$2 glyph=$GUI_ART/$3.bmp background=$4
  local shot=$GUI_SCRATCH/glyph-shot.png expected=$GUI_SCRATCH/glyph-expected.png size width height clear
  size=$(identify -format '%w %h' "$glyph")
  width=${size% *} height=${size#* }
  clear=$(convert "$glyph" -format "%[pixel:p{0,$((height - 1))}]" info:)
  gui_grab "$shot" "$x" "$y" "$width" "$height" || return 1
  convert -size "${width}x${height}" "xc:rgb($background)" \( "$glyph" -transparent "$clear" \) -composite "$expected"
  mogrify -crop "${width}x$((height - 1))+0+1" +repage "$shot" "$expected"
  [[ $(gui_differing "$shot" "$expected") == 0 ]]
}

# The colour of one pixel of a picture file, as r,g,b.
gui_pixel() {
  convert "$1" -format '%[fx:int(255*p{'"$2,$3"'}.r)],%[fx:int(255*p{'"$2,$3"'}.g)],%[fx:int(255*p{'"$2,$3"'}.b)]' info:
}

# --- hints -----------------------------------------------------------------------

# The visible windows of the program other than the main window and the
# application window: the hint, when one shows. One line each: name, then
# x, y, width, height.
gui_popups() {
  local window name X Y WIDTH HEIGHT SCREEN WINDOW
  for window in $(xdotool search --all --onlyvisible --pid "$GUI_WINDOW_PID" --name '' 2>/dev/null); do
    name=$(xdotool getwindowname "$window" 2>/dev/null)
    [[ $name == Form1 || $name == Pix_rn ]] && continue
    eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)"
    printf '%s\t%s\t%s\t%s\t%s\n' "$name" "$X" "$Y" "$WIDTH" "$HEIGHT"
  done
}
gui_no_popup() { [[ -z $(gui_popups) ]]; }
gui_has_popup() { [[ -n $(gui_popups) ]]; }

# --- reporting -------------------------------------------------------------------

GUI_PASSED=0
GUI_FAILED=0
GUI_CASE_FAILURES=()

# A check inside a case: gui_expect DESCRIPTION COMMAND...
gui_expect() {
  local what=$1
  shift
  if ! "$@"; then
    GUI_CASE_FAILURES+=("$what")
  fi
}

# Runs one case function, reports it on a line of its own, and makes sure its
# program is gone afterwards.
gui_run_case() {
  local name=$1
  GUI_CASE_FAILURES=()
  "$name"
  gui_stop
  if ((${#GUI_CASE_FAILURES[@]} == 0)); then
    GUI_PASSED=$((GUI_PASSED + 1))
    echo "PASS ${name#case_}"
  else
    GUI_FAILED=$((GUI_FAILED + 1))
    local failure
    echo "FAIL ${name#case_}"
    for failure in "${GUI_CASE_FAILURES[@]}"; do
      echo "     - $failure"
    done
  fi
}
