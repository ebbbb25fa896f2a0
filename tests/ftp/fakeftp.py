"""A scripted FTP server that misbehaves in one chosen way.

Usage: fakeftp.py MODE [LOGDIR]
  silent   accepts connections and never says anything
  backlog  listens but never accepts, with its queue full: connections hang
  nopasv   logs in, then answers PASV without an address
  dropdata accepts STOR, reads a little of the data, drops the data connection
           and says 426
  stall    accepts STOR and the data connection, then never reads it
  endless  greets with "220-" continuation lines, one every 0.1 s, for ever
  longline greets with megabytes that never reach a line end
  nulreply answers CWD with a refusal holding a NUL and control bytes
  elsewhere  PASV names 127.0.0.2 with its port; the data is received on that
           port at 127.0.0.1 into LOGDIR/legit and at 127.0.0.2 into LOGDIR/thief
  slow     a working server whose passive data connection reads 16 KB every
           0.05 s into LOGDIR/legit
  stranger after PORT a host 127.0.0.2 connects first and reads into LOGDIR/thief,
           then the server itself connects and reads into LOGDIR/legit
  badlist  answers LIST in active mode with a plain-file line whose size is not a
           number between two good ones
  tlssilent  accepts AUTH TLS and then never answers the handshake
  ansi     an older server: FEAT without UTF8, a passive LIST of names in
           Windows-1252 beside one in UTF-8
  endlesslist  a working passive server without SIZE whose LIST never ends
  driplist     the same, with one listing line every 0.1 s
  tardy:SECONDS  a working passive server that says each line, the greeting
           included, SECONDS after it was due
Every command received is appended to LOGDIR/commands, and a line for every
connection accepted to LOGDIR/sessions.
Prints its port on one line and runs until SIGTERM.
"""
import os
import signal
import socket
import sys
import threading
import time


BAD_LISTING = (
    b"-rw-r--r--    1 0        0            2048 Jan 15  2025 first.zip\r\n"
    b"-rw-r--r--    1 0        0            12ab Jan 15  2025 broken.zip\r\n"
    b"-rw-r--r--    1 0        0            4096 Jan 15  2025 after.zip\r\n"
)


def receive(sock, name, logdir):
    with open(os.path.join(logdir, name), "ab") as out:
        try:
            while True:
                chunk = sock.recv(65536)
                if not chunk:
                    break
                out.write(chunk)
        except OSError:
            pass
    sock.close()


def receive_slowly(sock, logdir):
    with open(os.path.join(logdir, "legit"), "ab", buffering=0) as out:
        try:
            while True:
                chunk = sock.recv(16384)
                if not chunk:
                    break
                out.write(chunk)
                time.sleep(0.05)
        except OSError:
            pass
    sock.close()

ANSI_LISTING = (
    b"-rw-r--r--    1 0        0            2048 Jan 15  2025 relat\xf3rio antigo.zip\r\n"
    b"-rw-r--r--    1 0        0            4096 Jan 15  2025 relat\xc3\xb3rio.zip\r\n"
)


def serve_client(conn, mode, logdir):
    f = conn.makefile("rb")
    mode, _, argument = mode.partition(":")
    delay = float(argument) if mode == "tardy" else 0

    def say(line):
        time.sleep(delay)
        conn.sendall(line.encode("latin-1") + b"\r\n")

    try:
        if mode == "endless":
            while True:
                conn.sendall(b"220-still saying hello\r\n")
                time.sleep(0.1)
        if mode == "longline":
            conn.sendall(b"220 ")
            while True:
                conn.sendall(b"x" * 65536)
    except OSError:
        return
    say("220 fake ready")
    data_listener = None
    thief_listener = None
    port_target = None
    while True:
        line = f.readline()
        if not line:
            return
        cmd = line.decode("latin-1").rstrip("\r\n")
        if logdir:
            with open(os.path.join(logdir, "commands"), "a", encoding="latin-1") as log:
                log.write(cmd + "\n")
        verb = cmd.split(" ")[0].upper()
        if mode == "tlssilent" and verb == "AUTH":
            say("234 Proceed with negotiation.")
            threading.Event().wait()
        if mode == "nulreply" and verb == "CWD":
            conn.sendall(b"550 No\x00such\x01folder\x7f here\r\n")
        elif mode in ("elsewhere", "stranger", "slow", "tardy") and verb in ("DELE", "RNFR", "RNTO"):
            say({"DELE": "550 No such file", "RNFR": "350 Ready", "RNTO": "250 Renamed"}[verb])
        elif mode == "slow" and verb == "PASV":
            data_listener = socket.socket()
            data_listener.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 16384)
            data_listener.bind(("127.0.0.1", 0))
            data_listener.listen(1)
            port = data_listener.getsockname()[1]
            say("227 Entering Passive Mode (127,0,0,1,%d,%d)" % (port >> 8, port & 255))
        elif mode == "slow" and verb == "STOR":
            say("150 Ok to send data")
            data, _ = data_listener.accept()
            receive_slowly(data, logdir)
            say("226 Transfer complete")
        elif mode == "elsewhere" and verb == "PASV":
            data_listener = socket.socket()
            data_listener.bind(("127.0.0.1", 0))
            data_listener.listen(1)
            port = data_listener.getsockname()[1]
            thief_listener = socket.socket()
            thief_listener.bind(("127.0.0.2", port))
            thief_listener.listen(1)
            threading.Thread(target=lambda: receive(thief_listener.accept()[0], "thief", logdir),
                             daemon=True).start()
            say("227 Entering Passive Mode (127,0,0,2,%d,%d)" % (port >> 8, port & 255))
        elif mode in ("endlesslist", "driplist") and verb in ("DELE", "RNFR", "RNTO", "STOR", "LIST"):
            if verb != "STOR" and verb != "LIST":
                say({"DELE": "550 No such file", "RNFR": "350 Ready", "RNTO": "250 Renamed"}[verb])
                continue
            say("150 Ok")
            data, _ = data_listener.accept()
            if verb == "STOR":
                while data.recv(65536):
                    pass
                data.close()
                say("226 Transfer complete")
                continue
            line = b"-rw-r--r--    1 0        0            2048 Jan 15  2025 other.zip\r\n"
            try:
                while True:
                    if mode == "endlesslist":
                        data.sendall(line * 1024)
                    else:
                        data.sendall(line)
                        time.sleep(0.1)
            except OSError:
                data.close()
        elif mode == "badlist" and verb == "PORT":
            n = [int(x) for x in cmd[5:].split(",")]
            port_target = ("%d.%d.%d.%d" % tuple(n[:4]), n[4] * 256 + n[5])
            say("200 PORT command successful")
        elif mode == "badlist" and verb == "LIST" and port_target is not None:
            say("150 Here comes the listing")
            data = socket.create_connection(port_target, timeout=5)
            data.sendall(BAD_LISTING)
            data.close()
            say("226 Transfer complete")
        elif mode == "ansi" and verb == "FEAT":
            conn.sendall(b"211-Features:\r\n MDTM\r\n SIZE\r\n211 End\r\n")
        elif mode == "ansi" and verb == "LIST" and data_listener is not None:
            say("150 Here comes the listing")
            data, _ = data_listener.accept()
            data.sendall(ANSI_LISTING)
            data.close()
            say("226 Transfer complete")
        elif mode == "stranger" and verb == "PORT":
            n = [int(x) for x in cmd.split(" ", 1)[1].split(",")]
            port_target = ("%d.%d.%d.%d" % tuple(n[:4]), n[4] * 256 + n[5])
            say("200 PORT ok")
        elif mode == "stranger" and verb == "STOR":
            say("150 Opening data connection")
            thief = socket.socket()
            thief.bind(("127.0.0.2", 0))
            thief.connect(port_target)
            threading.Thread(target=receive, args=(thief, "thief", logdir), daemon=True).start()
            time.sleep(0.3)
            legit = socket.create_connection(port_target)
            receive(legit, "legit", logdir)
            say("226 Transfer complete")
        elif mode == "elsewhere" and verb == "STOR":
            say("150 Ok to send data")
            data, _ = data_listener.accept()
            receive(data, "legit", logdir)
            say("226 Transfer complete")
        elif verb == "USER":
            say("331 Password required")
        elif verb == "PASS":
            say("230 Logged in")
        elif verb == "TYPE":
            say("200 Type set to I")
        elif verb == "SYST":
            say("215 UNIX Type: L8")
        elif verb == "PWD":
            say('257 "/" is the current directory')
        elif verb == "CWD":
            say("250 Directory changed")
        elif verb == "PASV":
            if mode == "nopasv":
                say("227 Entering Passive Mode")
                continue
            data_listener = socket.socket()
            data_listener.bind(("127.0.0.1", 0))
            data_listener.listen(1)
            port = data_listener.getsockname()[1]
            say("227 Entering Passive Mode (127,0,0,1,%d,%d)" % (port >> 8, port & 255))
        elif verb == "STOR" and data_listener is not None:
            say("150 Ok to send data")
            data, _ = data_listener.accept()
            if mode == "tardy":
                while data.recv(65536):
                    pass
                data.close()
                say("226 Transfer complete")
            elif mode == "dropdata":
                got = 0
                while got < 65536:
                    chunk = data.recv(65536 - got)
                    if not chunk:
                        break
                    got += len(chunk)
                data.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\x00\x00\x00\x00\x00\x00\x00")
                data.close()
                say("426 Connection closed; transfer aborted.")
            else:  # stall: keep the connection open and never read it
                threading.Event().wait()
        else:
            say("500 Unknown command")


def main():
    mode = sys.argv[1]
    logdir = sys.argv[2] if len(sys.argv) > 2 else None
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    port = listener.getsockname()[1]
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    if mode == "backlog":
        listener.listen(0)
        # Fill the accept queue so that further connections are never completed.
        fillers = []
        for _ in range(3):
            s = socket.socket()
            s.setblocking(False)
            try:
                s.connect(("127.0.0.1", port))
            except BlockingIOError:
                pass
            fillers.append(s)
        print(port, flush=True)
        threading.Event().wait()
        return
    listener.listen(5)
    print(port, flush=True)
    while True:
        conn, _ = listener.accept()
        if logdir:
            with open(os.path.join(logdir, "sessions"), "a") as log:
                log.write("%.3f\n" % time.time())
        if mode == "silent":
            threading.Thread(target=lambda c=conn: threading.Event().wait(), daemon=True).start()
            continue
        threading.Thread(target=serve_client, args=(conn, mode, logdir), daemon=True).start()


if __name__ == "__main__":
    main()
