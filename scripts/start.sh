#!/usr/bin/env bash
# Installs what is missing, builds BKPZelto, installs it for the user who runs
# this (as scripts/install.sh does) and starts that copy: its settings file and
# job database live in the user's data folder, so a clean rebuild loses no job.
# Without a desktop it starts a virtual display (:99) with a tray host, so the
# program has its tray. Arguments go to install.sh (--program FILE).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  export DISPLAY=:99
  if ! xdpyinfo -display :99 >/dev/null 2>&1; then
    setsid Xvfb :99 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
    sleep 1
  fi
  pgrep -x trayer >/dev/null ||
    setsid trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
      >/dev/null 2>&1 </dev/null &
  sleep 1
  echo "start: no desktop here; the program runs on the virtual display $DISPLAY"
fi
bash scripts/install.sh "$@"
source scripts/desktop-common.sh
echo "start: BKPZelto runs from $folder; its jobs are in $folder/DataBase/BKPZELTO.FB"
