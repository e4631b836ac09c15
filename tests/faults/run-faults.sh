#!/usr/bin/env bash
# The fault suite under Wine: the program starts unattended on machines
# where files get locked, folders vanish and settings files get hand-edited.
# Each case breaks something and states what must hold afterwards: the old
# Pix_Rn.jpg intact where nothing was installed, the settings file whole,
# and an exit code of 0, or the error box with the table's message and the
# program still answering. Full disks are small tmpfs volumes, folders that
# take no new file are made so with `chattr +i`, and a slow or failing share
# of pictures is a FUSE file system of the suite's own (picture-share.py).
# Prints "survived N of M" and "faults: N passed, N failed".
#
# With the argument "standard-user" every case runs as a standard user of
# Windows has it: the Windows directory and the program's folder take no new
# file, so the program writes Pix_Rn.jpg and Pix_rn.dat in place (see
# standard_user_folders); it prints "faults-standard-user: N passed, N failed".
#
# Needs root, a display and the prefix (scripts/common.sh); run by scripts/test.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/common.sh"
source "$here/../lib/wine-driver.sh"
trap 'release_volumes; gui_cleanup' EXIT

pix_cases_init faults
suite=faults
if [[ ${1:-} == standard-user ]]; then
  PIX_STANDARD_USER=yes
  suite=faults-standard-user
fi
PIX_CASE_CLEANUP=faults_tidy
faults_tidy() {
  release_volumes
  pix_cases_tidy
}

# --- small volumes ---------------------------------------------------------------
# A full disk needs a small one: a tmpfs (in 4 KiB pages) mounted for the
# case and gone after it. A folder made immutable takes no new file, while
# the files already in it may still be written, as a folder that grants its
# users only the files in it.
VOLUMES=()        # mount points, the last mounted last
IMMUTABLE=()      # folders to make mutable again
DRIVE_LINKS=()    # drive letters mapped for the case
SHARES=()         # picture shares: "PID MOUNT POINT"

mount_volume() {
  local point=$1 kib=$2
  mkdir -p "$point"
  mount -t tmpfs -o "size=${kib}k,mode=0755" tmpfs "$point" || return 1
  VOLUMES+=("$point")
}
refuse_new_files() { chattr +i "$1" && IMMUTABLE+=("$1"); }
# Writes zeros until the volume is full.
fill_volume() { dd if=/dev/zero of="$1/filler" bs=4096 status=none 2>/dev/null || true; }
release_volumes() {
  local i
  stop_shares
  for i in "${IMMUTABLE[@]}"; do chattr -i "$i" 2>/dev/null; done
  for i in "${DRIVE_LINKS[@]}"; do rm -f "$i"; done
  # A Wine process that has just ended may hold the volume a moment longer.
  for ((i = ${#VOLUMES[@]} - 1; i >= 0; i--)); do
    gui_poll 10 umount "${VOLUMES[i]}" 2>/dev/null || umount -l "${VOLUMES[i]}" 2>/dev/null
  done
  IMMUTABLE=() DRIVE_LINKS=() VOLUMES=()
}
# Maps a Wine drive letter (lower case) to a folder.
map_drive() {
  ln -sfn "$2" "$WINEPREFIX/dosdevices/$1:" && DRIVE_LINKS+=("$WINEPREFIX/dosdevices/$1:")
}

# Puts the Windows directory on a small volume of its own for the case: the
# volume holds the program's picture (a copy of the one there) and links to
# everything else the directory holds, and is mounted over the directory.
windows_on_a_small_volume() {
  local kib=$1 small=$GUI_SCRATCH/small-windows real=$GUI_SCRATCH/real-windows windows=$drive_c/windows
  mkdir -p "$real"
  # The links reach the directory through a read-only view of it: nothing
  # the case does can change what the prefix holds there.
  mount --bind "$windows" "$real" || return 1
  VOLUMES+=("$real")
  mount -o remount,bind,ro "$real" || return 1
  mount_volume "$small" "$kib" || return 1
  mkdir "$small/windows"
  local entry
  for entry in "$real"/* "$real"/.[!.]*; do
    [[ -e $entry && $(basename "$entry") != Pix_Rn.jpg ]] && ln -s "$entry" "$small/windows/"
  done
  [[ ! -f $real/Pix_Rn.jpg ]] || cp "$real/Pix_Rn.jpg" "$small/windows/Pix_Rn.jpg"
  mount --bind "$small/windows" "$windows" || return 1
  VOLUMES+=("$windows")
}

# --- shares of pictures that misbehave -----------------------------------------
# A FUSE file system (picture-share.py) mounted as a case's picture folder
# shows one picture, the content of a file outside the prefix, and serves it
# slowly or fails part way; it records each read in its log.

# serve_picture MOUNT_POINT SOURCE LOG [--delay SECONDS] [--fail-past BYTES]
serve_picture() {
  local point=$1 source=$2 log=$3
  shift 3
  # One left by a suite that was killed outright.
  ! findmnt -rn --mountpoint "$point" >/dev/null || umount -l "$point"
  mkdir -p "$point"
  : >"$log"
  /usr/bin/python3 "$here/picture-share.py" "$source" "$point" "$log" "$@" 2>>"$GUI_SCRATCH/picture-share.log" &
  SHARES+=("$! $point")
  gui_poll 20 test -f "$point/$(basename "$source")"
}
# Ended, or ended and not yet waited for.
_process_ended() { [[ ! -e /proc/$1 ]] || grep -q '^State:[[:space:]]*Z' "/proc/$1/status" 2>/dev/null; }
# Unmounts every share, and ends its server should it not end by itself.
stop_shares() {
  local share pid point
  for share in "${SHARES[@]}"; do
    pid=${share%% *} point=${share#* }
    # The mount table, not the mount point, which a dead server leaves unreadable.
    if findmnt -rn --mountpoint "$point" >/dev/null; then
      gui_poll 10 fusermount -u "$point" 2>/dev/null || umount -l "$point" 2>/dev/null
    fi
    gui_poll 10 _process_ended "$pid" || kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  SHARES=()
}
# Whether the log of a share shows a read at or past an offset.
share_read_past() { awk -v past="$2" '$1 == "read" && $2 >= past { found = 1 } END { exit !found }' "$1"; }

# Random bytes, so that no two pictures are alike.
random_file() { head -c "$2" /dev/urandom >"$1"; }
no_temporary_files() {
  local left
  left=$(find "$1" -maxdepth 1 -name '*.tmp' -printf '%f ' 2>/dev/null)
  expect_eq "temporary files left in $1" "$left" ""
}
# What a picture file holds, for a failure's message: its length, and which
# of the given files it is the start of, or else begins as.
describe_picture() {
  local file=$1 length candidate name begins=
  shift
  length=$(stat -c %s "$file" 2>/dev/null) || { echo "missing"; return; }
  for candidate in "$@"; do
    name=${candidate#"$root/"}
    [[ $name != "$candidate" ]] || name=$(basename "$candidate")
    if cmp -s -n "$length" "$file" "$candidate"; then
      echo "$length bytes, the start of $name ($(stat -c %s "$candidate") bytes)"
      return
    fi
    [[ -n $begins ]] || ! cmp -s -n 65536 "$file" "$candidate" || begins=", begins as $name"
  done
  echo "$length bytes$begins"
}
expect_old_picture() {
  local old=$1
  shift
  cmp -s "$target" "$old" ||
    case_failures+=("Pix_Rn.jpg is not the old picture: $(describe_picture "$target" "$@") (the old one has $(stat -c %s "$old"))")
}

holder=$PIX_WIN_BUILD/tests/e2e/pix_hold_file.exe
HOLDER_PID=
# The holder's signals, "held" and "release", in a folder of their own.
signals=$root/signals

# Another program holds a file open ("read": it lets others read it).
hold_file() {
  local file=$1 share=$2
  mkdir -p "$signals"
  rm -f "$signals/held" "$signals/release"
  pix_wine_launch "$(dirname "$file")" /dev/null "$holder" "$(win_path "$file")" "$share" "$(win_path "$signals")"
  HOLDER_PID=$PIX_WINE_PID
  gui_poll test -f "$signals/held"
}
# The holder lets go once "release" appears, and ends.
release_file() {
  touch "$signals/release"
  if [[ -n $HOLDER_PID ]]; then
    gui_poll pix_wine_ended "$HOLDER_PID" || pix_log "the holder did not end; it is ended"
    pix_wine_end "$HOLDER_PID"
  fi
  HOLDER_PID=
  rm -f "$signals/held" "$signals/release"
}

stored_index_is() { [[ $(sed -n 4p "$1/Pix_rn.dat" | tr -d '\r') == "$2" ]]; }

# The settings file has exactly four lines, each ended by CR LF.
expect_four_lines() {
  local lines
  lines=$(grep -c $'\r$' "$1/Pix_rn.dat")
  expect_eq "lines ending in CR LF" "$lines" 4
  expect_eq "lines in all" "$(wc -l <"$1/Pix_rn.dat")" 4
}

# A settings file the program cannot use opens the settings window, which
# answers and saves four whole lines through its exit button.
survives_settings() {
  local dir=$1
  old_picture
  cp "$target" "$dir/old.jpg"
  gui_start "$dir" || { case_failures+=("the window did not open"); return; }
  gui_click 237 180  # the author panel: the window answers
  gui_poll gui_width_is 469 || case_failures+=("the window does not answer")
  expect_same_file "Pix_Rn.jpg" "$target" "$dir/old.jpg"
  gui_click_exit
  gui_wait_end
  expect_eq "exit code" "$GUI_EXIT" 0
  expect_four_lines "$dir"
}

case_settings_of_binary_garbage() {
  local dir
  dir=$(new_case garbage)
  # Binary bytes that are the same at every run: the program's own header.
  head -c 4096 "$exe" >"$dir/Pix_rn.dat"
  survives_settings "$dir"
}

# A line far past any path ends the load there, as a failed load does: the
# window opens at once with what it had, and the exit saves that.
case_settings_with_a_line_of_1_mb() {
  local dir
  dir=$(new_case longline)
  { head -c 1048576 /dev/zero | tr '\0' 'p'; printf '\r\n120\r\n1\r\n-1\r\n'; } >"$dir/Pix_rn.dat"
  survives_settings "$dir"
  expect_eq "the load ended at line 1" "$(sed -n 1,2p "$dir/Pix_rn.dat" | tr -d '\r' | tr '\n' '|')" \
    "$(win_path "$dir")\\|0|"
}

case_settings_with_50_mb_of_blanks_after_the_delay() {
  local dir
  dir=$(new_case blankdelay)
  make_pictures "$dir/Pictures" a.jpg
  { printf '%s\r\n60' "$(win_path "$dir/Pictures")\\"; head -c 52428800 /dev/zero | tr '\0' ' '; printf '\r\n0\r\n-1\r\n'; } \
    >"$dir/Pix_rn.dat"
  survives_settings "$dir"
  expect_eq "the folder was loaded, the delay not" "$(sed -n 1,2p "$dir/Pix_rn.dat" | tr -d '\r' | tr '\n' '|')" \
    "$(win_path "$dir/Pictures")\\|0|"
}

# A settings file saved with a UTF-8 byte-order mark rotates as any other.
case_settings_with_a_byte_order_mark() {
  local dir
  dir=$(new_case bom)
  make_pictures "$dir/Pictures" only.jpg
  printf '\xEF\xBB\xBF%s\r\n1\r\n0\r\n-1\r\n' "$(win_path "$dir/Pictures")\\" >"$dir/Pix_rn.dat"
  old_picture
  expect_eq "exit code" "$(run_to_end "$dir")" 0
  expect_same_file "installed picture" "$target" "$dir/Pictures/only.jpg"
}

# A read-only picture is installed as a plain file, so the next run replaces it.
case_read_only_picture_does_not_freeze_the_rotation() {
  local dir
  dir=$(new_case readonlypicture)
  make_pictures "$dir/Pictures" a.jpg b.jpg
  chmod a-w "$dir/Pictures/a.jpg"  # Wine shows a file without write bits as read-only
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 1 -1
  old_picture
  expect_eq "first run" "$(run_to_end "$dir")" 0
  expect_same_file "the first picture" "$target" "$dir/Pictures/a.jpg"
  expect_eq "the installed copy is writable" "$(stat -c %A "$target" | cut -c3)" w
  expect_eq "second run" "$(run_to_end "$dir")" 0
  expect_same_file "the second picture" "$target" "$dir/Pictures/b.jpg"
}

# An empty picture leaves the old one in place.
case_empty_picture_is_not_installed() {
  local dir
  dir=$(new_case emptypicture)
  mkdir -p "$dir/Pictures"
  : >"$dir/Pictures/empty.jpg"
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 0 -1
  old_picture
  cp "$target" "$dir/old.jpg"
  expect_eq "exit code" "$(run_to_end "$dir")" 0
  expect_same_file "Pix_Rn.jpg" "$target" "$dir/old.jpg"
}

case_settings_of_10000_lines() {
  local dir
  dir=$(new_case manylines)
  { printf 'C:\\nowhere\\\r\n0\r\n0\r\n'; seq 1 9997 | sed 's/$/\r/'; } >"$dir/Pix_rn.dat"
  survives_settings "$dir"
}

case_settings_with_cr_only_line_ends() {
  local dir
  dir=$(new_case cronly)
  make_pictures "$dir/Pictures" a.jpg
  printf '%s\r1\r0\r-1\r' "$(win_path "$dir/Pictures")\\" >"$dir/Pix_rn.dat"
  survives_settings "$dir"
}

# Ctrl-Z ends line 2's text: "1^Z0" is the delay 1, which installs.
case_settings_with_ctrl_z_in_line_2() {
  local dir
  dir=$(new_case ctrlz)
  make_pictures "$dir/Pictures" a.jpg
  printf '%s\r\n1\0320\r\n0\r\n-1\r\n' "$(win_path "$dir/Pictures")\\" >"$dir/Pix_rn.dat"
  expect_eq "exit code" "$(run_to_end "$dir")" 0
  expect_same_file "installed picture" "$target" "$dir/Pictures/a.jpg"
}

case_settings_with_a_line_1_over_260_characters() {
  local dir
  dir=$(new_case longpath)
  write_settings "$dir" "C:\\$(printf 'x%.0s' $(seq 1 300))\\" 120 0 -1
  survives_settings "$dir"
}

index_extreme() {
  local stored=$1 dir
  dir=$(new_case "index$2")
  make_pictures "$dir/Pictures" a.jpg b.jpg
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 1 "$stored"
  expect_eq "exit code" "$(run_to_end "$dir")" 0
  expect_same_file "installed picture" "$target" "$dir/Pictures/a.jpg"
  expect_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 1 0
}
case_index_2147483647() { index_extreme 2147483647 max; }
case_index_minus_2147483648() { index_extreme -2147483648 min; }

case_folder_of_100000_files() {
  local dir
  dir=$(new_case hundredthousand)
  mkdir -p "$dir/Pictures"
  make_pictures "$dir/Pictures" only.jpg
  (cd "$dir/Pictures" && seq -f 'other%06g.txt' 1 99999 | xargs touch)
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 0 -1
  expect_eq "exit code" "$(run_to_end "$dir")" 0
  expect_same_file "installed picture" "$target" "$dir/Pictures/only.jpg"
}

# The long countdown gives the case time to break something before the
# installation; the stop button is not pressed.
countdown_then() {
  local dir=$1 mode=$2
  make_pictures "$dir/Pictures" a.jpg b.jpg
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 400 "$mode" -1
  old_picture
  cp "$target" "$dir/old.jpg"
  gui_start "$dir"
}

case_folder_removed_before_the_installation() {
  local dir
  dir=$(new_case folderremoved)
  countdown_then "$dir" 0 || { case_failures+=("the window did not open"); return; }
  # A standard user's pictures lie in a folder of their own, which takes the removal.
  unlocked "$dir" rm -rf "$dir/Pictures"
  gui_wait_end
  expect_eq "exit code" "$GUI_EXIT" 0
  expect_same_file "Pix_Rn.jpg" "$target" "$dir/old.jpg"
}

case_chosen_picture_deleted_before_the_installation() {
  local dir
  dir=$(new_case picturedeleted)
  countdown_then "$dir" 1 || { case_failures+=("the window did not open"); return; }
  # The first step chose index 0, a.jpg, and stored it.
  gui_poll stored_index_is "$dir" 0 || case_failures+=("the sequence did not advance")
  rm -f "$dir/Pictures/a.jpg"
  gui_wait_end
  expect_eq "exit code" "$GUI_EXIT" 0
  expect_same_file "Pix_Rn.jpg" "$target" "$dir/old.jpg"
}

case_read_only_pix_rn_jpg_is_kept() {
  local dir
  dir=$(new_case readonlytarget)
  make_pictures "$dir/Pictures" a.jpg
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 0 -1
  old_picture
  cp "$target" "$dir/old.jpg"
  chmod a-w "$target"  # how Wine keeps the read-only attribute
  expect_eq "exit code" "$(run_to_end "$dir")" 0
  expect_same_file "Pix_Rn.jpg" "$target" "$dir/old.jpg"
  chmod u+w "$target"
}

case_pix_rn_jpg_held_open_by_another_program() {
  local dir
  dir=$(new_case heldtarget)
  make_pictures "$dir/Pictures" a.jpg
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 0 -1
  old_picture
  cp "$target" "$dir/old.jpg"
  hold_file "$target" none || { case_failures+=("could not hold Pix_Rn.jpg"); return; }
  expect_eq "exit code" "$(run_to_end "$dir")" 0
  release_file "$target"
  expect_same_file "Pix_Rn.jpg" "$target" "$dir/old.jpg"
}

# What another run left beside Pix_Rn.jpg under its own names (a process id
# that is never a Wine program's), a temporary folder and a backup, blocks
# nothing and stays.
case_stale_files_of_another_run_beside_pix_rn_jpg() {
  local dir
  dir=$(new_case stalefolder)
  make_pictures "$dir/Pictures" a.jpg
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 0 -1
  old_picture
  rm -rf "$target".1.*
  mkdir "$target.1.tmp"
  echo "another run's backup" >"$target.1.bak"
  expect_eq "exit code" "$(run_to_end "$dir")" 0
  expect_same_file "installed picture" "$target" "$dir/Pictures/a.jpg"
  expect_eq "the stale folder" "$(test -d "$target.1.tmp" && echo kept)" kept
  expect_eq "the stale backup" "$(cat "$target.1.bak")" "another run's backup"
  standard_user_release # they go as they came, by an administrator
  rm -rf "$target".1.*
}

# The Windows directory takes no new file, only Pix_Rn.jpg itself may be
# written, and its disk is full: a picture that needs more room than the old
# one frees is not installed, and the old one stays whole; one that fits is
# written in place.
case_full_disk_and_a_windows_directory_refusing_new_files() {
  local dir
  dir=$(new_case fullwindows)
  mkdir -p "$dir/Pictures"
  random_file "$target" 100000
  cp "$target" "$dir/old.jpg"
  random_file "$dir/Pictures/large.jpg" 414427
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 0 -1
  if ! windows_on_a_small_volume 1024; then
    case_failures+=("could not put the Windows directory on a small volume")
    return
  fi
  fill_volume "$drive_c/windows"
  refuse_new_files "$drive_c/windows"
  expect_eq "exit code" "$(run_to_end "$dir")" 0
  expect_same_file "Pix_Rn.jpg after the large picture" "$target" "$dir/old.jpg"
  no_temporary_files "$drive_c/windows"

  rm "$dir/Pictures/large.jpg"
  random_file "$dir/Pictures/small.jpg" 60000
  expect_eq "exit code" "$(run_to_end "$dir")" 0
  expect_same_file "Pix_Rn.jpg after the small picture" "$target" "$dir/Pictures/small.jpg"
  no_temporary_files "$drive_c/windows"
  release_volumes
  cp "$dir/Pictures/small.jpg" "$target" # what the installation left, on the real directory
}

# The program's folder (on a drive of its own) takes no new file and its
# disk is full: the sequence advance's save needs one byte more than the old
# file's cluster, so it fails with the I/O error and leaves the file whole.
case_full_disk_and_a_program_folder_refusing_new_files() {
  local dir=$GUI_SCRATCH/full-program
  # Room for the program and 1 MiB more, which the filler then takes.
  mount_volume "$dir" $(($(stat -c %s "$exe") / 1024 + 1024)) || { case_failures+=("could not mount a small volume"); return; }
  map_drive p "$dir" || { case_failures+=("could not map drive P:"); return; }
  cp "$exe" "$dir/"
  make_pictures "$root/fullprogram/Pictures" 01.jpg 02.jpg 03.jpg 04.jpg 05.jpg 06.jpg 07.jpg 08.jpg \
    09.jpg 10.jpg 11.jpg
  # Four lines of 4,096 bytes in all; the advance from 9 to 10 adds one.
  local folder delay
  folder="$(win_path "$root/fullprogram/Pictures")\\"
  delay=$(printf '%0*d' $((4096 - ${#folder} - 2 - 2 - 3 - 3)) 300)
  write_settings "$dir" "$folder" "$delay" 1 9
  expect_eq "settings length" "$(stat -c %s "$dir/Pix_rn.dat")" 4096
  cp "$dir/Pix_rn.dat" "$GUI_SCRATCH/settings.before"
  fill_volume "$dir"
  refuse_new_files "$dir"
  old_picture
  GUI_DIR=$dir GUI_WIN_DIR='P:'
  if gui_start "" relay; then
    if gui_dismiss_error_box; then
      expect_eq "error box" "$(gui_last_error_box)" '"I/O error 112.","Pix_rn",00000010'
    else
      case_failures+=("no error box appeared")
    fi
    gui_wait_end
    expect_eq "exit code" "$GUI_EXIT" 0
  else
    case_failures+=("the window did not open")
  fi
  expect_same_file "settings file" "$dir/Pix_rn.dat" "$GUI_SCRATCH/settings.before"
  no_temporary_files "$dir"
  release_volumes
}

# Runs started together, each with a large picture of its own, all install
# over the same Pix_Rn.jpg: it ends as one of them, whole, and no run's
# temporary file stays. As a standard user's they all write the one file in
# place, where a run that finds it busy may keep the old picture: then it
# may also end as the old one. In place the runs meet at one file, not at a
# rename, and a mixture shows only in some rounds: five of them.
case_simultaneous_runs_with_large_pictures() {
  local round rounds=3 runs=6 i pids=() dirs=()
  for i in $(seq 1 $runs); do
    dirs+=("$(new_case "simultaneous$i")")
    mkdir -p "${dirs[i - 1]}/Pictures"
    random_file "${dirs[i - 1]}/Pictures/large.jpg" $((30 * 1024 * 1024 + i))
    write_settings "${dirs[i - 1]}" "$(win_path "${dirs[i - 1]}/Pictures")\\" 1 0 -1
  done
  if [[ -n $PIX_STANDARD_USER ]]; then
    rounds=5
    standard_user_folders "${dirs[@]}" || { case_failures+=("the folders were not locked"); return; }
  fi
  for round in $(seq 1 $rounds); do
    old_picture
    cp "$target" "$GUI_SCRATCH/old.jpg"
    pids=()
    for i in $(seq 1 $runs); do
      pix_wine_launch "${dirs[i - 1]}" /dev/null "$(win_path "${dirs[i - 1]}")\\Pix_Rn.exe"
      pids+=("$PIX_WINE_PID")
    done
    for i in "${pids[@]}"; do
      gui_poll 120 pix_wine_ended "$i" || case_failures+=("round $round: a run did not end")
    done
    local whole=
    for i in $(seq 1 $runs); do
      cmp -s "$target" "${dirs[i - 1]}/Pictures/large.jpg" && whole=$i
    done
    [[ -n $PIX_STANDARD_USER ]] && cmp -s "$target" "$GUI_SCRATCH/old.jpg" && whole=old
    [[ -n $whole ]] || case_failures+=("round $round: Pix_Rn.jpg is none of the pictures ($(describe_picture "$target" "${dirs[@]/%//Pictures/large.jpg}"))")
    no_temporary_files "$drive_c/windows"
  done
}

# --- runs ended or starved while they read the picture ------------------------------

# Log-off, shutdown or the task manager end a run at any point, here while
# the picture still comes from a slow share, as TerminateProcess does: no
# more of the program runs and the system closes its handles. SIGKILL of its
# Wine process is that (Wine's TERM handling would still run code of the
# process). Pix_Rn.jpg is the old picture, whole. A run ended so deletes
# nothing: where it renames a file of its own over Pix_Rn.jpg, that
# temporary file (Pix_Rn.jpg.<process id>.tmp) may stay, and only that one.
case_run_ended_while_the_picture_comes_from_a_slow_share() {
  local dir pid log=$GUI_SCRATCH/slow-share.log
  dir=$(new_case slowshare)
  random_file "$GUI_SCRATCH/slow.jpg" $((8 * 1024 * 1024))
  random_file "$target" 100000
  cp "$target" "$dir/old.jpg"
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 0 -1
  serve_picture "$dir/Pictures" "$GUI_SCRATCH/slow.jpg" "$log" --delay 0.025 ||
    { case_failures+=("the slow share did not come up"); return; }
  standard_user_folders "$dir" || { case_failures+=("the folders were not locked"); return; }
  pix_wine_launch "$dir" /dev/null "$(win_path "$dir")\\Pix_Rn.exe"
  pid=$PIX_WINE_PID
  # Part way: the reads have passed the first MiB of eight.
  if gui_poll 120 share_read_past "$log" 1048576; then
    kill -KILL "$pid"
    # Quiet: the shell reports the kill where it notices the end.
    { gui_poll 20 pix_wine_ended "$pid" || case_failures+=("the killed run did not end"); } 2>/dev/null
  else
    case_failures+=("the run did not read the picture (reads: $(grep -c '^read' "$log"))")
  fi
  pix_wine_end "$pid"
  expect_old_picture "$dir/old.jpg" "$GUI_SCRATCH/slow.jpg"
  local left
  left=$(find "$drive_c/windows" -maxdepth 1 -name '*.tmp' -printf '%f ' 2>/dev/null)
  if [[ -n $left && -z $PIX_STANDARD_USER && $left =~ ^Pix_Rn\.jpg\.[0-9]+\.tmp\ $ ]]; then
    rm -f "$drive_c/windows/${left% }" # the ended run's own, which nothing else removes
    left=
  fi
  expect_eq "temporary files left in $drive_c/windows" "$left" ""
}

# A picture that cannot be read past its first MiB of four (a bad sector, a
# share that drops): the run ends as usual and Pix_Rn.jpg stays the old
# picture, whole, with no temporary file left.
case_picture_unreadable_past_1_mb_is_not_installed() {
  local dir log=$GUI_SCRATCH/failing-share.log
  dir=$(new_case unreadable)
  random_file "$GUI_SCRATCH/unreadable.jpg" $((4 * 1024 * 1024))
  random_file "$target" 100000
  cp "$target" "$dir/old.jpg"
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 0 -1
  serve_picture "$dir/Pictures" "$GUI_SCRATCH/unreadable.jpg" "$log" --fail-past 1048576 ||
    { case_failures+=("the failing share did not come up"); return; }
  expect_eq "exit code" "$(run_to_end "$dir")" 0
  gui_expect "the run read up to the part that fails" grep -q ' EIO$' "$log"
  expect_old_picture "$dir/old.jpg" "$GUI_SCRATCH/unreadable.jpg"
  no_temporary_files "$drive_c/windows"
}

# Another program may read the settings file but not write it while the
# sequence advances: the error box says so, the file stays whole, and the
# countdown still installs.
case_settings_held_during_the_sequence_advance() {
  local dir
  dir=$(new_case heldsettings)
  make_pictures "$dir/Pictures" a.jpg b.jpg
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 300 1 -1
  cp "$dir/Pix_rn.dat" "$dir/settings.before"
  old_picture
  hold_file "$dir/Pix_rn.dat" read || { case_failures+=("could not hold the settings file"); return; }
  gui_start "$dir" relay || { case_failures+=("the window did not open"); release_file "$dir/Pix_rn.dat"; return; }
  if gui_dismiss_error_box; then
    expect_eq "error box" "$(gui_last_error_box)" '"I/O error 32.","Pix_rn",00000010'
  else
    case_failures+=("no error box appeared")
  fi
  release_file "$dir/Pix_rn.dat"
  expect_same_file "settings file" "$dir/Pix_rn.dat" "$dir/settings.before"
  gui_wait_end
  expect_eq "exit code" "$GUI_EXIT" 0
  expect_same_file "installed picture" "$target" "$dir/Pictures/a.jpg"
}

case_picture_folder_on_a_missing_drive() {
  local dir
  dir=$(new_case missingdrive)
  write_settings "$dir" 'Q:\Pictures\' 120 1 -1
  survives_settings "$dir"
  expect_settings "$dir" 'Q:\Pictures\' 120 1 -1
}

# Names the system code page cannot hold reach the program as "?"s: it must
# neither crash nor install a wrong file.
case_picture_names_outside_the_code_page() {
  local dir
  dir=$(new_case codepage)
  make_pictures "$dir/Pictures" "фото.jpg" "写真.jpg"
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 0 -1
  old_picture
  cp "$target" "$dir/old.jpg"
  expect_eq "exit code" "$(run_to_end "$dir")" 0
  if ! cmp -s "$target" "$dir/old.jpg"; then
    cmp -s "$target" "$dir/Pictures/фото.jpg" || cmp -s "$target" "$dir/Pictures/写真.jpg" ||
      case_failures+=("Pix_Rn.jpg is neither the old picture nor one of the folder's")
  fi
}

# The suite's own count line and the one the test command reads.
pix_run_cases "$suite"
code=$?
echo "survived $PIX_CASES_PASSED of $((PIX_CASES_PASSED + PIX_CASES_FAILED))"
exit $code
