#!/usr/bin/env bash
# scripts/setup against package sources of the suite's own, in a folder:
# a machine where the i386 architecture is still enabled (a dpkg that says
# so) and i386's index is broken, a source whose amd64 index is broken
# beside one that works, and a package no source has. apt keeps its lists
# and caches in the folder and only simulates the install, so the machine's
# own package state is not touched. Prints a line per case and
# "setup: N passed, N failed".
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
setup=$here/../../scripts/setup
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0

# --- the sources ----------------------------------------------------------------

repo=$work/repo
mkdir -p "$repo/pool" "$work/probe/DEBIAN"
printf 'Package: pix-setup-probe\nVersion: 1.0\nArchitecture: all\nMaintainer: Pix_Rn tests <tests@localhost>\nDescription: probe\n' \
  >"$work/probe/DEBIAN/control"
dpkg-deb --build -Zgzip "$work/probe" "$repo/pool/pix-setup-probe_1.0_all.deb" >/dev/null
deb=$repo/pool/pix-setup-probe_1.0_all.deb
stanza=$(printf 'Package: pix-setup-probe\nVersion: 1.0\nArchitecture: all\nMaintainer: Pix_Rn tests <tests@localhost>\nFilename: pool/pix-setup-probe_1.0_all.deb\nSize: %s\nSHA256: %s\nDescription: probe\n' \
  "$(stat -c %s "$deb")" "$(sha256sum "$deb" | cut -d' ' -f1)")

# A suite whose Release file promises the indexes of both architectures;
# those named in BROKEN hold other bytes than the promise.
make_suite() {
  local suite=$1 broken=$2 arch index promised
  local dists=$repo/dists/$suite
  {
    printf 'Origin: pix\nLabel: pix\nSuite: %s\nCodename: %s\nArchitectures: amd64 i386\nComponents: main\n' "$suite" "$suite"
    printf 'Date: %s\nSHA256:\n' "$(LC_ALL=C date -u -R)"
  } >"$work/Release"
  for arch in amd64 i386; do
    index=$dists/main/binary-$arch/Packages
    mkdir -p "${index%/*}"
    printf '%s\n' "$stanza" >"$index"
    promised=$index
    if [[ " $broken " == *" $arch "* ]]; then
      # Promised: the index as it was before a mirror's sync began.
      printf '%s\nExtra: a mirror in the middle of its sync\n' "$stanza" >"$work/promised"
      promised=$work/promised
    fi
    printf ' %s %s main/binary-%s/Packages\n' "$(sha256sum "$promised" | cut -d' ' -f1)" \
      "$(stat -c %s "$promised")" "$arch" >>"$work/Release"
  done
  mv "$work/Release" "$dists/Release"
}
make_suite good i386
make_suite broken "amd64 i386"

# A dpkg that reports i386 as enabled, as on a machine set up for 32-bit
# Wine, and is the real one otherwise.
printf '#!/bin/sh\n[ "$1" = --print-foreign-architectures ] && { echo i386; exit 0; }\nexec /usr/bin/dpkg "$@"\n' \
  >"$work/dpkg"
chmod +x "$work/dpkg"

# apt's options for a run over the given suites, with a state of its own.
apt_options() {
  local state=$work/state-$RANDOM suite
  mkdir -p "$state/lists/partial" "$state/cache/archives/partial" "$state/parts"
  for suite in "$@"; do echo "deb [trusted=yes] file:$repo $suite main"; done >"$state/sources.list"
  echo "-o Dir::Etc::SourceList=$state/sources.list -o Dir::Etc::SourceParts=$state/parts" \
    "-o Dir::State::Lists=$state/lists -o Dir::Cache=$state/cache -o Dir::Bin::dpkg=$work/dpkg" \
    "-o APT::Get::Simulate=true -o Debug::NoLocking=true -o Acquire::Languages=none -o APT::Sandbox::User=root"
}

# Runs the set-up for the given packages; its exit code in code, its words in said.
run_setup() {
  local options=$1
  shift
  code=0
  said=$(PIX_APT_OPTIONS=$options PIX_APT_RETRY_PAUSE=0 PIX_SETUP_PACKAGES="$*" "$setup" 2>&1) || code=$?
}

failures=()
expect() { "${@:2}" || failures+=("$1"); }
finish() {
  if ((${#failures[@]} == 0)); then
    echo "[ OK ] $1"
    passed=$((passed + 1))
  else
    echo "[FAIL] $1: ${failures[*]} (the set-up said: $(tr '\n' ' ' <<<"$said"))"
    failed=$((failed + 1))
  fi
  failures=()
}

# --- cases -------------------------------------------------------------------------

# The staged fault is real: plain apt, which fetches every enabled
# architecture's index, fails on this source.
options=$(apt_options good)
code=0
said=$(apt-get $options update -qq 2>&1) || code=$?
expect "plain apt-get update passed (code $code)" test "$code" -ne 0
finish "the source's i386 index is broken for apt as it stands"

options=$(apt_options good)
run_setup "$options" pix-setup-probe
lists=${options#*Dir::State::Lists=}
lists=${lists%% *}
expect "exit code $code" test "$code" -eq 0
expect "an i386 index was fetched" test -z "$(find "$lists" -name '*i386*' -print -quit)"
expect "no amd64 index was fetched" test -n "$(find "$lists" -name '*binary-amd64_Packages*' -print -quit)"
expect "it tried again" test -z "$(grep 'trying again' <<<"$said")"
finish "with i386 enabled and its index broken, only amd64 is fetched and the install goes on"

run_setup "$(apt_options good broken)" pix-setup-probe
expect "exit code $code" test "$code" -eq 0
expect "no second try" grep -q 'trying again' <<<"$said"
expect "no word of the missing lists" grep -q 'going on with the lists that came' <<<"$said"
finish "an amd64 index that stays broken is tried again, then lived with"

run_setup "$(apt_options good)" pix-setup-probe pix-no-such-package
expect "exit code $code" test "$code" -eq 1
expect "the package is not named" grep -q 'no installable version of: pix-no-such-package$' <<<"$said"
finish "a package that no source has stops the set-up, named"

echo "setup: $passed passed, $failed failed"
((failed == 0))
