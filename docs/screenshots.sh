#!/bin/bash
# Takes the pictures of the README and of the operator's guide, of the real
# program on a virtual 1280x800 display with a window manager (openbox) and a tray
# host (trayer):
#   docs/screenshots.sh [build dir]
# The program runs from a folder of its own with two jobs (ALFA: five archives in
# its folder, two file sets and a remote folder on a local pyftpdlib server; BETA:
# an upload to a slow local FTP server, due a little after the start). The FTP
# settings name the pyftpdlib server too, for the settings dialog and the space
# report. Clicks go to the places the window has at that size.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
out=$here/docs
# A plain lower-case folder, as the job editor keeps folders.
work=/tmp/empresa
rm -rf "$work"
mkdir -p "$work"
source "$here/docs/desktop.sh"

prog=$work/prog
data=$work/dados
mkdir -p "$prog" "$data"/backups/alfa "$data"/backups/beta "$data"/Clientes "$data"/Financeiro \
    "$data"/Fotos "$work"/ftp "$work"/ftproot/backups/alfa "$work"/ftproot/Chat
cp "$build/bkpzelto" "$prog/"
day=0
for name in Terça Segunda Sexta Quinta Quarta; do
    day=$((day + 1))
    head -c $((300000 + day * 211111)) /dev/urandom >"$data/backups/alfa/$name.rar"
    touch -d "$(date -d "-$day day" +%F) 23:30" "$data/backups/alfa/$name.rar"
done
head -c 16000000 /dev/urandom >"$data/backups/beta/beta.zip"
# ALFA's remote folder: names with accents and blanks, and an archive over 2 GiB.
for name in Segunda.rar Terça.rar "Cópia de março.rar"; do
    head -c $((400000 + ${#name} * 10007)) /dev/urandom >"$work/ftproot/backups/alfa/$name"
done
truncate -s 2600000000 "$work/ftproot/backups/alfa/Mensal.rar"
echo "Backup de ontem conferido." >"$work/ftproot/Chat/recado.txt"

python3 "$here/tests/ftp/fakeftp.py" slow "$work/ftp" >"$work/port" 2>/dev/null & pids+=($!)
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(head -1 "$work/port")
/usr/bin/python3 "$here/tests/ftp/pyftpd.py" "$work/ftproot" bkp segredo >"$work/ftpport" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/ftpport" ] && break; sleep 0.1; done
ftpport=$(head -1 "$work/ftpport")

# The first start makes the settings file and the database.
(cd "$prog" && exec ./bkpzelto >/dev/null 2>&1) & first=$!
for _ in $(seq 100); do [ -f "$prog/DataBase/BKPZELTO.FB" ] && break; sleep 0.1; done
sleep 2
kill -TERM $first; wait $first || true

today=$(date +%F)
upload=$(date -d "+45 sec" +%T)
cols="ID, BACKUPNAME, BACKUPFILE, BACKUPFOLDER, UTILITARIO, PARAMETROS, TIPO, BACKUPACTIVE, DATA, HORA, FTP_ACTIVE, FTP_HOST, FTP_USER, FTP_PASSWORD, FTP_FOLDER, FTP_PASSIVE, FTP_DATA, FTP_HORA"
isql-fb -user SYSDBA -q "$prog/DataBase/BKPZELTO.FB" <<SQL
insert into BACKUPS ($cols) values (1, 'ALFA', 'ALFA', '$data/backups/alfa', '/usr/bin/rar', 'a -r', 0, 0, '$today', '23:30:00', 1, '127.0.0.1:$ftpport', 'bkp', 'segredo', 'backups/alfa', -1, '$today', '00:00:00');
insert into BACKUPS ($cols) values (2, 'BETA', 'BETA', '$data/backups/beta', '/usr/bin/7z', 'a -tzip', 2, 0, '$today', '23:45:00', 0, '127.0.0.1:$port', 'bkp', 'segredo', 'backups/beta', -1, '$today', '$upload');
insert into ARQUIVOS (ID, BACKUP, PASTA, SUBPASTAS, ARQUIVOS, SUBFOLDER) values (1, 1, '$data/Clientes', null, '*.doc;*.xls', 0);
insert into ARQUIVOS (ID, BACKUP, PASTA, SUBPASTAS, ARQUIVOS, SUBFOLDER) values (2, 1, '$data/Financeiro', null, '*.*', 1);
insert into ARQUIVOS (ID, BACKUP, PASTA, SUBPASTAS, ARQUIVOS, SUBFOLDER) values (3, 2, '$data/Fotos', null, '*.jpg', 0);
commit;
SQL

cat >>"$prog/bkpzelto.Ini" <<INI

[FTP]
Host=127.0.0.1:$ftpport
Login=bkp
Password=segredo
Folder=backups
INI

(cd "$prog" && exec ./bkpzelto >/dev/null 2>&1) & pids+=($!)
sleep 5
shot() { sleep "${2:-1.5}"; import -window root "$out/$1"; }
click() { xdotool mousemove "$1" "$2" click 1; }
shot tray-after-start.png 0
click 1268 16                 # the tray icon: the window, maximised
xdotool mousemove 640 600
shot main-window.png 2
click 102 40                  # &Editar
shot setup-editing.png
click 511 319                 # the date picker of "Próximo backup em:"
shot date-picker.png
# Only the close box on the dialogs' frames: the window types they declare.
xprop -id "$(xdotool getactivewindow)" WM_NAME _NET_WM_WINDOW_TYPE _NET_WM_ALLOWED_ACTIONS
xdotool key Escape            # its Cancelar
sleep 1
click 307 40                  # &Cancelar
sleep 1
click 345 76                  # Arquivos
shot arquivos.png
click 412 76                  # Pasta
xdotool mousemove 640 300
shot pasta.png
click 231 76                  # back to Setup while BETA's upload comes
for _ in $(seq 120); do [ -s "$work/ftp/legit" ] && break; sleep 0.5; done
shot ftp-upload.png 8
for _ in $(seq 240); do
    [ "$(stat -c %s "$work/ftp/legit" 2>/dev/null || echo 0)" -ge 16000000 ] && break
    sleep 0.5
done
sleep 3
click 100 154                 # ALFA
click 412 76                  # Pasta
click 1261 455                # the button of the "FTP" bar: the remote folder
xdotool mousemove 640 300
shot pasta-remote-list.png 3
menu() { click 585 40; sleep 0.7; }   # Tools
menu
click 646 159                 # Reprogramar horários
shot reprogramar-horarios.png
xdotool key Escape
sleep 1
menu
click 600 113                 # FTP
xdotool mousemove 760 113
click 820 157                 # Configurar FTP
shot ftp-settings.png
xprop -id "$(xdotool getactivewindow)" WM_NAME _NET_WM_WINDOW_TYPE _NET_WM_ALLOWED_ACTIONS
xdotool key Escape
sleep 1
menu
click 600 113
xdotool mousemove 760 113
click 880 135                 # Verificar espaço ocupado por FTP
sleep 2
click 20 38                   # its button: the listing
sleep 3
click 200 121                 # the line of the file in "Chat"
shot ftp-space-report.png
xdotool key alt+F4
sleep 1
menu
click 593 205                 # SDK
shot sdk.png
xdotool key Escape
echo "pictures written to $out"
