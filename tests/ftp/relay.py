"""A loopback relay that records what passes through it.

Usage: relay.py LOGDIR LISTEN_ADDR TARGET_ADDR PORT...
Every PORT of LISTEN_ADDR is forwarded to the same PORT of TARGET_ADDR; bytes from
the client are appended to LOGDIR/up, bytes from the server to LOGDIR/down. Prints
"ready" when it listens and runs until SIGTERM.
"""
import os
import signal
import socket
import sys
import threading

lock = threading.Lock()


def pump(src, dst, log):
    try:
        while True:
            chunk = src.recv(65536)
            if not chunk:
                break
            with lock:
                with open(log, "ab") as out:
                    out.write(chunk)
            dst.sendall(chunk)
    except OSError:
        pass
    try:
        dst.shutdown(socket.SHUT_WR)
    except OSError:
        pass


def serve(listener, target, logdir):
    while True:
        client, _ = listener.accept()
        server = socket.create_connection(target, timeout=10)
        server.settimeout(None)
        threading.Thread(target=pump, args=(client, server, os.path.join(logdir, "up")),
                         daemon=True).start()
        threading.Thread(target=pump, args=(server, client, os.path.join(logdir, "down")),
                         daemon=True).start()


def main():
    logdir, listen, target = sys.argv[1:4]
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    for port in (int(p) for p in sys.argv[4:]):
        listener = socket.socket()
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind((listen, port))
        listener.listen(5)
        threading.Thread(target=serve, args=(listener, (target, port), logdir),
                         daemon=True).start()
    print("ready", flush=True)
    threading.Event().wait()


if __name__ == "__main__":
    main()
