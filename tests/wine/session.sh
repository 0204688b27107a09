# Sourced by test.sh and run.sh: a private X display and Wine prefix.
#   wine_session_start [keep-display]   exports DISPLAY, WINEPREFIX, LANG, ...
#   wine_session_stop                   stops exactly what start started
# With keep-display and a DISPLAY already set, that display is used.
# VELLUMAR_WINDOWS_TREE names the build the Windows tests run on: build/win32
# (the product) where the kernel runs 32-bit programs, else build/win64.

wine_session_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
wine_session_xvfb_pid=

wine_session_free_display() {
  local n
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
      echo "$n"; return 0
    fi
  done
  return 1
}

wine_session_start_xvfb() {
  local tries n
  for tries in 1 2 3 4 5; do
    n=$(wine_session_free_display) || break
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    wine_session_xvfb_pid=$!
    for _ in $(seq 50); do
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        export DISPLAY=":$n"; return 0
      fi
      kill -0 "$wine_session_xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$wine_session_xvfb_pid" 2>/dev/null; wait "$wine_session_xvfb_pid" 2>/dev/null
    wine_session_xvfb_pid=
  done
  echo "wine session: no X display could be started" >&2
  return 1
}

wine_session_start() {
  if [ "${1:-}" != keep-display ] || [ -z "${DISPLAY:-}" ]; then
    wine_session_start_xvfb || return 1
  fi
  export WINEPREFIX="$wine_session_root/build/wineprefix"
  export WINEARCH=win64
  export VELLUMAR_WINE=/usr/lib/wine/wine64 WINELOADER=/usr/lib/wine/wine64
  export WINESERVER=/usr/lib/wine/wineserver64
  if /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
    export VELLUMAR_WINDOWS_TREE="$wine_session_root/build/win32"
  else
    export VELLUMAR_WINDOWS_TREE="$wine_session_root/build/win64"
    echo "wine session: this kernel runs no 32-bit programs; Windows tests use the x86_64 build"
  fi
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
  # No sound device unless a test asks for one: ALSA finds no default card.
  export VELLUMAR_TEST_HOME="$wine_session_root/build/wine-home"
  mkdir -p "$VELLUMAR_TEST_HOME"
  export HOME="$VELLUMAR_TEST_HOME"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine session: creating the Wine prefix (about 20 s)"
  fi
  "$VELLUMAR_WINE" wineboot -i >/dev/null 2>&1 || true
  # No window manager runs: Wine draws captions and frames itself.
  "$VELLUMAR_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  "$VELLUMAR_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
  "$WINESERVER" -w
}

wine_session_stop() {
  if [ -n "${WINESERVER:-}" ]; then "$WINESERVER" -k >/dev/null 2>&1 || true; fi
  if [ -n "$wine_session_xvfb_pid" ]; then
    kill "$wine_session_xvfb_pid" 2>/dev/null || true
    wait "$wine_session_xvfb_pid" 2>/dev/null || true
    wine_session_xvfb_pid=
  fi
}
