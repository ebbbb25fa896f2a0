#!/usr/bin/env bash
# Removes what install.sh put in place for the user who runs it: ends the running
# copy, removes the menu and login entries, the icons and the program. The settings
# file and the job database stay in the program's folder unless --purge is given,
# which also removes the empty "_Backups.Ini" older copies left outside it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/desktop-common.sh"

purge=0
case "${1:-}" in
"") ;;
--purge) purge=1 ;;
*) echo "usage: $0 [--purge]" >&2; exit 2 ;;
esac

stop_running_copy
rm -f "$menu_entry" "$autostart_entry" "${icon_files[@]}" "$program" "$folder/.bkpzelto.new"
refresh_desktop_caches
if [ "$purge" = 1 ]; then
  # Only the program's own folder, never what a wrong variable might name.
  [ "$(basename "$folder")" = bkpzelto ] && rm -rf -- "$folder"
  # An older copy's empty file outside the folder goes too; never one with content.
  stray=$(stray_backups_ini)
  if [ -n "$stray" ] && [ -f "$stray" ] && [ ! -s "$stray" ]; then
    rm -f -- "$stray"
  fi
  echo "uninstall: BKPZelto removed with its settings file and database"
else
  rmdir "$folder" 2>/dev/null || true
  echo "uninstall: BKPZelto removed; settings file and database kept in $folder"
fi
