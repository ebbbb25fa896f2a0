# Shared by install.sh and uninstall.sh: where a user's BKPZelto lives, and how a
# running copy is ended. Sourced, not run.

# XDG folders; relative values are ignored, as the XDG rules say.
xdg_dir() { case "${1:-}" in /*) printf '%s' "$1" ;; *) printf '%s' "$2" ;; esac; }
data_home=$(xdg_dir "${XDG_DATA_HOME:-}" "$HOME/.local/share")
config_home=$(xdg_dir "${XDG_CONFIG_HOME:-}" "$HOME/.config")
folder="$data_home/bkpzelto"
program="$folder/bkpzelto"
menu_entry="$data_home/applications/bkpzelto.desktop"
autostart_entry="$config_home/autostart/bkpzelto.desktop"
icon_files=(
  "$data_home/icons/hicolor/48x48/apps/bkpzelto.png"
  "$data_home/icons/hicolor/256x256/apps/bkpzelto.png"
  "$data_home/icons/hicolor/scalable/apps/bkpzelto.svg"
)

# The processes of this user that run the installed program (also after the file
# was replaced, when the kernel shows it as deleted).
running_copies() {
  local p exe
  for p in /proc/[0-9]*; do
    [ -O "$p" ] || continue
    exe=$(readlink "$p/exe" 2>/dev/null) || continue
    [ "${exe% (deleted)}" = "$program" ] && echo "${p#/proc/}"
  done
  return 0
}

# Whether a process has ended: gone, or only waiting for its parent to take notice
# (its last thread gone too, so its files are closed).
process_ended() {
  [ -d "/proc/$1" ] || return 0
  grep -q '^State:[[:space:]]*[ZX]' "/proc/$1/status" 2>/dev/null &&
    [ "$(ls "/proc/$1/task" 2>/dev/null | wc -l)" -le 1 ]
}

# Ends the running copy as the end of the session does (SIGTERM: it commits and
# closes its database) and waits for it, at most 30 s.
stop_running_copy() {
  local pids
  pids=$(running_copies)
  [ -n "$pids" ] || return 0
  echo "bkpzelto: ending the running copy (pid $(echo $pids))"
  # A copy still opening its database can miss the signal: it is sent again.
  local i p left
  for i in $(seq 0 299); do
    left=""
    for p in $pids; do process_ended "$p" || left="$left $p"; done
    [ -z "$left" ] && return 0
    [ $((i % 20)) = 0 ] && { kill -TERM $left 2>/dev/null || true; }
    sleep 0.1
  done
  echo "bkpzelto: the running copy did not end within 30 s; nothing was changed" >&2
  return 1
}

# A path with each existing component matched ignoring case, as the program
# resolves the paths it builds; components that do not exist stay as given.
resolve_ignoring_case() {
  local out="" part entry found
  local -a parts
  IFS=/ read -ra parts <<<"${1#/}"
  for part in "${parts[@]}"; do
    [ -n "$part" ] || continue
    found=""
    for entry in "$out"/* "$out"/.*; do
      [ -e "$entry" ] || continue
      shopt -s nocasematch
      [[ "${entry##*/}" == "$part" ]] && found=$entry
      shopt -u nocasematch
      [ -n "$found" ] && break
    done
    out=${found:-$out/$part}
  done
  printf '%s' "$out"
}

# The empty "_Backups.Ini" that older copies made where the whole program path,
# cut before its first "." and upper-cased, pointed (~/_Backups.Ini for a program
# below ~/.local); today's copies make it beside the program.
stray_backups_ini() {
  local stem=${program%%.*}
  [ "$stem" != "$program" ] || return 0
  resolve_ignoring_case "${stem^^}_Backups.Ini"
}

# Refreshes the icon and menu caches where the desktop has them.
refresh_desktop_caches() {
  command -v gtk-update-icon-cache >/dev/null &&
    gtk-update-icon-cache -q -t "$data_home/icons/hicolor" 2>/dev/null || true
  command -v update-desktop-database >/dev/null &&
    update-desktop-database -q "$data_home/applications" 2>/dev/null || true
}
