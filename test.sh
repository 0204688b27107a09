#!/usr/bin/env bash
# Builds everything, then runs the host tests and the Windows tests under Wine.
set -uo pipefail
cd "$(dirname "$0")"
./build.sh || exit 1

. tests/wine/session.sh
trap wine_session_stop EXIT
wine_session_start || exit 1

status=0
echo "== host tests"
ctest --test-dir build/host --output-on-failure || status=1
echo "== fuzzing the XM loader and renderer"
tests/fuzz/run.sh 60 || status=1
echo "== Windows tests (Wine, display $DISPLAY, ${VELLUMAR_WINDOWS_TREE##*/})"
ctest --test-dir "$VELLUMAR_WINDOWS_TREE" --output-on-failure || status=1
exit $status
