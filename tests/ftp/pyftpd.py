"""A pyftpdlib server for the FTP tests.

Usage: pyftpd.py ROOT USER PASSWORD
Listens on a free loopback port, prints it on one line and serves until SIGTERM.
"""
import signal
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    root, user, password = sys.argv[1:4]
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.auth_failed_timeout = 0.05
    server = FTPServer(("127.0.0.1", 0), handler)
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
