#!/usr/bin/env bash
# The release packages under Wine. Each case installs silently into
# C:\PixInstall\Pix_Rn (or the default folder, another folder, a link) and
# looks at what the installer did (the files, the settings file, the Startup
# shortcut, the picture in the Windows directory, the rights of the folder
# and of the files, the uninstall entry), runs the installed program (its
# help button, the wallpaper reload) or uninstalls silently; then it removes
# whatever is left. Builds the release first when it is missing or older
# than what it is made of. Prints a line per case and
# "install: N passed, N failed".
#
# Needs a display and the prefix (scripts/common.sh); run by scripts/test.
set -uo pipefail
# Wine gives a window's X name (which xdotool searches) in the locale's
# encoding: the help window's Russian title needs UTF-8.
export LC_ALL=C.UTF-8
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/common.sh"
source "$here/../lib/wine-driver.sh"

pix_ensure_display || exit 1
pix_ensure_prefix || exit 1
pix_cases_init PixInstall # drive_c, target (C:\windows\Pix_Rn.jpg), root, the counts

# --- the release ---------------------------------------------------------------

project_version() { sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$PIX_WIN_BUILD/CMakeCache.txt" 2>/dev/null; }
release_is_current() {
  local input
  [[ -f $setup && -f $archive ]] || return 1
  [[ -f $PIX_WIN_BUILD/tests/install/pix_install_probe.exe ]] || return 1
  for input in "$PIX_WIN_BUILD/CMakeCache.txt" "$PIX_WIN_BUILD/Pix_Rn.exe" "$PIX_WIN_BUILD/help/Hlp_Vw.exe" \
    "$PIX_ROOT/installer/Pix_Rn.nsi" "$PIX_ROOT/scripts/release"; do
    [[ -f $input && ! $input -nt $setup ]] || return 1
  done
}
release_paths() {
  version=$(project_version)
  setup=$release_dir/Pix_Rn-$version-setup.exe
  archive=$release_dir/Pix_Rn-$version.zip
}
# The shipped packages, made from the build under test.
release_dir=$PIX_RELEASE_DIR
program_machine=$PIX_PROGRAM_KIND
release_paths
if [[ -z $version ]] || ! release_is_current; then
  pix_log "install: building the release"
  if ! "$PIX_ROOT/scripts/release" >/dev/null; then
    echo "[FAIL] the release did not build"
    echo "install: 0 passed, 1 failed"
    exit 1
  fi
  release_paths
fi

# Windows names are case-blind: a folder of another spelling would take the
# installation where these checks do not look.
other_spelling=$(find "$drive_c" -mindepth 1 -maxdepth 1 -iname "$(basename "$root")" ! -name "$(basename "$root")")
if [[ -n $other_spelling ]]; then
  echo "[FAIL] $other_spelling stands where the cases install; remove it first"
  echo "install: 0 passed, 1 failed"
  exit 1
fi

probe=$PIX_WIN_BUILD/tests/install/pix_install_probe.exe
install_win='C:\PixInstall\Pix_Rn'
install_dir=$root/Pix_Rn
# The installer's own default, $PROGRAMFILES\Pix_Rn.
default_win='C:\Program Files\Pix_Rn'
default_dir="$drive_c/Program Files/Pix_Rn"
pictures=$root/Pictures
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pix_Rn'
# Where a 32-bit installer's entry lands: the 32-bit registry view.
uninstall_key32='HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Pix_Rn'
earlier_win='C:\Program Files (x86)\Pix_Rn'
earlier_dir="$drive_c/Program Files (x86)/Pix_Rn"
help_title='Pix_Rn — справка'
logs=$PIX_BUILD/install-logs
mkdir -p "$logs"
appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")
programs_menu="$appdata/Microsoft/Windows/Start Menu/Programs"

# What the installer puts in the chosen folder, and where it comes from.
installed_files=(
  "Pix_Rn.exe=$PIX_WIN_BUILD/Pix_Rn.exe"
  "help/Hlp_Vw.exe=$PIX_WIN_BUILD/help/Hlp_Vw.exe"
)

# --- the machine before and after ----------------------------------------------------

# The suite leaves the picture, the wallpaper and Wine's trace setting as it
# found them.
saved=$logs/saved
rm -rf "$saved"
mkdir -p "$saved"
[[ -f $target ]] && cp "$target" "$saved/Pix_Rn.jpg"
saved_wallpaper=$(wine "$probe" wallpaper 2>/dev/null | tr -d '\r')
relay_include_was_set=
wine reg query 'HKCU\Software\Wine\Debug' /v RelayInclude >/dev/null 2>&1 && relay_include_was_set=yes

restore_machine() {
  clean_installation
  rm -f "$target"
  [[ -f $saved/Pix_Rn.jpg ]] && cp "$saved/Pix_Rn.jpg" "$target"
  wine "$probe" set-wallpaper "$saved_wallpaper" >/dev/null 2>&1
  [[ -n $relay_include_was_set ]] || wine reg delete 'HKCU\Software\Wine\Debug' /v RelayInclude /f >/dev/null 2>&1
  gui_cleanup
  [[ -n ${PIX_XVFB_PID:-} ]] && pix_stop_display
}
trap restore_machine EXIT

# --- the parts of a case ---------------------------------------------------------------

# Runs the installer silently into C:\PixInstall\Pix_Rn.
install_silently() { pix_wine_run 300 "$logs" /dev/null "$setup" /S "/D=$install_win"; }
# Runs the installer silently into a folder of the given Windows path, or
# into its default folder when the path is empty; gives its exit code.
install_into() {
  local folder=$1
  if [[ -n $folder ]]; then
    pix_wine_run 300 "$logs" /dev/null "$setup" /S "/D=$folder"
  else
    pix_wine_run 300 "$logs" /dev/null "$setup" /S
  fi
}
install_or_fail() {
  install_silently && return 0
  case_failures+=("the installer failed (code $?)")
  return 1
}

# The Startup shortcut; Wine spells the folder StartUp on disk.
startup_link() { find "$programs_menu" -maxdepth 2 -ipath '*/startup/pix_rn.lnk' 2>/dev/null | head -n 1; }
uninstall_entry() { wine reg query "$uninstall_key" 2>/dev/null | tr -d '\r'; }
no_uninstall_entry() { ! wine reg query "$uninstall_key" >/dev/null 2>&1; }
no_uninstall_entry32() { ! wine reg query "$uninstall_key32" >/dev/null 2>&1; }
wallpaper() { wine "$probe" wallpaper 2>/dev/null | tr -d '\r'; }

help_windows() { xdotool search --onlyvisible --name "^$help_title\$" 2>/dev/null; }
has_help_window() { [[ -n $(help_windows) ]]; }
# Any window of the help program, whatever its title: Wine names the X
# class after the executable.
help_program_windows() { xdotool search --onlyvisible --class '^hlp_vw\.exe$' 2>/dev/null; }
no_help_program_window() { [[ -z $(help_program_windows) ]]; }

# The help program was started by the program, not by this script: it is
# asked to close, and if it does not, what the program started is ended.
close_help() {
  no_help_program_window && return 0
  wine "$probe" close-help >/dev/null 2>&1
  gui_poll no_help_program_window && return 0
  pix_wine_end_started "$GUI_PID"
  gui_poll no_help_program_window
}

# Removes what a case may leave: the programs it ran, the test folder, the
# default folder, the shortcut and the uninstall entry.
clean_installation() {
  close_help
  gui_stop
  pix_wine_end_all
  rm -rf "$root" "$default_dir" "$earlier_dir"
  local link
  link=$(startup_link)
  [[ -n $link ]] && rm -f "$link"
  no_uninstall_entry || wine reg delete "$uninstall_key" /f >/dev/null 2>&1
  no_uninstall_entry32 || wine reg delete "$uninstall_key32" /f >/dev/null 2>&1
}

# Runs the installed program to its end under Wine's relay trace of the
# wallpaper and message box calls; prints the exit code.
run_traced() {
  local log=$1
  wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ \
    /d 'user32.MessageBoxA;user32.SystemParametersInfoA' /f >/dev/null 2>&1
  local code=0
  pix_wine_run 120 "$install_dir" "$log" WINEDEBUG=+relay "$install_win\\Pix_Rn.exe" || code=$?
  echo "$code"
}

# The programs the installer started, one command line each, as Wine's
# process trace shows them.
started_commands() {
  grep -a 'CreateProcessInternalW app (null) cmdline L"' "$1" |
    sed 's/.*cmdline L"\(.*\)"$/\1/' | perl -pe 's/\\(.)/$1/g'
}

expect_gone() { [[ ! -e $2 ]] || case_failures+=("$1 is still there: $2"); }

# --- cases: what the installer installs ------------------------------------------------

case_silent_install_puts_the_files_in_the_chosen_folder() {
  install_or_fail || return
  local entry
  for entry in "${installed_files[@]}"; do
    expect_same_file "${entry%%=*}" "$install_dir/${entry%%=*}" "${entry#*=}"
  done
  file "$install_dir/Uninstall.exe" | grep -q "$program_machine" ||
    case_failures+=("no uninstaller beside the program")
}

case_new_settings_file_holds_the_default_lines() {
  install_or_fail || return
  expect_settings "$install_dir" "$install_win\\" 0 0 -1
}

case_startup_shortcut_points_at_the_program() {
  install_or_fail || return
  local link
  link=$(startup_link)
  if [[ -z $link ]]; then
    case_failures+=("no Pix_Rn.lnk in the Startup folder under $programs_menu")
    return
  fi
  expect_eq "shortcut target" "$(wine "$probe" link-target "$(winepath -w "$link")" | tr -d '\r')" \
    "$install_win\\Pix_Rn.exe"
}

case_missing_picture_is_created_in_the_windows_directory() {
  rm -f "$target"
  install_or_fail || return
  expect_same_file "Pix_Rn.jpg" "$target" "$release_dir/default.jpg"
  expect_eq "Pix_Rn.jpg's format" "$(identify -format '%m' "$target" 2>&1)" JPEG
}

# A reinstallation over the user's settings and picture keeps both.
case_existing_settings_and_picture_are_kept() {
  mkdir -p "$install_dir"
  write_settings "$install_dir" 'D:\Photos\' 120 1 3
  convert -size 6x6 xc:orange "$target"
  cp "$target" "$logs/existing.jpg"
  install_or_fail || return
  expect_settings "$install_dir" 'D:\Photos\' 120 1 3
  expect_same_file "Pix_Rn.jpg" "$target" "$logs/existing.jpg"
}

# --- cases: the rights ----------------------------------------------------------------

# The installer turns an SDDL string into a security descriptor
# (ConvertStringSecurityDescriptorToSecurityDescriptorW) and gives its owner
# and its DACL, protected from inheritance, to a path (SetNamedSecurityInfoW).
# This Wine keeps no DACL it is given: it maps it onto the Unix mode and
# reads back one made from the mode. So the cases look at the calls in
# Wine's relay trace, and at what Windows' own parser makes of each SDDL.
rights_calls='advapi32.ConvertStringSecurityDescriptorToSecurityDescriptorW;advapi32.SetNamedSecurityInfoW'

# Runs the installer silently, as install_into does, under the relay trace of
# these calls and the process trace, into a log.
install_traced() {
  local folder=$1 log=$2
  wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /d "$rights_calls" /f >/dev/null 2>&1
  local switches=(/S)
  [[ -z $folder ]] || switches+=("/D=$folder")
  pix_wine_run 300 "$logs" "$log" WINEDEBUG=+relay,+process "$setup" "${switches[@]}"
}

# The rights the installer set, one line per SetNamedSecurityInfoW call:
# the path, the security information flags (hexadecimal), the result, and
# the SDDL converted last before the call, separated by tabs.
rights_set() {
  perl -ne '
    if (/Call advapi32\.ConvertStringSecurityDescriptorToSecurityDescriptorW\([0-9a-f]+ L"([^"]*)",/) { $sddl = $1 }
    elsif (/^([0-9a-f]+):Call advapi32\.SetNamedSecurityInfoW\([0-9a-f]+ L"((?:[^"\\]|\\.)*)",[0-9a-f]+,([0-9a-f]+),/) {
      ($path, $info) = ($2, $3); $path =~ s/\\(.)/$1/g;
    }
    elsif (/Ret  advapi32\.SetNamedSecurityInfoW\(\) retval=([0-9a-f]+)/) { print "$path\t$info\t$1\t$sddl\n" }
  ' "$1"
}

# What an SDDL string stands for, as the probe spells it out: the owner,
# whether the DACL is protected from inheritance, then the entries sorted,
# one a line: allow|deny MASK FLAGS SID. Each string is asked once.
declare -A sddl_meaning=()
sddl_rights() {
  [[ -n ${sddl_meaning[$1]+set} ]] ||
    sddl_meaning[$1]=$(wine "$probe" sddl "$1" 2>&1 | tr -d '\r' | awk 'NR <= 2 { print; next } { print | "sort" }')
  printf '%s\n' "${sddl_meaning[$1]}"
}

# Administrators own everything installed; SYSTEM and Administrators have full
# control (FILE_ALL_ACCESS), Users read and execute (FILE_GENERIC_READ |
# FILE_GENERIC_EXECUTE); nothing is inherited from the folder's parent. The
# folders hand their entries down (OI|CI).
folder_rights='owner S-1-5-32-544
protected
allow 0x001200a9 OI|CI S-1-5-32-545
allow 0x001f01ff OI|CI S-1-5-18
allow 0x001f01ff OI|CI S-1-5-32-544'
program_rights=$(sed 's/ OI|CI / - /' <<<"$folder_rights")
# The two files the program writes in place: Users read and write them
# (FILE_GENERIC_READ | FILE_GENERIC_WRITE, what an open for GENERIC_WRITE
# needs) but may not delete them (DELETE, 0x10000) nor change their rights or
# owner (WRITE_DAC, WRITE_OWNER).
writable_rights=$(sed 's/0x001200a9/0x0012019f/' <<<"$program_rights")

# Whether the trace shows each path given its rights once, with OWNER, DACL
# and PROTECTED_DACL_SECURITY_INFORMATION (0x80000005), and the call done:
# expect_rights LOG PATH=RIGHTS...
expect_rights() {
  local set entry path calls
  set=$(rights_set "$1")
  shift
  for entry in "$@"; do
    path=${entry%%=*}
    calls=$(awk -F '\t' -v path="$path" '$1 == path' <<<"$set")
    expect_eq "calls setting the rights of $path (flags, result)" "$(cut -f 2,3 <<<"$calls")" $'80000005\t00000000'
    [[ -n $calls ]] || continue
    expect_eq "rights of $path [$(cut -f 4 <<<"$calls")]" "$(sddl_rights "$(cut -f 4 <<<"$calls" | head -n 1)")" \
      "${entry#*=}"
  done
}

# Everything installed in a folder (Windows path) and the picture in the
# Windows directory get their rights, and nothing else does.
expect_installed_rights() {
  local log=$1 folder=$2 entries=() entry
  entries=("$folder=$folder_rights" "$folder\\help=$folder_rights" "$folder\\Pix_Rn.exe=$program_rights"
    "$folder\\help\\Hlp_Vw.exe=$program_rights" "$folder\\Uninstall.exe=$program_rights"
    "$folder\\Pix_rn.dat=$writable_rights" "C:\\windows\\Pix_Rn.jpg=$writable_rights")
  expect_rights "$log" "${entries[@]}"
  expect_eq "paths given rights" "$(rights_set "$log" | cut -f 1 | sort)" \
    "$(for entry in "${entries[@]}"; do printf '%s\n' "${entry%%=*}"; done | sort)"
}

case_install_folder_has_rights_of_its_own() {
  rm -f "$target"
  local log=$logs/rights.log
  install_traced "$install_win" "$log" || {
    case_failures+=("the installer failed (code $?)")
    return
  }
  expect_installed_rights "$log" "$install_win"
}

# The installer's default folder, and another made with its parent.
case_default_folder_has_rights_of_its_own() {
  local log=$logs/rights.log
  install_traced "" "$log" || {
    case_failures+=("the installer failed (code $?)")
    return
  }
  [[ -f $default_dir/Pix_Rn.exe ]] || case_failures+=("no Pix_Rn.exe in $default_dir")
  expect_installed_rights "$log" "$default_win"
}
case_other_folder_has_rights_of_its_own() {
  local log=$logs/rights.log folder='C:\PixInstall\Some\Folder'
  install_traced "$folder" "$log" || {
    case_failures+=("the installer failed (code $?)")
    return
  }
  [[ -f $root/Some/Folder/Pix_Rn.exe ]] || case_failures+=("no Pix_Rn.exe in $root/Some/Folder")
  expect_installed_rights "$log" "$folder"
}

# An existing picture and settings file keep their contents and get the same
# rights as new ones; the rights are set through the Windows API, not by a
# tool.
case_users_may_write_the_picture_and_the_settings_but_not_delete_them() {
  mkdir -p "$install_dir"
  write_settings "$install_dir" 'D:\Photos\' 120 1 3
  convert -size 6x6 xc:orange "$target"
  local log=$logs/rights.log
  install_traced "$install_win" "$log" || {
    case_failures+=("the installer failed (code $?)")
    return
  }
  expect_settings "$install_dir" 'D:\Photos\' 120 1 3
  expect_rights "$log" "$install_win\\Pix_rn.dat=$writable_rights" "C:\\windows\\Pix_Rn.jpg=$writable_rights"
  expect_eq "rights tools started" \
    "$(started_commands "$log" | grep -a -i -E '^"?([^" ]*\\)?(icacls|cacls|takeown)(\.exe)?[" ]')" ""
}

# --- cases: a folder that leads elsewhere --------------------------------------------------

link_target=$root/elsewhere
link_win='C:\PixInstall\Link'

# A symbolic link in drive C: to a folder beside it; Wine shows such a link
# to a folder as a reparse point (FILE_ATTRIBUTE_REPARSE_POINT, 0x400).
make_link() {
  mkdir -p "$link_target"
  ln -s "$link_target" "$root/Link"
  local attributes
  attributes=$(wine "$probe" attributes "$link_win" 2>&1 | tr -d '\r')
  [[ $attributes =~ ^0x[0-9a-f]{8}$ ]] && ((attributes & 0x400)) && return 0
  case_failures+=("Wine does not show $link_win as a reparse point: [$attributes]")
  return 1
}

# Nothing of an installation anywhere: not in the link's target, not in
# the Windows directory, not in the registry, not in the Startup folder.
expect_nothing_installed() {
  expect_eq "files in the link's target" "$(find "$link_target" -mindepth 1 | sort)" ""
  expect_gone "Pix_Rn.jpg" "$target"
  no_uninstall_entry || case_failures+=("an uninstall entry was written")
  expect_eq "Startup shortcut" "$(startup_link)" ""
}

# The silent installer refuses a link, and a folder behind one, with an exit
# code other than 0.
link_refused_case() {
  local folder=$1
  rm -f "$target"
  make_link || return
  local code=0
  install_into "$folder" || code=$?
  ((code != 0 && code != 124)) || case_failures+=("the installer into $folder ended with code $code")
  expect_nothing_installed
}
case_install_folder_that_is_a_link_is_refused() { link_refused_case "$link_win"; }
case_install_folder_behind_a_link_is_refused() { link_refused_case "$link_win\\Pix_Rn"; }

# Run with the window, the installer says why, and ends when the message is
# closed.
folder_is_link_en="$link_win is a junction or a symbolic link. Pix_Rn is not installed into a folder that is a link or lies behind one: choose another folder."
folder_is_link_ru="$link_win — точка соединения или символическая ссылка. Pix_Rn не устанавливается в папку, которая сама является ссылкой или находится за ней: выберите другую папку."
message_shown() { message=$(wine "$probe" message-box 2>/dev/null | tr -d '\r') && [[ -n $message ]]; }
case_link_refused_with_a_message() {
  rm -f "$target"
  make_link || return
  pix_wine_launch "$logs" /dev/null "$setup" "/D=$link_win"
  local pid=$PIX_WINE_PID message=
  if gui_poll message_shown; then
    [[ $message == "$folder_is_link_en" || $message == "$folder_is_link_ru" ]] ||
      case_failures+=("the message: got [$message], expected [$folder_is_link_en] or its Russian")
    wine "$probe" close-message-box >/dev/null 2>&1
  else
    case_failures+=("no message box appeared")
  fi
  if gui_poll pix_wine_ended "$pid"; then
    local code=0
    wait "$pid" 2>/dev/null || code=$?
    ((code != 0)) || case_failures+=("the installer ended with code 0")
  else
    case_failures+=("the installer did not end after the message")
  fi
  expect_nothing_installed
}

# --- cases: a folder that is there already ------------------------------------------------

# What stands in C:\PixInstall\Pix_Rn before a silent install, and the
# installer's exit code: 0 when it installs there and keeps Pix_rn.dat, 2
# when it refuses, sets no rights and changes nothing. NAME@ is a hard link
# to a file outside the folder; Pix_Rn.jpg is the one in the Windows
# directory.
existing_folder_cases=(
  'letter.txt|2'
  'Pix_Rn.exe Uninstall.exe help/Hlp_Vw.exe Pix_rn.dat|0'
  'Pix_rn.dat|0'
  'Pix_rn.dat@|2'
  'Pix_Rn.jpg@|2'
  'Pix_Rn.exe@ Pix_rn.dat|2'
  'help/Hlp_Vw.exe help/notes.txt|2'
)
# Every file under C:\PixInstall and the picture, with its contents' sum.
files_state() { find "$root" "$target" 2>/dev/null | sort | while read -r f; do md5sum "$f" 2>/dev/null || echo "$f"; done; }
existing_folder_case() {
  local contents=$1 code=$2 entry name path made log=$logs/existing.log before got=0
  rm -f "$target"
  for entry in $contents; do
    name=${entry%@} path=$install_dir/${entry%@} made=$install_dir/${entry%@}
    [[ $name == Pix_Rn.jpg ]] && path=$target
    [[ $entry == *@ ]] && made=$root/elsewhere/$name
    mkdir -p "$(dirname "$made")" "$(dirname "$path")"
    if [[ $name == Pix_rn.dat ]]; then
      write_settings "$(dirname "$made")" 'D:\Photos\' 120 1 3
    else
      printf 'not Pix_Rn' >"$made"
    fi
    [[ $made == "$path" ]] || ln "$made" "$path"
  done
  before=$(files_state)
  install_traced "$install_win" "$log" || got=$?
  expect_eq "exit code" "$got" "$code"
  if ((code == 0)); then
    expect_settings "$install_dir" 'D:\Photos\' 120 1 3
    expect_same_file Pix_Rn.exe "$install_dir/Pix_Rn.exe" "$PIX_WIN_BUILD/Pix_Rn.exe"
    expect_installed_rights "$log" "$install_win"
  else
    expect_eq "files" "$(files_state)" "$before"
    expect_eq "rights set" "$(rights_set "$log")" ""
    no_uninstall_entry || case_failures+=("an uninstall entry was written")
    expect_eq "Startup shortcut" "$(startup_link)" ""
  fi
}
case_existing_folder_only_when_it_holds_the_installers_own_files() {
  local row contents code outer=()
  for row in "${existing_folder_cases[@]}"; do
    IFS='|' read -r contents code <<<"$row"
    case_failures=()
    existing_folder_case "$contents" "$code"
    outer+=("${case_failures[@]/#/[$contents] }")
    clean_installation
  done
  case_failures=("${outer[@]}")
}

# Run with the window into its default folder, which holds someone's file:
# the folder page says why it refuses it and stays, as the later Nexts
# there show, and nothing is installed.
folder_not_own_en="The folder $default_win already exists and holds more than Pix_Rn's own files. Pix_Rn is installed only into a new or empty folder, or over an earlier installation of its own, and changes no one else's folder: choose another folder."
folder_not_own_ru="Папка $default_win уже существует, и в ней есть не только файлы Pix_Rn. Pix_Rn устанавливается только в новую или пустую папку либо поверх своей прежней установки и не меняет чужих папок: выберите другую папку."
installer_window() { window=$(xdotool search --onlyvisible --class 'setup\.exe$' 2>/dev/null | head -n 1) && [[ -n $window ]]; }
# Presses Next (Enter) until a message shows, on at most three pages.
next_until_message() {
  local page
  for page in 1 2 3; do
    xdotool windowfocus --sync "$window" key Return >/dev/null 2>&1
    gui_poll 5 message_shown && return 0
  done
  return 1
}
case_folder_page_refuses_a_folder_that_is_not_the_installers() {
  rm -f "$target"
  mkdir -p "$default_dir"
  printf 'not Pix_Rn' >"$default_dir/letter.txt"
  pix_wine_launch "$logs" /dev/null "$setup"
  local pid=$PIX_WINE_PID window= message= shown
  if gui_poll installer_window; then
    for shown in first second third; do
      next_until_message || { case_failures+=("no $shown message on the folder page"); break; }
      [[ $message == "$folder_not_own_en" || $message == "$folder_not_own_ru" ]] ||
        case_failures+=("the $shown message: got [$message], expected [$folder_not_own_en] or its Russian")
      wine "$probe" close-message-box >/dev/null 2>&1
      gui_poll 10 eval '! message_shown' || case_failures+=("the $shown message did not close")
    done
  else
    case_failures+=("no installer window appeared")
  fi
  pix_wine_end "$pid"
  expect_eq "the default folder" "$(find "$default_dir" | sort)" "$(printf '%s\n' "$default_dir" "$default_dir/letter.txt")"
  expect_gone "Pix_Rn.jpg" "$target"
  no_uninstall_entry || case_failures+=("an uninstall entry was written")
}

case_uninstall_entry_names_the_version() {
  install_or_fail || return
  local values
  values=$(uninstall_entry | grep -E '^ +[A-Za-z]+ +REG_' | sed -E 's/^ +//; s/ +REG_[A-Z_]+ +/=/' | sort)
  expect_eq "uninstall entry" "$values" "$(printf '%s\n' DisplayName=Pix_Rn "DisplayVersion=$version" \
    "UninstallString=\"$install_win\\Uninstall.exe\"" | sort)"
  no_uninstall_entry32 || case_failures+=("an uninstall entry stands in the 32-bit view: $uninstall_key32")
}

# An earlier 32-bit installation in Program Files (x86), as its installer
# left it: the programs, the uninstaller, the user's settings and its entry
# in the 32-bit registry view. The new one, in its default folder, takes the
# settings over and removes the rest; the picture stays.
case_earlier_32bit_installation_is_taken_over() {
  mkdir -p "$earlier_dir/help"
  local name
  for name in Pix_Rn.exe help/Hlp_Vw.exe Uninstall.exe; do printf 'MZ 32-bit' >"$earlier_dir/$name"; done
  write_settings "$earlier_dir" 'D:\Photos\' 120 1 3
  wine reg add "$uninstall_key32" /v DisplayName /t REG_SZ /d Pix_Rn /f >/dev/null 2>&1
  wine reg add "$uninstall_key32" /v UninstallString /t REG_SZ /d "\"$earlier_win\\Uninstall.exe\"" /f \
    >/dev/null 2>&1
  no_uninstall_entry32 && case_failures+=("the earlier installation's entry could not be made")
  convert -size 6x6 xc:orange "$target"
  cp "$target" "$logs/existing.jpg"
  install_into "" || case_failures+=("the installer failed (code $?)")
  expect_settings "$default_dir" 'D:\Photos\' 120 1 3
  [[ -f $default_dir/Pix_Rn.exe ]] || case_failures+=("no Pix_Rn.exe in $default_dir")
  expect_gone "the earlier installation's folder" "$earlier_dir"
  no_uninstall_entry32 || case_failures+=("the earlier installation's entry is still there")
  no_uninstall_entry && case_failures+=("no uninstall entry in the 64-bit view")
  expect_same_file "Pix_Rn.jpg" "$target" "$logs/existing.jpg"
  local link
  link=$(startup_link)
  [[ -n $link ]] || case_failures+=("no Pix_Rn.lnk in the Startup folder")
  [[ -z $link ]] || expect_eq "shortcut target" \
    "$(wine "$probe" link-target "$(winepath -w "$link")" | tr -d '\r')" "$default_win\\Pix_Rn.exe"
}

# --- cases: the installed program ------------------------------------------------------------

# What the help must tell, as it stands in the help window.
help_phrases=(
  'Pix_rn.dat'
  'C:\Windows\Pix_Rn.jpg'
  'не меньше 50'
  'в шагах таймера, а не в секундах'
  '-1 — начать с первой'
  'shell:startup'
  'Параметры → Персонализация → Фон → Обзор → C:\Windows\Pix_Rn.jpg'
)

case_help_button_starts_the_installed_help() {
  install_or_fail || return
  write_settings "$install_dir" "$install_win\\" 0 0 -1
  no_help_program_window || case_failures+=("a help window was open before the click")
  gui_start "$install_dir" || {
    case_failures+=("the program's window did not open")
    return
  }
  gui_click 258 25 # the help button, 250,17 and 17 x 18
  if gui_poll has_help_window; then
    local shown phrase
    shown=$(wine "$probe" help-window 2>&1 | tr -d '\r')
    expect_eq "help window title" "$(head -n 1 <<<"$shown")" "$help_title"
    for phrase in "${help_phrases[@]}"; do
      grep -qF -- "$phrase" <<<"$shown" || case_failures+=("the help text lacks [$phrase]")
    done
  else
    case_failures+=("no window titled [$help_title] appeared")
  fi
  close_help || case_failures+=("the help window did not close")
  gui_click_exit
  gui_wait_end
  expect_eq "exit code" "$GUI_EXIT" 0
}

# A run (delay 1, random mode, one picture) with a wallpaper set beforehand:
# whether it asks Windows to load Pix_Rn.jpg anew (SPI_SETDESKWALLPAPER,
# 0x14, with SPIF_SENDCHANGE, 2), and the wallpaper afterwards. Wine's trace
# shows the call but not the path; the path shows in the wallpaper that the
# session holds afterwards, which a reload spelt as the program spells the
# target replaces.
wallpaper_case() {
  local wallpaper=$1 reload=$2 after=$3
  install_or_fail || return
  make_pictures "$pictures" only.jpg
  # A picture on the screen other than the folder's, so that the run changes it.
  convert -size 6x6 xc:orange "$target"
  [[ $wallpaper == 'C:\PixInstall\other.bmp' ]] && convert -size 8x8 xc:navy "BMP3:$root/other.bmp"
  write_settings "$install_dir" 'C:\PixInstall\Pictures\' 1 0 -1
  wine "$probe" set-wallpaper "$wallpaper" >/dev/null 2>&1 || case_failures+=("the wallpaper could not be set")
  expect_eq "wallpaper before the run" "$(wallpaper)" "$wallpaper"
  local log=$logs/relay.log
  expect_eq "exit code" "$(run_traced "$log")" 0
  expect_same_file "Pix_Rn.jpg" "$target" "$pictures/only.jpg"
  # The trace works, and the program looked at the wallpaper (SPI_GETDESKWALLPAPER).
  grep -aq 'Call user32.SystemParametersInfoA(00000073,' "$log" ||
    case_failures+=("the trace shows no look at the wallpaper")
  local asked
  asked=$(grep -a 'Call user32.SystemParametersInfoA(00000014,' "$log")
  if [[ $reload == yes ]]; then
    expect_eq "reload requests" "$(grep -c . <<<"$asked")" 1
    grep -qiE 'SystemParametersInfoA\(00000014,00000000,[0-9a-f]+( "C:\\\\windows\\\\Pix_Rn\.jpg")?,00000002\)' \
      <<<"$asked" || case_failures+=("the reload request is not SPI_SETDESKWALLPAPER with SPIF_SENDCHANGE: [$asked]")
  else
    expect_eq "reload requests" "$asked" ""
  fi
  expect_eq "wallpaper after the run" "$(wallpaper)" "$after"
}

# The wallpaper set beforehand, whether the run asks for a reload, and the
# wallpaper afterwards.
wallpaper_cases=(
  'C:\windows\Pix_Rn.jpg|yes|C:\windows\Pix_Rn.jpg'
  'C:\WINDOWS\PIX_RN.JPG|yes|C:\windows\Pix_Rn.jpg'
  'C:\PixInstall\other.bmp|no|C:\PixInstall\other.bmp'
)
case_wallpaper_reload_only_when_the_desktop_shows_pix_rn_jpg() {
  local row wallpaper reload after outer=()
  for row in "${wallpaper_cases[@]}"; do
    IFS='|' read -r wallpaper reload after <<<"$row"
    case_failures=()
    wallpaper_case "$wallpaper" "$reload" "$after"
    outer+=("${case_failures[@]/#/[$wallpaper] }")
    clean_installation
  done
  case_failures=("${outer[@]}")
}

# --- cases: the uninstaller ----------------------------------------------------------------------

# A silent uninstall with the given switch; whether the settings file stays.
uninstall_case() {
  local switch=$1 settings_kept=$2
  install_or_fail || return
  write_settings "$install_dir" 'D:\Photos\' 120 1 3
  # The uninstaller runs on from a copy of itself: wait for its last step.
  pix_wine_run 120 "$logs" /dev/null "$install_dir/Uninstall.exe" /S $switch ||
    case_failures+=("the uninstaller failed (code $?)")
  gui_poll no_uninstall_entry || case_failures+=("the uninstall entry is still there")
  local entry
  for entry in "${installed_files[@]}"; do expect_gone "${entry%%=*}" "$install_dir/${entry%%=*}"; done
  expect_gone "the help folder" "$install_dir/help"
  expect_gone "the uninstaller" "$install_dir/Uninstall.exe"
  expect_gone "Pix_Rn.jpg" "$target"
  expect_eq "Startup shortcut" "$(startup_link)" ""
  if [[ $settings_kept == yes ]]; then
    expect_settings "$install_dir" 'D:\Photos\' 120 1 3
  else
    expect_gone "the program folder" "$install_dir"
  fi
}
case_silent_uninstall_keeps_the_settings() { uninstall_case "" yes; }
case_silent_uninstall_with_removesettings_removes_them() { uninstall_case /REMOVESETTINGS no; }

# --- the archive -------------------------------------------------------------------------------------

case_archive_holds_the_program_and_the_help() {
  expect_eq "archive entries" "$(unzip -Z1 "$archive" | sort)" "$(printf '%s\n' Pix_Rn.exe help/Hlp_Vw.exe | sort)"
  local entry
  for entry in "${installed_files[@]}"; do
    unzip -p "$archive" "${entry%%=*}" | cmp -s - "${entry#*=}" ||
      case_failures+=("${entry%%=*} in the archive differs from ${entry#*=}")
  done
}

# --- the run ------------------------------------------------------------------------------------------

cases=(
  silent_install_puts_the_files_in_the_chosen_folder
  new_settings_file_holds_the_default_lines
  startup_shortcut_points_at_the_program
  missing_picture_is_created_in_the_windows_directory
  existing_settings_and_picture_are_kept
  install_folder_has_rights_of_its_own
  default_folder_has_rights_of_its_own
  other_folder_has_rights_of_its_own
  users_may_write_the_picture_and_the_settings_but_not_delete_them
  install_folder_that_is_a_link_is_refused
  install_folder_behind_a_link_is_refused
  link_refused_with_a_message
  existing_folder_only_when_it_holds_the_installers_own_files
  folder_page_refuses_a_folder_that_is_not_the_installers
  uninstall_entry_names_the_version
  earlier_32bit_installation_is_taken_over
  help_button_starts_the_installed_help
  wallpaper_reload_only_when_the_desktop_shows_pix_rn_jpg
  silent_uninstall_keeps_the_settings
  silent_uninstall_with_removesettings_removes_them
  archive_holds_the_program_and_the_help
)
PIX_CASE_CLEANUP=clean_installation
pix_run_cases install "${cases[@]}"
