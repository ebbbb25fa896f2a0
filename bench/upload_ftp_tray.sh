#!/bin/bash
# Runs bench_upload_ftp twice: offscreen, then on a virtual display with a tray
# host (trayer) and a window manager, where the program's tray icon is really
# shown and its hint and balloons are on screen.
#
#   bench/upload_ftp_tray.sh [build dir] [rounds] [MiB]
set -euo pipefail
build=${1:-build}
rounds=${2:-5}
mib=${3:-200}
bench="$build/bench/bench_upload_ftp"
[ -x "$bench" ] || { echo "no $bench: build the target bench_upload_ftp" >&2; exit 1; }

echo "== offscreen"
QT_QPA_PLATFORM=offscreen "$bench" "$rounds" "$mib"

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT
exec 3< <(Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp 2>/dev/null)
pids+=($!)
read -r -t 10 display <&3 || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"
openbox >/dev/null 2>&1 & pids+=($!)
trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
    >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 50); do
    xdotool search --class trayer >/dev/null 2>&1 && break
    sleep 0.1
done
echo "== $DISPLAY with trayer and openbox"
QT_QPA_PLATFORM=xcb "$bench" "$rounds" "$mib"
