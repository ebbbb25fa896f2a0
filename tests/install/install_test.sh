#!/usr/bin/env bash
# install.sh, start.sh and uninstall.sh for a user whose XDG folders lie in a temporary home:
# entries checked by desktop-file-validate, the program started through the login
# entry's Exec line on a virtual display with a tray host, a second start that
# brings the first one's window back from the tray, reinstall keeping settings and
# database byte for byte, uninstall and purge.
# Usage: install_test.sh SOURCE_DIR PROGRAM
set -euo pipefail
src=$1 built=$2
t=$(mktemp -d /tmp/bkpinstall-XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$t"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# Polls a condition for at most $1 tenths of a second.
wait_for() { local n=$1; shift; for _ in $(seq 1 "$n"); do "$@" && return 0; sleep 0.1; done; return 1; }

export HOME=$t/home XDG_DATA_HOME=$t/home/.local/share XDG_CONFIG_HOME=$t/home/.config
export XDG_RUNTIME_DIR=$t/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
folder=$XDG_DATA_HOME/bkpzelto
menu=$XDG_DATA_HOME/applications/bkpzelto.desktop
login=$XDG_CONFIG_HOME/autostart/bkpzelto.desktop

# A virtual display of its own choosing, with a tray host.
exec 3< <(Xvfb -displayfd 4 -screen 0 1280x800x24 -nolisten tcp 4>&1 2>/dev/null)
pids+=($!)
read -r -t 20 display <&3 || fail "Xvfb gave no display"
export DISPLAY=:$display
tray_host() {
  trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
    >"$t/trayer.log" 2>&1 &
  tray=$!
  pids+=($tray)
}
# The tray host is up when it has made its panel; one that gave up is started again.
tray_ready() {
  xdotool search --class trayer >/dev/null 2>&1 && return 0
  kill -0 "$tray" 2>/dev/null || tray_host
  return 1
}
tray_host
wait_for 300 tray_ready || { cat "$t/trayer.log" >&2; fail "no tray host"; }
title="BKPZelto - Gerenciador de backups programados"
window_shown() { xdotool search --onlyvisible --name "$title" >/dev/null 2>&1; }

bash "$src/scripts/install.sh" --program "$built" --no-start
[ -x "$folder/bkpzelto" ] || fail "program not installed"
desktop-file-validate "$menu" "$login" || fail "desktop entries do not validate"
for key in "Name=BKPZelto" "Comment=Gerenciador de backups programados" "Icon=bkpzelto" \
  "Categories=Utility;"; do
  grep -qxF "$key" "$login" || fail "$key missing"
done
cmp -s "$menu" "$login" || fail "menu and login entries differ"
for icon in 48x48/apps/bkpzelto.png 256x256/apps/bkpzelto.png scalable/apps/bkpzelto.svg; do
  [ -s "$XDG_DATA_HOME/icons/hicolor/$icon" ] || fail "icon $icon missing"
done

# What a session does with the login entry: the Exec line, from the home folder.
exec_line=$(sed -n 's/^Exec=//p' "$login")
run_entry() { (cd "$HOME" && eval "exec $exec_line"); }
copies() { for p in /proc/[0-9]*; do [ "$(readlink "$p/exe" 2>/dev/null)" = "$folder/bkpzelto" ] && echo "${p#/proc/}"; done; return 0; }
run_entry >/dev/null 2>&1 &
first=$!
pids+=($first)
wait_for 300 test -s "$folder/DataBase/BKPZELTO.FB" || fail "the program made no database"
# The second settings file lies beside the first, never in the home folder.
[ -f "$folder/BKPZELTO_Backups.Ini" ] || fail "no BKPZELTO_Backups.Ini beside the program"
[ -e "$HOME/_Backups.Ini" ] && fail "the program wrote $HOME/_Backups.Ini"
wait_for 100 test -S "$(ls "$XDG_RUNTIME_DIR"/bkpzelto-*.socket 2>/dev/null | head -1)" ||
  fail "the program does not listen for a second start"
window_shown && fail "a window is shown right after start"

# A second start (the menu entry) brings the first one's window up and ends with 0.
second_rc=0
run_entry >/dev/null 2>&1 || second_rc=$?
[ "$second_rc" = 0 ] || fail "the second start ended with $second_rc"
wait_for 100 window_shown || fail "the first copy's window did not come up"
kill -0 "$first" || fail "the first copy ended"
[ "$(copies | wc -l)" = 1 ] || fail "more than one copy runs"

# Reinstall: the running copy is ended and a new one started.
bash "$src/scripts/install.sh" --program "$built"
wait "$first" 2>/dev/null || true
kill -0 "$first" 2>/dev/null && fail "reinstall left the old copy running"
wait_for 100 test -n "$(copies)" || fail "reinstall did not start the program"
again=$(copies)
pids+=($again)
# Ended as uninstall ends it (a copy still opening its database is sent it again).
source "$src/scripts/desktop-common.sh"
stop_running_copy || fail "the copy did not end on SIGTERM"

# The README's start command installs the same way and starts that copy.
bash "$src/scripts/start.sh" --program "$built" >"$t/start.log" 2>&1 ||
  { cat "$t/start.log" >&2; fail "start.sh failed"; }
grep -qF "$folder/DataBase/BKPZELTO.FB" "$t/start.log" || fail "start.sh does not say where the jobs are"
wait_for 100 test -n "$(copies)" || fail "start.sh did not start the installed copy"
pids+=($(copies))
stop_running_copy || fail "the copy start.sh started did not end on SIGTERM"

# Settings file and database stay byte for byte through reinstall and uninstall.
sums() { (cd "$folder" && sha256sum bkpzelto.Ini DataBase/BKPZELTO.FB); }
before=$(sums)
bash "$src/scripts/install.sh" --program "$built" --no-start
[ "$(sums)" = "$before" ] || fail "reinstall changed the settings file or the database"
bash "$src/scripts/uninstall.sh"
[ "$(sums)" = "$before" ] || fail "uninstall changed the settings file or the database"
for gone in "$menu" "$login" "$folder/bkpzelto" "$XDG_DATA_HOME/icons/hicolor/48x48/apps/bkpzelto.png"; do
  [ -e "$gone" ] && fail "uninstall left $gone"
done
# What an older copy left in the home folder goes with the purge; other files stay.
: >"$HOME/_Backups.Ini"
echo keep >"$HOME/keep.txt"
bash "$src/scripts/uninstall.sh" --purge
[ -e "$folder" ] && fail "purge left $folder"
[ -e "$HOME/_Backups.Ini" ] && fail "purge left the older copies' $HOME/_Backups.Ini"
[ -s "$HOME/keep.txt" ] || fail "purge removed a file of the user's"
echo "install_test: 1 passed, 0 failed"
