# Driving the program's window under Wine for the end-to-end cases: start it,
# wait for its window, press its exit button, find and dismiss its error box,
# wait for its end. Every wait polls with a deadline. Sourced, not run.

PIX_GUI_PID=
PIX_GUI_DIR=
PIX_GUI_EXIT=
PIX_GUI_TIMEOUT=${PIX_GUI_TIMEOUT:-60}

# Polls a command until it succeeds or the deadline passes.
pix_gui_poll() {
  local deadline=$((SECONDS + PIX_GUI_TIMEOUT))
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

pix_gui_main_window() { xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -n 1; }
pix_gui_has_main_window() { [[ -n $(pix_gui_main_window) ]]; }

# Starts the program in its folder and waits for its window. With "relay",
# Wine traces the calls named in the prefix's RelayInclude (the error box)
# into relay.log beside the program.
pix_gui_start() {
  PIX_GUI_DIR=$1
  local trace=${WINEDEBUG}
  if [[ ${2:-} == relay ]]; then
    wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ \
      /d 'user32.MessageBoxA;user32.SystemParametersInfoA' /f >/dev/null 2>&1
    trace=+relay
  fi
  (cd "$PIX_GUI_DIR" && exec env WINEDEBUG="$trace" wine "$PIX_GUI_DIR/Pix_Rn.exe" >/dev/null 2>"$PIX_GUI_DIR/relay.log") &
  PIX_GUI_PID=$!
  pix_gui_poll pix_gui_has_main_window
}

pix_gui_running() { [[ -n $PIX_GUI_PID ]] && kill -0 "$PIX_GUI_PID" 2>/dev/null; }
pix_gui_ended() { ! pix_gui_running; }

# A left click at a place inside the main window.
pix_gui_click_at() {
  local window X Y WIDTH HEIGHT SCREEN
  window=$(pix_gui_main_window)
  [[ -n $window ]] || return 1
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + $1)) $((Y + $2)) click 1
}

# The exit button stands at 250,83 and is 17 x 18.
pix_gui_click_exit() { pix_gui_click_at 258 91; }

# Waits for the program to end; its exit code goes to PIX_GUI_EXIT.
pix_gui_wait_end() {
  PIX_GUI_EXIT=timeout
  pix_gui_poll pix_gui_ended || return 1
  wait "$PIX_GUI_PID" 2>/dev/null
  PIX_GUI_EXIT=$?
  PIX_GUI_PID=
}

# The error box: a visible window with the program's title.
pix_gui_error_box() {
  local window WIDTH HEIGHT X Y SCREEN
  for window in $(xdotool search --onlyvisible --name '^Pix_rn$' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$window")"
    if ((WIDTH > 40 && HEIGHT > 40)); then
      echo "$window"
      return 0
    fi
  done
  return 1
}
pix_gui_error_box_count() { pix_gui_error_box | wc -l; }

# Waits for the error box, presses its OK button by the keyboard, and waits
# for it to go.
pix_gui_dismiss_error_box() {
  pix_gui_poll pix_gui_error_box >/dev/null || return 1
  local box X Y WIDTH HEIGHT SCREEN
  box=$(pix_gui_error_box)
  eval "$(xdotool getwindowgeometry --shell "$box")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + 10)) click 1
  xdotool key Return
  pix_gui_poll pix_gui_no_error_box
}
pix_gui_no_error_box() { ! pix_gui_error_box >/dev/null; }

# The text, caption and style of the last error box, from Wine's trace.
pix_gui_last_error_box() {
  grep -a 'Call user32.MessageBoxA(' "$PIX_GUI_DIR/relay.log" | tail -n 1 |
    sed -E 's/.*MessageBoxA\([0-9a-f]+,[0-9a-f]+ (".*"),[0-9a-f]+ (".*"),([0-9a-f]+)\).*/\1,\2,\3/'
}

# Ends whatever is left of a case's program.
pix_gui_end_all() {
  if pix_gui_running; then
    kill "$PIX_GUI_PID" 2>/dev/null
    wait "$PIX_GUI_PID" 2>/dev/null
  fi
  PIX_GUI_PID=
  pkill -f 'e2e.*Pix_Rn\.exe' 2>/dev/null
  pix_gui_poll pix_gui_no_leftover || true
}
pix_gui_no_leftover() { ! pgrep -f 'e2e.*Pix_Rn\.exe' >/dev/null; }

pix_gui_no_main_window() { ! pix_gui_has_main_window; }

pix_gui_geometry() {
  local window
  window=$(pix_gui_main_window)
  [[ -n $window ]] && xdotool getwindowgeometry --shell "$window"
}
pix_gui_width() { (eval "$(pix_gui_geometry)" && echo "$WIDTH"); }
pix_gui_left() { (eval "$(pix_gui_geometry)" && echo "$X"); }
pix_gui_width_is() { [[ $(pix_gui_width) == "$1" ]]; }

pix_gui_double_click_at() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(pix_gui_geometry)" || return 1
  xdotool mousemove $((X + $1)) $((Y + $2)) click --repeat 2 --delay 80 1
}

# Whether the program keeps running for the given seconds (it must not end).
pix_gui_stays_running() {
  local deadline=$((SECONDS + $1))
  while ((SECONDS < deadline)); do
    pix_gui_running || return 1
    sleep 0.2
  done
}

# Whether the window shows a skin picture (skin/art/NAME.bmp) at x, y.
pix_gui_region_is() {
  local x=$1 y=$2 picture=$PIX_ROOT/skin/art/$3.bmp X Y WIDTH HEIGHT SCREEN WINDOW size
  eval "$(pix_gui_geometry)" || return 1
  size=$(identify -format '%wx%h' "$picture")
  local shot
  shot=$(mktemp --suffix=.png)
  import -window root -crop "${size}+$((X + x))+$((Y + y))" +repage "$shot" 2>/dev/null
  local differing
  differing=$(compare -metric AE "$shot" "$picture" null: 2>&1)
  rm -f "$shot"
  [[ $differing == 0 ]]
}

# --- cases: a folder each, their files, their checks ---------------------------
# Sets up a runner of cases whose folders go under C:\\<name>.
pix_cases_init() {
  exe=$PIX_BUILD/win32/Pix_Rn.exe
  drive_c=$(pix_drive_c)
  target=$drive_c/windows/Pix_Rn.jpg
  root=$drive_c/$1
  passed=0
  failed=0
}

# A folder of its own with the program in it; prints its Unix path.
new_case() {
  local dir=$root/$1
  chmod -R u+w "$dir" 2>/dev/null
  rm -rf "$dir"
  mkdir -p "$dir"
  cp "$exe" "$dir/"
  printf '%s\n' "$dir"
}

# The settings file beside the program: one argument a line, CR LF ends.
write_settings() {
  local dir=$1
  shift
  : >"$dir/Pix_rn.dat"
  local line
  for line in "$@"; do printf '%s\r\n' "$line" >>"$dir/Pix_rn.dat"; done
}

# Small real JPEG files, each of its own colour, so that each is told apart
# byte for byte.
make_pictures() {
  local folder=$1
  shift
  mkdir -p "$folder"
  local name colour=0
  for name in "$@"; do
    colour=$((colour + 1))
    convert -size 8x8 "xc:rgb($((colour * 40 % 256)),$((colour * 90 % 256)),$((colour * 150 % 256)))" \
      "$folder/$name"
  done
}

# An old picture in the Windows directory, to see whether it is replaced.
old_picture() { convert -size 4x4 xc:gray "$target"; }

# Runs the program to its end; prints the exit code.
run_to_end() {
  local dir=$1
  (cd "$dir" && timeout 120 wine "$dir/Pix_Rn.exe" >/dev/null 2>&1)
  echo $?
}

# The Windows form of a Unix path under drive C:.
win_path() { printf 'C:%s\n' "${1#"$drive_c"}" | tr '/' '\\'; }

case_failures=()
expect_eq() {
  local what=$1 actual=$2 expected=$3
  [[ $actual == "$expected" ]] || case_failures+=("$what: got [$actual], expected [$expected]")
}
expect_same_file() {
  local what=$1 actual=$2 expected=$3
  cmp -s "$actual" "$expected" || case_failures+=("$what: $actual differs from $expected")
}
settings_text() { od -An -c "$1/Pix_rn.dat" | tr -s ' ' | tr -d '\n'; }
expect_settings() {
  local dir=$1
  shift
  local expected
  expected=$(printf '%s\r\n' "$@" | od -An -c | tr -s ' ' | tr -d '\n')
  expect_eq "settings file" "$(settings_text "$dir")" "$expected"
}

run_case() {
  local name=$1
  case_failures=()
  rm -f "$target.tmp"
  pix_gui_end_all
  "$name"
  pix_gui_end_all
  if ((${#case_failures[@]} == 0)); then
    passed=$((passed + 1))
    echo "[ OK ] ${name#case_}"
  else
    failed=$((failed + 1))
    echo "[FAIL] ${name#case_}"
    printf '       %s\n' "${case_failures[@]}"
  fi
}


# Runs every function named case_* (or those matching PIX_CASES_ONLY) and
# prints "<name>: N passed, N failed".
pix_cases_run() {
  mkdir -p "$root"
  local name
  for name in $(declare -F | awk '{print $3}' | grep '^case_'); do
    if [[ -n ${PIX_CASES_ONLY:-} && $name != *"$PIX_CASES_ONLY"* ]]; then continue; fi
    run_case "$name"
  done
  echo "$1: $passed passed, $failed failed"
  ((failed == 0))
}
