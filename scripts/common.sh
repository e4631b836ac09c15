# Shared by the project's scripts: paths, the Wine prefix and the display.
# Sourced, not run.

PIX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
PIX_BUILD=$PIX_ROOT/build

# The Windows program is 64-bit: one preset, one build, run under 64-bit
# Wine in prefixes of 64-bit Windows.
PIX_WIN_PRESET=win64
PIX_WIN_BUILD=$PIX_BUILD/$PIX_WIN_PRESET
PIX_PREFIX_BASE=$PIX_BUILD/wineprefix
PIX_RELEASE_DIR=$PIX_BUILD/release
PIX_PROGRAM_KIND='PE32+ executable (GUI) x86-64'
export WINEARCH=win64
# Wine's own 64-bit loader, by path: /usr/bin/wine prefers the 32-bit loader
# of a wine32 left installed on an older machine, and wineboot and friends
# call it by name, so a shim ahead in PATH takes them to the 64-bit one too.
export WINELOADER=/usr/lib/wine/wine64
PIX_WINE_SHIM=$PIX_BUILD/wine-shim
if [[ ! -x $PIX_WINE_SHIM/wine ]]; then
  mkdir -p "$PIX_WINE_SHIM"
  printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' \
    >"$PIX_WINE_SHIM/wine"
  chmod +x "$PIX_WINE_SHIM/wine"
  ln -sf wine "$PIX_WINE_SHIM/wine-stable"
fi
case ":$PATH:" in *":$PIX_WINE_SHIM:"*) ;; *) export PATH=$PIX_WINE_SHIM:$PATH ;; esac

# Wine runs in a prefix of the project's own, never the user's. With PIX_DPI
# set (144, 192), in a prefix of its own whose displays run at that dpi, made
# once like the other.
PIX_DPI=${PIX_DPI:-96}
if [[ $PIX_DPI == 96 ]]; then
  export WINEPREFIX=$PIX_PREFIX_BASE
else
  export WINEPREFIX=$PIX_PREFIX_BASE-$PIX_DPI
fi
export WINEDEBUG=${PIX_WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

pix_log() { printf '%s\n' "$*" >&2; }

# Configures (once) and builds one preset, quietly unless it fails.
pix_build() {
  local preset=$1 log=$PIX_BUILD/$1-build.log
  mkdir -p "$PIX_BUILD"
  if [[ ! -f $PIX_BUILD/$preset/build.ninja ]]; then
    (cd "$PIX_ROOT" && cmake --preset "$preset" >"$log" 2>&1) || { cat "$log" >&2; return 1; }
  fi
  (cd "$PIX_ROOT" && cmake --build --preset "$preset" >"$log" 2>&1) || { cat "$log" >&2; return 1; }
}

# Starts a virtual X display when there is none, and stops it on exit;
# PIX_SCREEN gives its size (1024x768x24 unless set).
pix_ensure_display() {
  if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local number
  for number in $(seq 90 140); do
    [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] && continue
    Xvfb ":$number" -screen 0 "${PIX_SCREEN:-1024x768x24}" -nolisten tcp >"$PIX_BUILD/xvfb.log" 2>&1 &
    PIX_XVFB_PID=$!
    export DISPLAY=":$number"
    local tries
    for tries in $(seq 1 100); do
      xdpyinfo >/dev/null 2>&1 && break
      kill -0 "$PIX_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    if xdpyinfo >/dev/null 2>&1; then
      trap 'pix_stop_display' EXIT
      return 0
    fi
  done
  pix_log "cannot start a virtual display (see $PIX_BUILD/xvfb.log)"
  return 1
}

pix_stop_display() {
  if [[ -n ${PIX_KEEP_WINESERVER:-} ]]; then :; else wineserver -k >/dev/null 2>&1 || true; fi
  [[ -n ${PIX_XVFB_PID:-} ]] && kill "$PIX_XVFB_PID" 2>/dev/null || true
}

# Creates the prefix once and keeps one wineserver alive for the run, which
# saves its start-up cost at every program start.
pix_ensure_prefix() {
  mkdir -p "$PIX_BUILD"
  # The marker names the prefix's kind, so that a prefix of another kind
  # left in the build folder is made anew.
  if [[ ! -f $WINEPREFIX/.pix-ready-win64 ]]; then
    pix_log "creating the Wine prefix in $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    wineboot --init >"$PIX_BUILD/wineboot.log" 2>&1
    # A crash must fail a test, not wait in a dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    if [[ $PIX_DPI != 96 ]]; then
      wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$PIX_DPI" /f >/dev/null 2>&1
      wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
        /v LogPixels /t REG_DWORD /d "$PIX_DPI" /f >/dev/null 2>&1
    fi
    wineserver -w
    touch "$WINEPREFIX/.pix-ready-win64"
  fi
  wineserver -p >/dev/null 2>&1 || true
}

# The Windows path of a file inside the prefix's drive C:.
pix_drive_c() { printf '%s\n' "$WINEPREFIX/drive_c"; }
