#!/usr/bin/env bash
# The unpacked folivane starts on a fresh X display and gives its workspace project the
# editor page and the default style of its own unpacked share/folivane.
# Usage: check-window.sh WORK_DIR
set -uo pipefail
work=$1
root=$work/root
scratch=$(mktemp -d "${TMPDIR:-/tmp}/folivane-deb-window-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# Polls for the workspace's copy of the editor page for up to a minute, then ends the program.
script='
"$@" > "$LOG" 2>&1 &
pid=$!
for i in $(seq 1 120); do
  sleep 0.5
  page=$(find "$APPDATA/folivane/Workspace" -path "*/internal/editor/editor.html" 2>/dev/null | head -n1)
  if [ -n "$page" ]; then sleep 1; break; fi
  kill -0 $pid 2>/dev/null || break
done
kill $pid 2>/dev/null
wait $pid 2>/dev/null
true'
HOME=$scratch/home APPDATA=$scratch/appdata LOG=$scratch/program.log QT_QPA_PLATFORM=xcb FOLIVANE_NO_OPEN=1 \
  FOLIVANE_UPDATE_URL= QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox \
  timeout 120 xvfb-run -a -s "-screen 0 1280x800x24" sh -c "$script" sh "$root/usr/bin/folivane"

page=$(find "$scratch/appdata/folivane/Workspace" -path "*/internal/editor/editor.html" 2>/dev/null | head -n1)
workspace=${page%/internal/editor/editor.html}
if [ -z "$page" ]; then
  echo "FAIL: the program made no workspace project; its output:"
  cat "$scratch/program.log"
  exit 1
fi
status=0
for pair in "AppFiles/editor/editor.html internal/editor/editor.html" "styles/default.css styles/default.css"; do
  set -- $pair
  cmp -s "$root/usr/share/folivane/$1" "$workspace/$2" ||
    { echo "FAIL: the workspace's $2 is not the package's /usr/share/folivane/$1"; status=1; }
done
exit $status
