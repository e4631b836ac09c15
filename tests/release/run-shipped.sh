#!/usr/bin/env bash
# What ships is what the suites ran: the release packages hold 64-bit
# programs, and every Pix_Rn.exe and Hlp_Vw.exe that the end-to-end, GUI and
# install suites started (recorded by the Wine driver in
# $PIX_STARTED_PROGRAMS, by content hash) is the very file the zip holds.
# Prints a line per check and "shipped: N passed, N failed". Run by
# scripts/test after those suites.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/common.sh"

passed=0 failed=0
check() {
  local what=$1
  shift
  local why
  if why=$("$@" 2>&1); then
    echo "[ OK ] $what"
    passed=$((passed + 1))
  else
    echo "[FAIL] $what: $why"
    failed=$((failed + 1))
  fi
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$PIX_WIN_BUILD/CMakeCache.txt")
archive=$PIX_RELEASE_DIR/Pix_Rn-$version.zip
setup=$PIX_RELEASE_DIR/Pix_Rn-$version-setup.exe
records=${PIX_STARTED_PROGRAMS:-}
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$archive" -d "$unpacked" 2>/dev/null

declare -A shipped_hash=()
for name in Pix_Rn.exe help/Hlp_Vw.exe; do
  [[ -f $unpacked/$name ]] && shipped_hash[${name##*/}]=$(sha256sum <"$unpacked/$name" | cut -d' ' -f1)
done

is_kind() { [[ -f $1 ]] || { echo "missing: $1"; return 1; }
  file -b "$1" | grep -q "^$2" || { file -b "$1"; return 1; }; }
archive_programs_are_64bit() {
  [[ $(unzip -Z1 "$archive" 2>/dev/null | sort | tr '\n' ' ') == "Pix_Rn.exe help/Hlp_Vw.exe " ]] ||
    { echo "entries: $(unzip -Z1 "$archive" 2>&1 | tr '\n' ' ')"; return 1; }
  is_kind "$unpacked/Pix_Rn.exe" "$PIX_PROGRAM_KIND" && is_kind "$unpacked/help/Hlp_Vw.exe" "$PIX_PROGRAM_KIND"
}

# Every recorded start is of the released file: a start of another build,
# or of a file changed after the release, shows as a hash of its own.
every_start_is_the_released_file() {
  [[ -s $records ]] || { echo "nothing was recorded in [$records]"; return 1; }
  local hash name script wrong=0
  while read -r hash name script; do
    if [[ $hash != "${shipped_hash[$name]:-none}" ]]; then
      echo "$script started a $name ($hash) that the zip does not hold (${shipped_hash[$name]:-none})"
      wrong=1
    fi
  done <"$records"
  return "$wrong"
}

# Each suite named started the program, and the GUI suite the help.
started_by() {
  grep -q " $1 $2\$" "$records" 2>/dev/null || { echo "no start of $1 recorded by $2"; return 1; }
}

check "the zip holds the 64-bit Pix_Rn.exe and help\\Hlp_Vw.exe" archive_programs_are_64bit
check "the installer is a 64-bit program" is_kind "$setup" 'PE32+ executable (GUI) x86-64'
check "every Pix_Rn.exe and Hlp_Vw.exe the suites started is the one the zip holds" every_start_is_the_released_file
check "the end-to-end suite started Pix_Rn.exe" started_by Pix_Rn.exe run-e2e.sh
check "the GUI suite started Pix_Rn.exe" started_by Pix_Rn.exe run-gui.sh
check "the GUI suite started Hlp_Vw.exe" started_by Hlp_Vw.exe run-gui.sh
echo "shipped: $passed passed, $failed failed"
((failed == 0))
