#!/bin/bash
# Takes the README's pictures of the SQL console, opened from the real program's
# Tools menu on its job database, on a virtual 1280x800 display with openbox:
#   docs/console-screenshots.sh [build dir]
# The job database gets two jobs, a view, a procedure, a trigger and a table of
# pictures (FOTOS, a PNG in a blob) before the start.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
out=$here/docs
work=$(mktemp -d /tmp/console-shots.XXXXXX)
source "$here/docs/desktop.sh"

prog=$work/prog
mkdir -p "$prog"
cp "$build/bkpzelto" "$prog/"
(cd "$prog" && exec ./bkpzelto >/dev/null 2>&1) & first=$!
for _ in $(seq 100); do [ -f "$prog/DataBase/BKPZELTO.FB" ] && break; sleep 0.1; done
sleep 2
kill -TERM $first; wait $first || true

today=$(date +%F)
convert -size 360x220 gradient:'#1f5fbf'-'#9fd8f0' -gravity center -font DejaVu-Sans-Bold \
    -pointsize 30 -fill white -annotate 0 'Depósito Central' -strip "png:$work/foto.png"
photo=$(xxd -p "$work/foto.png" | tr -d '\n')
isql-fb -user SYSDBA -ch UTF8 -q "$prog/DataBase/BKPZELTO.FB" <<SQL
insert into BACKUPS (ID, BACKUPNAME, BACKUPFILE, BACKUPFOLDER, UTILITARIO, PARAMETROS, TIPO, DATA, HORA) values (1, 'ALFA', 'ALFA', '/srv/backups/alfa', '/usr/bin/rar', 'a -r', 0, '$today', '23:30:00');
insert into BACKUPS (ID, BACKUPNAME, BACKUPFILE, BACKUPFOLDER, UTILITARIO, PARAMETROS, TIPO, DATA, HORA) values (2, 'BETA', 'BETA', '/srv/backups/beta', '/usr/bin/7z', 'a -tzip', 2, '$today', '23:45:00');
insert into ARQUIVOS (ID, BACKUP, PASTA, ARQUIVOS, SUBFOLDER) values (1, 1, '/srv/dados/Clientes', '*.doc;*.xls', 0);
insert into ARQUIVOS (ID, BACKUP, PASTA, ARQUIVOS, SUBFOLDER) values (2, 1, '/srv/dados/Financeiro', '*.*', 1);
create view V_ARQUIVOS (BACKUPNAME, PASTA) as select b.BACKUPNAME, a.PASTA from ARQUIVOS a join BACKUPS b on b.ID = a.BACKUP;
set term ^ ;
create procedure PROXIMOS (DIAS integer) returns (BACKUPNAME varchar(40), DATA date) as
begin
  for select BACKUPNAME, DATA from BACKUPS where DATA <= current_date + :DIAS
      into :BACKUPNAME, :DATA do
    suspend;
end^
create trigger BACKUPS_NOME for BACKUPS active before insert or update position 0 as
begin
  new.BACKUPNAME = upper(new.BACKUPNAME);
end^
set term ; ^
create table FOTOS (ID integer not null primary key, LOCAL varchar(30), FOTO blob sub_type 0);
insert into FOTOS values (1, 'Depósito Central', x'$photo');
insert into FOTOS values (2, 'Filial Norte', null);
commit;
SQL

(cd "$prog" && exec ./bkpzelto >/dev/null 2>&1) & pids+=($!)
sleep 5
shot() { sleep "${2:-1.5}"; import -window root "$out/$1"; }
click() { xdotool mousemove "$1" "$2" click 1; }
click 1268 16                 # the tray icon: the window, maximised
sleep 2
click 585 40                  # Tools
click 611 181                 # FBConsole
sleep 2
console=$(xdotool search --name "^FBConsole" | head -1)
xdotool windowsize "$console" 1280 765 windowmove "$console" 0 20
sleep 1
xdotool type --delay 20 "select * from BACKUPS"
click 47 80                   # SQL
shot console-sql.png
click 140 44                  # Tables
sleep 1
click 55 87                   # BACKUPS
shot console-tables.png
click 344 107                 # Properties
shot console-properties.png
click 217 44                  # Procedures
shot console-procedures.png
click 298 44                  # Triggers
shot console-triggers.png
click 364 44                  # Views
shot console-views.png
click 60 44                   # Monitor SQL
click 770 220                 # the editor
xdotool type --delay 20 "select * from FOTOS"
click 47 80                   # SQL
sleep 1
click 851 329                 # Imagens
shot console-images.png 2
xdotool key Escape
sleep 1
click 770 220
for line in "select ID, BACKUPNAME, TIPO, HORA from BACKUPS" "/*" "Title=Backups do servidor" \
    "Group=TIPO" "*/"; do
  xdotool type --delay 20 "$line"
  xdotool key Return
done
click 47 80                   # SQL
sleep 1
click 925 329                 # Report
shot console-print-setup.png 2
xdotool key Return
sleep 3
click 322 143                 # the preview's "fit width"
shot console-report-preview.png
xdotool key Escape
sleep 1
click 1005 329                # Sub-Query
sleep 1.5
xdotool type --delay 20 "select * from ARQUIVOS where BACKUP = :ID"
click 967 458                 # Executar
click 330 140                 # the first job
shot console-subquery.png
xdotool key Escape
echo "pictures written to $out"
