"""A pyftpdlib server for the FTP tests.

Usage: pyftpd.py ROOT USER PASSWORD [OPTION...]
  --truncate   keeps only the first half of every file it receives
  --nosize     does not know SIZE (a listing is the only way to a file's size)
  --norest     does not know REST (and so does not list REST STREAM in FEAT)
  --tls PEM    explicit FTP over TLS with the certificate and key in PEM;
               clear text is refused on the control and the data connections
  --address A  listens on A instead of 127.0.0.1
  --passive-ports P,Q,...  the only ports passive data connections use
Listens on a free loopback port, prints it on one line and serves until SIGTERM.
"""
import os
import signal
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    root, user, password = sys.argv[1:4]
    options = sys.argv[4:]
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")
    base = FTPHandler
    if "--tls" in options:
        from pyftpdlib.handlers import TLS_FTPHandler
        base = TLS_FTPHandler

    class Handler(base):
        proto_cmds = dict(base.proto_cmds)

        def on_file_received(self, file):
            if "--truncate" in options:
                with open(file, "r+b") as f:
                    f.truncate(os.path.getsize(file) // 2)

    if "--nosize" in options:
        del Handler.proto_cmds["SIZE"]
    if "--norest" in options:
        del Handler.proto_cmds["REST"]
    if "--tls" in options:
        Handler.certfile = options[options.index("--tls") + 1]
        Handler.tls_control_required = True
        Handler.tls_data_required = True
    if "--passive-ports" in options:
        ports = options[options.index("--passive-ports") + 1]
        Handler.passive_ports = [int(p) for p in ports.split(",")]
    address = "127.0.0.1"
    if "--address" in options:
        address = options[options.index("--address") + 1]
    Handler.authorizer = authorizer
    Handler.auth_failed_timeout = 0.05
    server = FTPServer((address, 0), Handler)
    print(server.address[1], flush=True)
    signal.signal(signal.SIGTERM, lambda *_: server.close_all())
    try:
        server.serve_forever(handle_exit=False)
    except Exception:
        pass


if __name__ == "__main__":
    import logging
    logging.basicConfig(level=logging.CRITICAL)
    main()
