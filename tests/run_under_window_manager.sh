#!/usr/bin/env bash
# Runs a command on a virtual X display of its own, with openbox managing the
# windows, as on a desktop: what only a window manager does (frames, where a
# window lands) can then be seen. Starts a fresh Xvfb on a free display and
# stops it and openbox afterwards. Without Xvfb or openbox it skips (prints
# "SKIPPED: no window manager"), except under CI, which must have both.
set -euo pipefail

if [ "${1:-}" != "--inside" ]; then
  for tool in xvfb-run Xvfb openbox; do
    if ! command -v "$tool" >/dev/null; then
      if [ -n "${CI:-}" ]; then
        echo "run_under_window_manager: $tool is missing (script/bootstrap installs it)" >&2
        exit 1
      fi
      echo "SKIPPED: no window manager ($tool is not installed)"
      exit 0
    fi
  done
  # -a picks a free display number, so parallel runs never meet.
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside "$@"
fi
shift

ready=$(mktemp -d)
trap 'rm -rf "$ready"' EXIT
# openbox runs the start-up command once it manages the screen; only then are
# the windows put into frames as they appear.
openbox --sm-disable --startup "touch $ready/up" >/dev/null 2>&1 &
wm=$!
trap 'kill "$wm" 2>/dev/null || true; wait "$wm" 2>/dev/null || true; rm -rf "$ready"' EXIT
for _ in $(seq 100); do
  [ -e "$ready/up" ] && break
  sleep 0.1
done
if [ ! -e "$ready/up" ]; then
  echo "run_under_window_manager: openbox did not start" >&2
  exit 1
fi

unset QT_QPA_PLATFORM
status=0
"$@" || status=$?
exit "$status"
