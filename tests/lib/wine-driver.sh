# Driving the program under Wine for the script suites (end-to-end, GUI,
# install, faults) and the benchmark: programs started and ended by the
# process id recorded at their start, the program's window found, used and
# looked at against the skin's bitmaps, and named cases run one line each
# with the summary "SUITE: N passed, N failed". Every wait polls with a
# deadline. Sourced after scripts/common.sh, not run; the sourcing script
# calls gui_cleanup on its way out.

# --- waiting -------------------------------------------------------------------

# How long a wait may take, in seconds, unless the call gives its own limit.
PIX_GUI_TIMEOUT=${PIX_GUI_TIMEOUT:-60}

# Polls a command until it succeeds or the deadline passes:
# gui_poll [SECONDS] COMMAND [ARGUMENT...]
gui_poll() {
  local limit=$PIX_GUI_TIMEOUT
  if [[ $1 =~ ^[0-9]+$ ]]; then
    limit=$1
    shift
  fi
  local deadline=$((SECONDS + limit))
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# --- programs under Wine -------------------------------------------------------
# Each start records the pid of its Wine process with a tag of its own, which
# it passes in the environment (PIX_WINE_RUN). Wine hands the environment
# down to every program that process starts (the help, an uninstaller's
# copy of itself), though it starts most of them in sessions of their own,
# outside its process group and its children: the tag is what ties them to
# the start. Ending a start ends the processes with its tag and no others.

GUI_SCRATCH=$(mktemp -d)
PIX_WINE_STARTS=$GUI_SCRATCH/starts # "PID TAG" a line, from subshells too
: >"$PIX_WINE_STARTS"
PIX_WINE_SUITE=$$-$(date +%s%N)
PIX_WINE_COUNT=0
PIX_WINE_PID=
PIX_WINE_SESSION_UP=

# Wine's session programs (its services, the desktop) are started by the
# first program of a session and would carry that program's tag: the session
# is started untagged first.
pix_wine_session() {
  [[ -n $PIX_WINE_SESSION_UP ]] && return 0
  wine cmd /c exit >/dev/null 2>&1
  PIX_WINE_SESSION_UP=yes
}

# Starts a program under Wine in the background, in a folder, with its
# standard error into a file and its pid into PIX_WINE_PID:
# pix_wine_launch DIR ERROR_LOG [NAME=VALUE...] PROGRAM [ARGUMENT...]
pix_wine_launch() {
  local dir=$1 log=$2
  shift 2
  local settings=()
  while [[ ${1:-} =~ ^[A-Za-z_][A-Za-z0-9_]*= ]]; do
    settings+=("$1")
    shift
  done
  pix_wine_session
  pix_record_started "$1"
  PIX_WINE_COUNT=$((PIX_WINE_COUNT + 1))
  local tag=$PIX_WINE_SUITE-$BASHPID-$PIX_WINE_COUNT
  (cd "$dir" && exec env "${settings[@]}" PIX_WINE_RUN="$tag" wine "$@" >/dev/null 2>"$log") &
  PIX_WINE_PID=$!
  echo "$PIX_WINE_PID $tag" >>"$PIX_WINE_STARTS"
  # Until Wine's exec the new process lacks the tag and would pass for ended.
  gui_poll 10 _pix_wine_begun "$PIX_WINE_PID" "$tag" || pix_log "$*: no sign of the start"
}
_pix_wine_begun() {
  grep -qzx -e "PIX_WINE_RUN=$2" "/proc/$1/environ" 2>/dev/null && return 0
  [[ ! -e /proc/$1 ]] || grep -q '^State:[[:space:]]*Z' "/proc/$1/status" 2>/dev/null
}

# With PIX_STARTED_PROGRAMS set (the test command sets it), every start of a
# shipped program, Pix_Rn.exe or Hlp_Vw.exe, given by its path on drive C:
# or in Unix, adds a line "SHA-256 NAME SCRIPT" to that file: what the
# suites ran, to be held against the release packages.
pix_record_started() {
  [[ -n ${PIX_STARTED_PROGRAMS:-} ]] || return 0
  local program=$1 file
  case $program in
    [Cc]:\\*) file=$(pix_drive_c)/$(tr '\\' / <<<"${program:3}") ;;
    /*) file=$program ;;
    *) return 0 ;;
  esac
  local name=${file##*/}
  case ${name,,} in
    pix_rn.exe | hlp_vw.exe) ;;
    *) return 0 ;;
  esac
  [[ -f $file ]] || return 0
  printf '%s %s %s\n' "$(sha256sum <"$file" | cut -d' ' -f1)" "$name" "$(basename "$0")" >>"$PIX_STARTED_PROGRAMS"
}

# Runs a program as pix_wine_launch does and waits for its end, at most
# LIMIT seconds; gives its exit code, or 124 when it had to be ended:
# pix_wine_run LIMIT DIR ERROR_LOG [NAME=VALUE...] PROGRAM [ARGUMENT...]
pix_wine_run() {
  local limit=$1
  shift
  pix_wine_launch "$@"
  local pid=$PIX_WINE_PID
  if ! gui_poll "$limit" pix_wine_ended "$pid"; then
    pix_wine_end "$pid"
    return 124
  fi
  wait "$pid" 2>/dev/null
}

_pix_wine_tag_of() { awk -v pid="$1" '$1 == pid { tag = $2 } END { print tag }' "$PIX_WINE_STARTS" 2>/dev/null; }
# The pids whose environment holds the tag. A process that has ended shows
# an empty environment, so an ended start's pid, even reused, never matches.
_pix_wine_tagged() { grep -slzx -e "PIX_WINE_RUN=$1" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3; }
_pix_wine_none() { [[ -z $(_pix_wine_tagged "$1") ]]; }

# Whether a start's own process still runs.
pix_wine_running() {
  local tag
  [[ -n ${1:-} ]] || return 1
  tag=$(_pix_wine_tag_of "$1")
  [[ -n $tag ]] && grep -qzx -e "PIX_WINE_RUN=$tag" "/proc/$1/environ" 2>/dev/null
}
pix_wine_ended() { ! pix_wine_running "$1"; }

# The processes of a start: its own and every one it started.
pix_wine_tree() {
  local tag
  tag=$(_pix_wine_tag_of "$1")
  [[ -z $tag ]] || _pix_wine_tagged "$tag"
}

# Ends the processes of a tag and waits until they are gone: TERM, then
# KILL for what is still there 10 s later.
_pix_wine_end_tag() {
  local tag=$1
  _pix_wine_none "$tag" && return 0
  kill -TERM $(_pix_wine_tagged "$tag") 2>/dev/null || true
  gui_poll 10 _pix_wine_none "$tag" && return 0
  kill -KILL $(_pix_wine_tagged "$tag") 2>/dev/null || true
  gui_poll 10 _pix_wine_none "$tag" && return 0
  pix_log "still running after KILL: $(_pix_wine_tagged "$tag" | tr '\n' ' ')"
  return 1
}

# Ends a start by its recorded pid, with everything it started.
pix_wine_end() {
  local tag
  [[ -n ${1:-} ]] || return 0
  tag=$(_pix_wine_tag_of "$1")
  [[ -n $tag ]] || return 0
  _pix_wine_end_tag "$tag" || true
  wait "$1" 2>/dev/null || true
}

# Asks what a start started to end (TERM), leaving the start's own process.
pix_wine_end_started() {
  local pid
  for pid in $(pix_wine_tree "${1:-}"); do
    [[ $pid == "$1" ]] || kill -TERM "$pid" 2>/dev/null || true
  done
}

# Ends every start recorded since the last call, and forgets them.
pix_wine_end_all() {
  local starts start
  [[ -f $PIX_WINE_STARTS ]] || return 0
  mapfile -t starts <"$PIX_WINE_STARTS"
  for start in "${starts[@]}"; do
    _pix_wine_end_tag "${start#* }" || true
    wait "${start%% *}" 2>/dev/null || true
  done
  : >"$PIX_WINE_STARTS"
}

# --- the program and its window ----------------------------------------------------

GUI_ART=$PIX_ROOT/skin/art
GUI_OUT=$PIX_BUILD/gui
GUI_DRIVER=$PIX_WIN_BUILD/tests/gui/pix_gui_driver.exe
GUI_PID=        # the start: the program, or the driver that started it
GUI_WINDOW_PID= # the program's own process, whose windows are looked for
GUI_DIR=        # the program's folder, and its Windows form
GUI_WIN_DIR=
GUI_EXIT=

# The window's place on the screen, as of the last gui_locate.
WIN_X=0
WIN_Y=0
WIN_WIDTH=0
WIN_HEIGHT=0

# Ends what is left of the programs, lets the folders a standard user's run
# locked take new files again and removes the library's files.
gui_cleanup() {
  gui_stop
  pix_wine_end_all
  standard_user_release
  # Never into a volume a suite mounted under it, whatever that holds.
  rm -rf --one-file-system "$GUI_SCRATCH"
}

# The Windows form of a Unix path under drive C:.
win_path() {
  local drive_c
  drive_c=$(pix_drive_c)
  printf 'C:%s\n' "${1#"$drive_c"}" | tr '/' '\\'
}

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
  cp "$PIX_WIN_BUILD/Pix_Rn.exe" "$GUI_DIR/"
  local sub
  for sub in 01 02 03 04 05 06 07 08 09 10 11 12; do
    mkdir "$GUI_DIR/sub$sub"
  done
  if (($# > 0)); then
    printf '%s\r\n' "$@" >"$GUI_DIR/Pix_rn.dat"
  fi
}

gui_running() { pix_wine_running "$GUI_PID"; }
gui_ended() { ! gui_running; }

# The main window of the running program (the X windows carry the pid of
# the program's Wine process).
gui_window() { xdotool search --all --onlyvisible --pid "$GUI_WINDOW_PID" --name '^Form1$' 2>/dev/null | head -n 1; }
gui_has_window() { [[ -n $(gui_window) ]]; }
gui_has_no_window() { ! gui_has_window; }

# Starts the program in its folder (DIR, or the one gui_install made), with
# the mouse out of the way, and waits for its window to be shown and
# painted. With "relay", Wine traces the calls named in the prefix's
# RelayInclude (the error box) into GUI_RELAY_LOG, a file of the run's own.
# gui_start [DIR [relay]]
GUI_RELAY_LOG=$GUI_SCRATCH/relay.log
gui_start() {
  if [[ -n ${1:-} ]]; then
    GUI_DIR=$1
    GUI_WIN_DIR=$(win_path "$1")
  fi
  standard_user_folders "$GUI_DIR" || return 1
  local log=/dev/null settings=()
  if [[ ${2:-} == relay ]]; then
    wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ \
      /d 'user32.MessageBoxA;user32.SystemParametersInfoA' /f >/dev/null 2>&1
    log=$GUI_RELAY_LOG
    settings=(WINEDEBUG=+relay)
  fi
  xdotool mousemove 1000 740
  pix_wine_launch "$GUI_DIR" "$log" "${settings[@]}" "$GUI_WIN_DIR\\Pix_Rn.exe"
  GUI_PID=$PIX_WINE_PID
  GUI_WINDOW_PID=$GUI_PID
  GUI_EXIT=
  gui_poll gui_has_window || return 1
  gui_locate || return 1
  # Painted: the skin's top-left corner is on the screen.
  gui_poll gui_region_is 0 0 background_corner
}

# Starts the program through the driver with a show command (7: minimized,
# as a shortcut set to run minimized starts it) and waits until its windows
# exist. GUI_PID is then the driver's, which ends with the program's code.
gui_start_shown() {
  xdotool mousemove 1000 740
  pix_wine_launch "$GUI_DIR" /dev/null "$GUI_DRIVER" run "$GUI_WIN_DIR\\Pix_Rn.exe" "$1"
  GUI_PID=$PIX_WINE_PID
  GUI_WINDOW_PID=
  GUI_EXIT=
  gui_poll gui_find_program || return 1
  gui_poll gui_state >/dev/null
}
# The program's own process, which the driver started: the one of the
# driver's processes whose command line starts with the program.
gui_find_program() {
  local pid line
  for pid in $(pix_wine_tree "$GUI_PID"); do
    [[ $pid == "$GUI_PID" ]] && continue
    line=$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)
    if [[ ${line#\"} == "$GUI_WIN_DIR\\Pix_Rn.exe"* ]]; then
      GUI_WINDOW_PID=$pid
      return 0
    fi
  done
  return 1
}

# One line on the program's windows, from inside Wine: the application
# window iconic, shown or hidden; the main window shown or hidden, its place;
# the window with the focus, as class:text.
gui_state() { wine "$GUI_DRIVER" state "$GUI_WIN_DIR\\Pix_Rn.exe" 2>/dev/null | tr -d '\r'; }
gui_state_has() { [[ " $(gui_state) " == *" $1 "* ]]; }
# The taskbar's commands to the application window: close, minimize, restore.
gui_taskbar() { wine "$GUI_DRIVER" taskbar "$GUI_WIN_DIR\\Pix_Rn.exe" "$1" >/dev/null 2>&1; }

# Ends the program, and what it started, if it still runs.
gui_stop() {
  pix_wine_end "$GUI_PID"
  GUI_PID=
  GUI_WINDOW_PID=
}

# Waits for the program to end by itself; its exit code goes to GUI_EXIT.
gui_wait_end() {
  GUI_EXIT=timeout
  [[ -n $GUI_PID ]] || return 1
  gui_poll gui_ended || return 1
  wait "$GUI_PID" 2>/dev/null
  GUI_EXIT=$?
  GUI_PID=
}

# Whether the program keeps running for the given seconds (it must not end).
gui_stays_running() { gui_running && ! gui_poll "$1" gui_ended; }

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
gui_double_click() { gui_move "$1" "$2" && xdotool click --repeat 2 --delay 80 1; }
# The exit button stands at 250,83 and is 17 x 18.
gui_click_exit() { gui_click 258 91; }
# Keys go to the window under the mouse (the display has no window manager
# and keeps the focus with the pointer): the mouse waits on bare skin.
gui_keys() { gui_move 200 120 && xdotool key "$@"; }

# --- the error box ---------------------------------------------------------------

# The error box: a visible window of the program with the program's title.
gui_error_box() {
  local window WIDTH HEIGHT X Y SCREEN
  for window in $(xdotool search --all --onlyvisible --pid "$GUI_WINDOW_PID" --name '^Pix_rn$' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$window")"
    if ((WIDTH > 40 && HEIGHT > 40)); then
      echo "$window"
      return 0
    fi
  done
  return 1
}
gui_error_box_count() { gui_error_box | wc -l; }
gui_no_error_box() { ! gui_error_box >/dev/null; }

# Waits for the error box, presses its OK button by the keyboard, and waits
# for it to go.
gui_dismiss_error_box() {
  gui_poll gui_error_box >/dev/null || return 1
  local box X Y WIDTH HEIGHT SCREEN
  box=$(gui_error_box)
  eval "$(xdotool getwindowgeometry --shell "$box")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + 10)) click 1
  xdotool key Return
  gui_poll gui_no_error_box
}

# The text, caption and style of the last error box, from Wine's trace.
gui_last_error_box() {
  grep -a 'Call user32.MessageBoxA(' "$GUI_RELAY_LOG" | tail -n 1 |
    sed -E 's/.*MessageBoxA\([0-9a-f]+,[0-9a-f]+ (".*"),[0-9a-f]+ (".*"),([0-9a-f]+)\).*/\1,\2,\3/'
}

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
# GUI_ART_SUFFIX picks the art of a display scale ("-150"), "" the design's.
GUI_ART_SUFFIX=${GUI_ART_SUFFIX:-}
gui_art() {
  local name=$1 file=$GUI_SCRATCH/$1$GUI_ART_SUFFIX.png
  if [[ ! -f $file ]]; then
    case $name in
      background_corner) convert "$GUI_ART/background$GUI_ART_SUFFIX.bmp" -crop 16x16+0+0 +repage "$file" ;;
      *) convert "$GUI_ART/$name$GUI_ART_SUFFIX.bmp" "$file" ;;
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
  local x=$1 y=$2 glyph=$GUI_ART/$3$GUI_ART_SUFFIX.bmp background=$4
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

# The hint under the mouse: its text, below the cursor at x, y of the window.
hint_shows() {
  local text=$1 x=$2 y=$3 line name hx hy
  line=$(gui_popups | head -n 1)
  [[ -n $line ]] || return 1
  IFS=$'\t' read -r name hx hy _ <<<"$line"
  [[ $name == "$text" ]] && ((hy > WIN_Y + y && hx <= WIN_X + x))
}
gui_no_popup() { [[ -z $(gui_popups) ]]; }
gui_has_popup() { [[ -n $(gui_popups) ]]; }

# --- cases: a folder each, their files, their checks ---------------------------

# Sets up cases whose folders go under C:\<name>: exe, drive_c, target (the
# picture the program installs, C:\windows\Pix_Rn.jpg) and root.
pix_cases_init() {
  exe=$PIX_WIN_BUILD/Pix_Rn.exe
  drive_c=$(pix_drive_c)
  target=$drive_c/windows/Pix_Rn.jpg
  root=$drive_c/$1
  PIX_CASE_CLEANUP=pix_cases_tidy
  # A suite that was killed outright could not lift its flags.
  standard_user_release
}
pix_cases_tidy() {
  standard_user_release
  rm -rf "$target".*.tmp "$target".*.bak
}

# --- the standard user's folders ---------------------------------------------------
# A standard user of Windows may write Pix_Rn.jpg and Pix_rn.dat, which the
# installer made and let the Users group modify, but may create nothing
# beside them: neither the Windows directory nor the program's folder takes
# a new file, so every write of the program goes in place. The suites run as
# root, where both folders take anything; run with PIX_STANDARD_USER set
# (their argument "standard-user"), they stage the standard user's folders
# with `chattr +i`, which refuses new entries in a folder and leaves the
# files in it writable and its subfolders as they are. The folders stay so
# from the first start of the program in a case to the case's end.
PIX_STANDARD_USER=
# Outside the scratch folder, so that the next suite finds the folders a
# killed one left locked.
PIX_LOCKED_FOLDERS=$PIX_BUILD/standard-user-locked-folders

# Locks the Windows directory and the given program folders as a standard
# user finds them, when the suite runs as one; Pix_Rn.jpg is staged first
# when it is missing, as the installer would have made it.
# standard_user_folders [FOLDER...]
standard_user_folders() {
  [[ -n $PIX_STANDARD_USER ]] || return 0
  [[ -f $target ]] || old_picture
  local folder
  for folder in "$drive_c/windows" "$@"; do
    # Noted first: an interrupted suite lifts whatever it may have locked.
    echo "$folder" >>"$PIX_LOCKED_FOLDERS"
    chattr +i "$folder" || {
      pix_log "cannot make $folder refuse new files"
      return 1
    }
  done
}

# Lets every folder locked since the last call take new files again.
standard_user_release() {
  [[ -f $PIX_LOCKED_FOLDERS ]] || return 0
  local folder
  while IFS= read -r folder; do
    [[ ! -d $folder ]] || chattr -i "$folder" 2>/dev/null || pix_log "cannot unlock $folder"
  done < <(sort -u "$PIX_LOCKED_FOLDERS")
  rm -f "$PIX_LOCKED_FOLDERS"
}

# Runs a command with a locked folder open for a moment, for what a case
# changes beside the running program that a real user would change in a
# folder of their own: unlocked FOLDER COMMAND [ARGUMENT...]
unlocked() {
  local folder=$1 code=0 locked=
  shift
  [[ $(lsattr -d "$folder" 2>/dev/null | cut -d' ' -f1) == *i* ]] && locked=yes
  [[ -z $locked ]] || chattr -i "$folder"
  "$@" || code=$?
  [[ -z $locked ]] || chattr +i "$folder"
  return $code
}

# Cases that the standard user's run leaves out, each named right after its
# definition with the reason: standard_user_leaves_out NAME
PIX_LEFT_OUT_AS_STANDARD_USER=()
standard_user_leaves_out() { PIX_LEFT_OUT_AS_STANDARD_USER+=("case_${1#case_}"); }

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

# Runs the program in its folder to its end, at most two minutes; prints
# the exit code (124: it had to be ended).
run_to_end() {
  local dir=$1 code=0
  standard_user_folders "$dir" || {
    echo "the folders were not locked"
    return
  }
  pix_wine_run 120 "$dir" /dev/null "$(win_path "$dir")\\Pix_Rn.exe" || code=$?
  echo "$code"
}

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
# A check inside a case: gui_expect DESCRIPTION COMMAND...
gui_expect() {
  local what=$1
  shift
  "$@" || case_failures+=("$what")
}

# --- running the cases -----------------------------------------------------------

PIX_CASES_PASSED=0
PIX_CASES_FAILED=0
PIX_CASE_CLEANUP= # a command run before and after each case

# Runs one case, the function case_NAME (named with or without "case_"),
# and reports it on a line of its own. What a case started is ended before
# and after it.
pix_run_case() {
  local name=${1#case_}
  case_failures=()
  pix_wine_end_all
  [[ -z $PIX_CASE_CLEANUP ]] || $PIX_CASE_CLEANUP
  "case_$name"
  gui_stop
  pix_wine_end_all
  [[ -z $PIX_CASE_CLEANUP ]] || $PIX_CASE_CLEANUP
  if ((${#case_failures[@]} == 0)); then
    PIX_CASES_PASSED=$((PIX_CASES_PASSED + 1))
    echo "[ OK ] $name"
  else
    PIX_CASES_FAILED=$((PIX_CASES_FAILED + 1))
    echo "[FAIL] $name"
    printf '       %s\n' "${case_failures[@]}"
  fi
}

# Runs the named cases in their order, or every case_* function when none is
# named, keeping those whose name holds PIX_CASES_ONLY when it is set and,
# in a standard user's run, those it does not leave out; then prints
# "SUITE: N passed, N failed" and fails when a case failed.
# pix_run_cases SUITE [CASE...]
pix_run_cases() {
  local suite=$1
  shift
  local names=("$@") name
  if ((${#names[@]} == 0)); then
    mapfile -t names < <(declare -F | awk '{print $3}' | grep '^case_')
  fi
  pix_wine_session
  for name in "${names[@]}"; do
    if [[ -n ${PIX_CASES_ONLY:-} && $name != *"$PIX_CASES_ONLY"* ]]; then continue; fi
    if [[ -n $PIX_STANDARD_USER && " ${PIX_LEFT_OUT_AS_STANDARD_USER[*]} " == *" case_${name#case_} "* ]]; then
      continue
    fi
    pix_run_case "$name"
  done
  echo "$suite: $PIX_CASES_PASSED passed, $PIX_CASES_FAILED failed"
  ((PIX_CASES_FAILED == 0))
}
