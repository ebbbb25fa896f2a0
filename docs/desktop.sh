# Sourced by the picture scripts: a virtual 1280x800 display with a window manager
# (openbox) and a tray host (trayer), all ended with the folder $work on exit.
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    sleep 1
    rm -rf "$work"
}
trap cleanup EXIT

exec 3< <(Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp 2>/dev/null)
pids+=($!)
read -r -t 10 display <&3
export DISPLAY=":$display" LANG=C.UTF-8 QT_QPA_PLATFORM=xcb
openbox >/dev/null 2>&1 & pids+=($!)
trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
    >/dev/null 2>&1 & pids+=($!)
sleep 1
