"""A loopback relay that records what passes through it.

Usage: relay.py [--cut-after N] LOGDIR LISTEN_ADDR TARGET_ADDR PORT...
Every PORT of LISTEN_ADDR is forwarded to the same PORT of TARGET_ADDR; bytes from
the client are appended to LOGDIR/up, bytes from the server to LOGDIR/down. With
--cut-after, the first connection whose client has sent N bytes is cut off there
(both sides closed at once), as a link that drops. SIGUSR1 cuts every connection
and refuses new ones, as a server that went away; SIGUSR2 lets them through again.
Prints "ready" when it listens and runs until SIGTERM.
"""
import os
import signal
import socket
import struct
import sys
import threading
import time

lock = threading.Lock()
cut = {"after": 0, "done": False}
link = {"down": False, "open": []}


def drop(*sockets):
    for s in sockets:
        try:
            s.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            s.close()
        except OSError:
            pass


def pump(src, dst, log, upward=False):
    sent = 0
    try:
        while True:
            chunk = src.recv(65536)
            if not chunk:
                break
            with lock:
                if upward and cut["after"] and not cut["done"] and sent + len(chunk) >= cut["after"]:
                    cut["done"] = True
                    chunk = chunk[:cut["after"] - sent]
                    with open(log, "ab") as out:
                        out.write(chunk)
                    dst.sendall(chunk)
                    drop(src, dst)
                    return
                with open(log, "ab") as out:
                    out.write(chunk)
            sent += len(chunk)
            dst.sendall(chunk)
    except OSError:
        pass
    try:
        dst.shutdown(socket.SHUT_WR)
    except OSError:
        pass


def go_down(*_):
    with lock:
        link["down"] = True
        for pair in link["open"]:
            # A socket another thread reads stays open after close(): shut first.
            for s in pair:
                try:
                    s.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass
            drop(*pair)
        link["open"] = []


def come_back(*_):
    with lock:
        link["down"] = False


def serve(listener, target, logdir):
    while True:
        client, _ = listener.accept()
        with lock:
            if link["down"]:
                drop(client)
                continue
        server = socket.create_connection(target, timeout=10)
        server.settimeout(None)
        with lock:
            link["open"].append((client, server))
        threading.Thread(target=pump, args=(client, server, os.path.join(logdir, "up"), True),
                         daemon=True).start()
        threading.Thread(target=pump, args=(server, client, os.path.join(logdir, "down")),
                         daemon=True).start()


def main():
    args = sys.argv[1:]
    if args[:1] == ["--cut-after"]:
        cut["after"] = int(args[1])
        args = args[2:]
    logdir, listen, target = args[0:3]
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    signal.signal(signal.SIGUSR1, go_down)
    signal.signal(signal.SIGUSR2, come_back)
    for port in (int(p) for p in args[3:]):
        listener = socket.socket()
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind((listen, port))
        listener.listen(5)
        threading.Thread(target=serve, args=(listener, (target, port), logdir),
                         daemon=True).start()
    print("ready", flush=True)
    while True:  # the signals are handled between the pauses
        time.sleep(0.2)


if __name__ == "__main__":
    main()
