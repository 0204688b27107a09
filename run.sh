#!/usr/bin/env bash
# Builds, then starts Vellumar under Wine: on $DISPLAY when there is one,
# otherwise on a private Xvfb, saving a screenshot to build/screenshots/.
set -uo pipefail
cd "$(dirname "$0")"
./build.sh || exit 1

. tests/wine/session.sh
trap wine_session_stop EXIT
if [ -n "${DISPLAY:-}" ]; then
  wine_session_start keep-display || exit 1
  "$VELLUMAR_WINE" "$VELLUMAR_WINDOWS_TREE/vellumar.exe"
  exit $?
fi

wine_session_start || exit 1
"$VELLUMAR_WINE" "$VELLUMAR_WINDOWS_TREE/vellumar.exe" &
app=$!
for _ in $(seq 100); do
  xdotool search --name '^Vellumar$' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1
mkdir -p build/screenshots
shot=build/screenshots/run.png
import -window root "$shot"
echo "run.sh: no display; Vellumar ran on a private Xvfb, screenshot saved to $shot"
kill "$app" 2>/dev/null
