"""A scripted FTP server that misbehaves in one chosen way.

Usage: fakeftp.py MODE
  silent   accepts connections and never says anything
  backlog  listens but never accepts, with its queue full: connections hang
  nopasv   logs in, then answers PASV without an address
  dropdata accepts STOR, reads a little of the data, drops the data connection
           and says 426
  stall    accepts STOR and the data connection, then never reads it
  badlist  answers LIST in active mode with a plain-file line whose size is not a
           number between two good ones
Prints its port on one line and runs until SIGTERM.
"""
import signal
import socket
import sys
import threading


BAD_LISTING = (
    b"-rw-r--r--    1 0        0            2048 Jan 15  2025 first.zip\r\n"
    b"-rw-r--r--    1 0        0            12ab Jan 15  2025 broken.zip\r\n"
    b"-rw-r--r--    1 0        0            4096 Jan 15  2025 after.zip\r\n"
)


def serve_client(conn, mode):
    f = conn.makefile("rb")

    def say(line):
        conn.sendall(line.encode("latin-1") + b"\r\n")

    say("220 fake ready")
    data_listener = None
    active_peer = None
    while True:
        line = f.readline()
        if not line:
            return
        cmd = line.decode("latin-1").strip()
        verb = cmd.split(" ")[0].upper()
        if verb == "USER":
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
        elif verb == "PORT":
            n = [int(x) for x in cmd[5:].split(",")]
            active_peer = ("%d.%d.%d.%d" % tuple(n[:4]), n[4] * 256 + n[5])
            say("200 PORT command successful")
        elif verb == "LIST" and mode == "badlist" and active_peer is not None:
            say("150 Here comes the listing")
            data = socket.create_connection(active_peer, timeout=5)
            data.sendall(BAD_LISTING)
            data.close()
            say("226 Transfer complete")
        elif verb == "STOR" and data_listener is not None:
            say("150 Ok to send data")
            data, _ = data_listener.accept()
            if mode == "dropdata":
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
        if mode == "silent":
            threading.Thread(target=lambda c=conn: threading.Event().wait(), daemon=True).start()
            continue
        threading.Thread(target=serve_client, args=(conn, mode), daemon=True).start()


if __name__ == "__main__":
    main()
