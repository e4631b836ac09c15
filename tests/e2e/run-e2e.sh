#!/usr/bin/env bash
# End-to-end cases under Wine: each copies Pix_Rn.exe into a folder of its
# own on the prefix's drive C:, writes its Pix_rn.dat and a folder of small
# real JPEG files, runs the program and checks the exit code, the installed
# C:\windows\Pix_Rn.jpg byte for byte and the settings file afterwards.
# Cases that leave the window open end it through its exit button, as a user
# would. Prints a line per case and "e2e: N passed, N failed".
#
# With the argument "standard-user" the cases that write Pix_Rn.jpg or
# Pix_rn.dat run again as a standard user of Windows has it: the Windows
# directory and the program's folder take no new file (`chattr +i`, see
# standard_user_folders), so every write goes in place; it prints
# "e2e-standard-user: N passed, N failed".
#
# Needs a display and the prefix (scripts/common.sh), and root for the
# second run; run by scripts/test.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/common.sh"
source "$here/../lib/wine-driver.sh"
trap gui_cleanup EXIT

pix_cases_init e2e
suite=e2e
if [[ ${1:-} == standard-user ]]; then
  PIX_STANDARD_USER=yes
  suite=e2e-standard-user
fi

# --- the cases ----------------------------------------------------------------

# Delay 120 and mode 1 with the index at 2: the first step selects the picture
# at index 3 and stores 3; the 120 steps after it count down and install it.
case_typical_event() {
  local dir
  dir=$(new_case typical)
  make_pictures "$dir/Pictures" p0.jpg p1.jpg p2.jpg p3.jpg p4.jpg
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 120 1 2
  old_picture
  expect_eq "exit code" "$(run_to_end "$dir")" 0
  expect_same_file "installed picture" "$target" "$dir/Pictures/p3.jpg"
  expect_settings "$dir" "$(win_path "$dir/Pictures")\\" 120 1 3
}

case_sequence_over_five_runs() {
  local dir run expected=(a b c a b)
  dir=$(new_case sequence)
  make_pictures "$dir/Pictures" c.jpg a.jpg b.jpg
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 1 -1
  for run in 0 1 2 3 4; do
    expect_eq "exit code of run $run" "$(run_to_end "$dir")" 0
    expect_same_file "picture of run $run" "$target" "$dir/Pictures/${expected[$run]}.jpg"
    expect_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 1 $((run % 3))
  done
}

# A picture named beyond the ANSI code page takes its turn with the others:
# four runs in mode 1 install four different pictures, the names the code
# page spells in their order of always (a, é, z), and the fifth starts again.
case_sequence_with_a_name_beyond_the_code_page() {
  local dir run installed=() name spelled=()
  dir=$(new_case widenames)
  make_pictures "$dir/Pictures" z.jpg 日本.jpg a.jpg é.jpg
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 1 -1
  old_picture
  for run in 0 1 2 3 4; do
    expect_eq "exit code of run $run" "$(run_to_end "$dir")" 0
    installed[run]=none
    for name in z.jpg 日本.jpg a.jpg é.jpg; do
      cmp -s "$target" "$dir/Pictures/$name" && installed[run]=$name
    done
    expect_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 1 $((run % 4))
  done
  expect_eq "four runs, four pictures" "$(printf '%s\n' "${installed[@]:0:4}" | sort -u | grep -vc none)" 4
  expect_eq "the fifth run starts again" "${installed[4]}" "${installed[0]}"
  for name in "${installed[@]:0:4}"; do
    [[ $name == 日本.jpg ]] || spelled+=("$name")
  done
  expect_eq "the names the code page spells in their order" "${spelled[*]}" "a.jpg é.jpg z.jpg"
}

case_random_with_one_picture() {
  local dir
  dir=$(new_case random)
  make_pictures "$dir/Pictures" only.jpg
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 0 -1
  old_picture
  expect_eq "exit code" "$(run_to_end "$dir")" 0
  expect_same_file "installed picture" "$target" "$dir/Pictures/only.jpg"
  expect_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 0 -1
}

# Two pictures and the random switch on: every run changes the picture, as
# the one already installed is passed over.
case_random_always_changes_the_picture() {
  local dir run previous changes=0 runs=20
  dir=$(new_case randomchange)
  make_pictures "$dir/Pictures" one.jpg two.jpg
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 0 -1
  cp "$dir/Pictures/one.jpg" "$target"
  for ((run = 1; run <= runs; run++)); do
    previous=$(sha256sum <"$target")
    expect_eq "exit code of run $run" "$(run_to_end "$dir")" 0
    [[ $(sha256sum <"$target") != "$previous" ]] && changes=$((changes + 1))
  done
  echo "random runs that changed the picture: $changes of $runs"
  expect_eq "runs that changed the picture" "$changes" "$runs"
}

case_delay_in_hexadecimal() {
  local dir
  dir=$(new_case hexdelay)
  make_pictures "$dir/Pictures" only.jpg
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" '$40' 0 -1
  old_picture
  expect_eq "exit code" "$(run_to_end "$dir")" 0
  expect_same_file "installed picture" "$target" "$dir/Pictures/only.jpg"
}

# Delays that read as 0 or less: the window stays open and nothing is
# installed; the exit button saves the delay as it was written.
stays_open_with_delay() {
  local delay=$1 dir
  dir=$(new_case "open$2")
  make_pictures "$dir/Pictures" only.jpg
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" "$delay" 0 -1
  old_picture
  cp "$target" "$dir/old.jpg"
  gui_start "$dir" || { case_failures+=("the window did not open"); return; }
  expect_same_file "Pix_Rn.jpg" "$target" "$dir/old.jpg"
  gui_click_exit
  gui_wait_end
  expect_eq "exit code" "$GUI_EXIT" 0
  expect_settings "$dir" "$(win_path "$dir/Pictures")\\" "$delay" 0 -1
}
case_delay_0_stays_open() { stays_open_with_delay 0 zero; }
case_delay_00_stays_open() { stays_open_with_delay 00 zerozero; }
case_delay_abc_stays_open() { stays_open_with_delay abc letters; }

case_first_run_without_settings() {
  local dir
  dir=$(new_case firstrun)
  gui_start "$dir" || { case_failures+=("the window did not open"); return; }
  expect_eq "error boxes" "$(gui_error_box_count)" 0
  gui_click_exit
  gui_wait_end
  expect_eq "exit code" "$GUI_EXIT" 0
  expect_settings "$dir" "$(win_path "$dir")\\" 0 0 -1
}
# Its point is the new Pix_rn.dat, which a standard user's folder refuses.
standard_user_leaves_out first_run_without_settings

case_empty_settings_file() {
  local dir
  dir=$(new_case empty)
  : >"$dir/Pix_rn.dat"
  gui_start "$dir" || { case_failures+=("the window did not open"); return; }
  gui_click_exit
  gui_wait_end
  expect_eq "exit code" "$GUI_EXIT" 0
  expect_settings "$dir" "" "" 0 -1
}

# The saved folder has gone: no countdown runs, and the exit keeps the delay
# and the mode the file held.
case_vanished_folder_keeps_delay_and_mode() {
  local dir
  dir=$(new_case vanished)
  write_settings "$dir" "$(win_path "$dir/Gone")\\" 120 1 -1
  gui_start "$dir" || { case_failures+=("the window did not open"); return; }
  gui_click_exit
  gui_wait_end
  expect_eq "exit code" "$GUI_EXIT" 0
  expect_settings "$dir" "$(win_path "$dir/Gone")\\" 120 1 -1
}

case_read_only_settings_show_the_error_box() {
  local dir
  dir=$(new_case readonly)
  write_settings "$dir" "$(win_path "$dir")\\" 0 0 -1
  chmod a-w "$dir/Pix_rn.dat"  # how Wine keeps the read-only attribute
  gui_start "$dir" relay || { case_failures+=("the window did not open"); return; }
  gui_click_exit
  if gui_dismiss_error_box; then
    expect_eq "error box" "$(gui_last_error_box)" '"File access denied.","Pix_rn",00000010'
  else
    case_failures+=("no error box appeared")
  fi
  expect_eq "still running" "$(gui_running && echo yes)" yes
  expect_settings "$dir" "$(win_path "$dir")\\" 0 0 -1
  chmod u+w "$dir/Pix_rn.dat"
  gui_click_exit
  gui_wait_end
  expect_eq "exit code" "$GUI_EXIT" 0
}

# The folder shrank below the stored index: the sequence starts again.
case_shrunk_folder_starts_again() {
  local dir
  dir=$(new_case shrunk)
  make_pictures "$dir/Pictures" a.jpg b.jpg c.jpg
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 1 4
  expect_eq "exit code" "$(run_to_end "$dir")" 0
  expect_same_file "installed picture" "$target" "$dir/Pictures/a.jpg"
  expect_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 1 0
}

# An empty folder installs nothing, and the old picture stays.
case_empty_folder_keeps_the_old_picture() {
  local dir
  dir=$(new_case emptyfolder)
  mkdir -p "$dir/Pictures"
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 1 0 -1
  old_picture
  cp "$target" "$dir/old.jpg"
  expect_eq "exit code" "$(run_to_end "$dir")" 0
  expect_same_file "Pix_Rn.jpg" "$target" "$dir/old.jpg"
  expect_eq "temporary files" "$(ls "$drive_c/windows" | grep -c -i 'pix_rn.jpg.tmp')" 0
}

# --- the window, clicked as a user would -----------------------------------------

# A long countdown: the window is open and the gate closed.
counting_window() {
  local dir=$1
  make_pictures "$dir/Pictures" only.jpg
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 100000 0 -1
  gui_start "$dir"
}

case_exit_does_nothing_during_the_countdown_and_works_after_stop() {
  local dir
  dir=$(new_case stopbutton)
  counting_window "$dir" || { case_failures+=("the window did not open"); return; }
  gui_click_exit
  # The countdown runs on: the program must still be there a while later.
  gui_stays_running 3 || case_failures+=("the exit button ended the countdown")
  expect_settings "$dir" "$(win_path "$dir/Pictures")\\" 100000 0 -1
  gui_click 252 153  # the stop button, 247,148 and 11 x 11
  gui_click_exit
  gui_wait_end
  expect_eq "exit code" "$GUI_EXIT" 0
  expect_settings "$dir" "$(win_path "$dir/Pictures")\\" 100000 0 -1
}

# Types into the delay editor and presses a key: the saved delay tells what
# the editor kept.
edit_delay() {
  local typed=$1 key=$2 saved=$3 dir
  dir=$(new_case "delay$4")
  write_settings "$dir" "$(win_path "$dir")\\" 120 0 -1
  gui_start "$dir" || { case_failures+=("the window did not open"); return; }
  gui_click 252 153  # stop the countdown
  gui_click 220 144  # the delay label, 213,138 and 31 x 13
  xdotool key ctrl+a BackSpace
  [[ -n $typed ]] && xdotool type --delay 20 -- "$typed"
  xdotool key "$key"
  gui_click_exit
  gui_wait_end
  expect_eq "exit code" "$GUI_EXIT" 0
  expect_settings "$dir" "$(win_path "$dir")\\" "$saved" 0 -1
}
case_delay_editor_raises_a_short_delay_to_50() { edit_delay 12 Return 50 short; }
case_delay_editor_raises_a_negative_delay_to_50() { edit_delay -3 Return 50 negative; }
case_delay_editor_switches_off_with_0() { edit_delay 0 Return 0 zero; }
case_delay_editor_switches_off_without_digits() { edit_delay abc Return 0 letters; }
case_delay_editor_keeps_a_long_delay_as_typed() { edit_delay 75 Return 75 long; }
case_delay_editor_escape_keeps_the_delay() { edit_delay 7 Escape 120 escape; }

case_switches_show_their_faces_and_save_the_mode() {
  local dir
  dir=$(new_case switches)
  write_settings "$dir" "$(win_path "$dir")\\" 0 0 -1
  gui_start "$dir" || { case_failures+=("the window did not open"); return; }
  gui_region_is 219 32 random-on || case_failures+=("random mode: the random switch does not show random-on")
  gui_region_is 219 66 sequence-off || case_failures+=("random mode: the sequence switch does not show sequence-off")
  gui_click 227 75  # the one-after-another switch
  gui_poll gui_region_is 219 66 sequence-on || case_failures+=("sequence mode: the sequence switch does not show sequence-on")
  gui_region_is 219 32 random-off || case_failures+=("sequence mode: the random switch does not show random-off")
  gui_click_exit
  gui_wait_end
  expect_settings "$dir" "$(win_path "$dir")\\" 0 1 -1
}

case_author_panel_widens_the_window_and_back() {
  local dir
  dir=$(new_case authorpanel)
  write_settings "$dir" "$(win_path "$dir")\\" 0 0 -1
  gui_start "$dir" || { case_failures+=("the window did not open"); return; }
  expect_eq "width at start" "$(gui_locate && echo "$WIN_WIDTH")" 276
  local left_before
  left_before=$(gui_locate && echo "$WIN_X")
  gui_click 237 180  # logo, 207,174 and 60 x 12
  gui_poll gui_width_is 469 || case_failures+=("the window did not widen to 469")
  expect_eq "left edge kept" "$(gui_locate && echo "$WIN_X")" "$left_before"
  gui_click 237 180
  gui_poll gui_width_is 276 || case_failures+=("the window did not narrow to 276")
}
standard_user_leaves_out author_panel_widens_the_window_and_back # writes nothing

case_minimize_hides_the_window() {
  local dir
  dir=$(new_case minimize)
  write_settings "$dir" "$(win_path "$dir")\\" 0 0 -1
  gui_start "$dir" || { case_failures+=("the window did not open"); return; }
  gui_click 258 58  # min, 250,50 and 17 x 18
  gui_poll gui_has_no_window || case_failures+=("the window is still shown")
  expect_eq "still running" "$(gui_running && echo yes)" yes
}
standard_user_leaves_out minimize_hides_the_window # writes nothing

# A double click opens a subfolder; its second press takes it as the
# picture folder, with the "\" added; a drive root gets none.
case_folder_list_press_takes_the_folder() {
  local dir
  dir=$(new_case folderpress)
  mkdir -p "$dir/Pictures/Sub"
  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 0 0 -1
  gui_start "$dir" || { case_failures+=("the window did not open"); return; }
  # Items: C:\, e2e, folderpress, Pictures (current), Sub; 16 px each from y 16.
  gui_double_click 60 $((16 + 4 * 16 + 8))
  gui_click_exit
  gui_wait_end
  expect_settings "$dir" "$(win_path "$dir/Pictures/Sub")\\" 0 0 -1

  write_settings "$dir" "$(win_path "$dir/Pictures")\\" 0 0 -1
  gui_start "$dir" || { case_failures+=("the window did not open again"); return; }
  gui_double_click 60 $((16 + 8))  # the root
  gui_click_exit
  gui_wait_end
  expect_settings "$dir" 'C:\' 0 0 -1
}

case_help_button_starts_the_help_program_in_its_folder() {
  local dir
  dir=$(new_case help)
  mkdir -p "$dir/help"
  cp "$PIX_WIN_BUILD/tests/e2e/pix_help_standin.exe" "$dir/help/Hlp_Vw.exe"
  write_settings "$dir" "$(win_path "$dir")\\" 0 0 -1
  gui_start "$dir" || { case_failures+=("the window did not open"); return; }
  gui_click 258 25  # vpr, 250,17 and 17 x 18
  if gui_poll test -s "$dir/help/started.txt"; then
    expect_eq "help program's folder" "$(cat "$dir/help/started.txt")" "$(win_path "$dir/help")"
  else
    case_failures+=("the help program did not start")
  fi
}
standard_user_leaves_out help_button_starts_the_help_program_in_its_folder # writes nothing

# Where the folders take new files (an administrator's run), each file is
# swapped in with ReplaceFileW, which carries the old file's DACL, owner and
# attributes over, without the flags that ignore what it cannot carry, and
# with a backup of the run's own; a move (MoveFileExW) goes only to a free
# name, written through. This Wine keeps no DACL, so its relay trace of the
# calls, with their arguments, is what shows it.
# The calls of one kind in a relay trace, a line each: the path arguments
# as the program spelt them and the flags, separated by "|".
traced_calls() {
  grep -aiE "Call [a-z0-9]+\.$2\(" "$1" | sed -E 's/ ret=.*//; s/^.*\(//; s/\)$//' |
    perl -pe 's/[0-9a-f]+ L"((?:[^"\\]|\\.)*)"/$1/g; s/\\(.)/$1/g; s/,/|/g'
}
case_files_are_swapped_in_with_their_rights() {
  local dir log win file pid
  dir=$(new_case swaps)
  win=$(win_path "$dir")
  make_pictures "$dir/Pictures" a.jpg b.jpg
  write_settings "$dir" "$win\\Pictures\\" 1 1 -1
  old_picture
  log=$GUI_SCRATCH/swaps.log
  wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /d 'ReplaceFileW;MoveFileExW' /f >/dev/null 2>&1
  pix_wine_run 120 "$dir" "$log" WINEDEBUG=+relay "$win\\Pix_Rn.exe" || case_failures+=("exit code $?")
  # Pix_rn.dat (the sequence advance), then Pix_Rn.jpg: replaced, the run's
  # temporary file, the run's backup, no flags.
  pid=$(traced_calls "$log" ReplaceFileW | sed -n 's/.*\.\([0-9]*\)\.tmp|.*/\1/p' | head -n 1)
  local expected=()
  for file in "$win\\Pix_rn.dat" 'C:\windows\Pix_Rn.jpg'; do
    expected+=("$file|$file.$pid.tmp|$file.$pid.bak|00000000|00000000|00000000")
  done
  expect_eq "ReplaceFileW calls" "$(traced_calls "$log" ReplaceFileW)" "$(printf '%s\n' "${expected[@]}")"
  expect_eq "moves" "$(traced_calls "$log" MoveFileExW)" ""
  expect_same_file "installed picture" "$target" "$dir/Pictures/a.jpg"
  # No Pix_Rn.jpg yet: the new one moves to its free name, written through
  # (MOVEFILE_WRITE_THROUGH, 8, and no MOVEFILE_REPLACE_EXISTING).
  rm -f "$target"
  pix_wine_run 120 "$dir" "$log" WINEDEBUG=+relay "$win\\Pix_Rn.exe" || case_failures+=("exit code $?")
  pid=$(traced_calls "$log" MoveFileExW | sed -n 's/.*\.\([0-9]*\)\.tmp|.*/\1/p' | head -n 1)
  expect_eq "moves" "$(traced_calls "$log" MoveFileExW)" \
    "C:\\windows\\Pix_Rn.jpg.$pid.tmp|C:\\windows\\Pix_Rn.jpg|00000008"
  expect_same_file "installed picture" "$target" "$dir/Pictures/b.jpg"
  wine reg delete 'HKCU\Software\Wine\Debug' /v RelayInclude /f >/dev/null 2>&1
}
standard_user_leaves_out files_are_swapped_in_with_their_rights # writes in place

pix_run_cases "$suite"
