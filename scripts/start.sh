#!/usr/bin/env bash
# Installs what is missing, builds and starts BKPZelto. Without a desktop it
# starts a virtual display (:99) with a tray host, so the program has its tray.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=:99
  if ! xdpyinfo -display :99 >/dev/null 2>&1; then
    Xvfb :99 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    sleep 1
  fi
  pgrep -x trayer >/dev/null ||
    trayer --edge top --align right --widthtype request --height 32 --SetDockType true >/dev/null 2>&1 &
  sleep 1
  echo "start: no desktop here; the program runs on the virtual display $DISPLAY"
fi
exec ./build/bkpzelto
