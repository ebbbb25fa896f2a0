#!/usr/bin/env bash
# Installs BKPZelto for the user who runs it (no root needed once the packages of
# install-deps.sh are there): the program into its own folder of the XDG data home,
# where it keeps its settings file and database; a menu entry and a start at login;
# the icon in the user's hicolor theme. Run again, it ends the running copy,
# updates the program, keeps settings file and database, and starts it again.
#   --program FILE  install this built program instead of build/bkpzelto
#   --no-start      do not start the program afterwards
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/desktop-common.sh"

built="" start=1
while [ $# -gt 0 ]; do
  case "$1" in
  --program) built=$2; shift 2 ;;
  --no-start) start=0; shift ;;
  *) echo "usage: $0 [--program FILE] [--no-start]" >&2; exit 2 ;;
  esac
done

if [ -z "$built" ]; then
  built="$root/build/bkpzelto"
  if [ -f "$root/build/build.ninja" ]; then
    cmake --build "$root/build" --target bkpzelto >/dev/null
  else
    bash "$root/scripts/build.sh"
  fi
fi
[ -x "$built" ] || { echo "install: no program at $built" >&2; exit 1; }

# The Exec line quotes the path; characters that would need escaping are refused.
case "$program" in
*[\"\`\$\\%\|]* | *$'\n'*)
  echo "install: the folder $folder holds a character a desktop entry cannot take" >&2
  exit 1
  ;;
esac

stop_running_copy
mkdir -p "$folder"
# A new file moved into place: the settings file and the database beside it stay.
install -m 755 "$built" "$folder/.bkpzelto.new"
mv -f "$folder/.bkpzelto.new" "$program"

install -D -m 644 "$root/data/icons/bkpzelto-48.png" "${icon_files[0]}"
install -D -m 644 "$root/data/icons/bkpzelto-256.png" "${icon_files[1]}"
install -D -m 644 "$root/data/icons/bkpzelto.svg" "${icon_files[2]}"
for entry in "$menu_entry" "$autostart_entry"; do
  mkdir -p "$(dirname "$entry")"
  sed "s|@EXEC@|\"$program\"|" "$root/data/bkpzelto.desktop.in" >"$entry"
done
refresh_desktop_caches
echo "install: BKPZelto installed in $folder"

if [ "$start" = 1 ]; then
  if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    (cd "$folder" && setsid "$program" </dev/null >/dev/null 2>&1 &)
    echo "install: BKPZelto started (its icon is in the tray)"
  else
    echo "install: no desktop here; BKPZelto starts at the next login or from the menu"
  fi
fi
