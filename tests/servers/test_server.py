#!/usr/bin/env python3
"""Loopback HTTP and HTTPS server for the download tests and the benchmark.

Listens on 127.0.0.1 only, on ports chosen by the system, and prints them as
one line on standard output: "http=N", then "NAME=N" for each HTTPS listener
given with --tls. Runs until it is killed.

Routes (N, M: byte counts; bodies are the test pattern, byte i = i % 251):
  /bytes/N            N bytes with Content-Length
  /chunked/N          N bytes in chunks, no Content-Length
  /status/CODE        a short text body with that status and Content-Length
  /drop/N/M           announces N bytes, sends M and closes the connection
  /reset/N/M          announces N bytes, sends M and resets the connection
  /drop-chunked/M     sends M bytes in chunks and closes without the last chunk
  /slow/N             N bytes with Content-Length, 20000 bytes every 0.2 s
  /redirect?to=URL    302 to URL
  /files/NAME         a file of --root, sent with sendfile
"""

import argparse
import http.server
import os
import socket
import socketserver
import ssl
import struct
import sys
import threading
import time
import urllib.parse

LOOPBACK = "127.0.0.1"
PATTERN_PERIOD = 251
SLOW_BLOCK = 20000
SLOW_PAUSE = 0.2


def pattern(start, count):
    """count bytes of the test pattern from offset start."""
    period = bytes(range(PATTERN_PERIOD))
    first = start % PATTERN_PERIOD
    repeats = (first + count) // PATTERN_PERIOD + 1
    return (period * repeats)[first:first + count]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    root = None

    def log_message(self, format, *args):  # noqa: A002 - the base class names it so
        pass

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        parts = [p for p in url.path.split("/") if p]
        try:
            route = getattr(self, "route_" + parts[0].replace("-", "_"))
            route(parts[1:], urllib.parse.parse_qs(url.query))
        except (IndexError, AttributeError, ValueError):
            self.send_text(404, "no such route: " + self.path)
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            # The client went away (a cancelled download): nothing to answer.
            self.close_connection = True

    def send_text(self, status, text):
        body = text.encode()
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def send_head(self, length=None):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if length is None:
            self.send_header("Transfer-Encoding", "chunked")
        else:
            self.send_header("Content-Length", str(length))
        self.end_headers()

    def send_chunk(self, data):
        self.wfile.write(b"%x\r\n%s\r\n" % (len(data), data))

    def drop(self):
        # An orderly close before the body is complete, as when the server
        # process ends: the client has to notice the missing bytes itself.
        self.wfile.flush()
        self.close_connection = True

    def route_bytes(self, args, _query):
        count = int(args[0])
        self.send_head(count)
        self.wfile.write(pattern(0, count))

    def route_chunked(self, args, _query):
        count = int(args[0])
        self.send_head()
        for start in range(0, count, 16384):
            self.send_chunk(pattern(start, min(16384, count - start)))
        self.wfile.write(b"0\r\n\r\n")

    def route_status(self, args, _query):
        code = int(args[0])
        self.send_text(code, "status %d body" % code)

    def route_drop(self, args, _query):
        announced, sent = int(args[0]), int(args[1])
        self.send_head(announced)
        self.wfile.write(pattern(0, sent))
        self.drop()

    def route_reset(self, args, _query):
        announced, sent = int(args[0]), int(args[1])
        self.send_head(announced)
        self.wfile.write(pattern(0, sent))
        self.wfile.flush()
        time.sleep(0.2)
        # Closing with a zero linger time sends a reset instead of the end.
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.connection.close()
        self.close_connection = True

    def route_drop_chunked(self, args, _query):
        sent = int(args[0])
        self.send_head()
        self.send_chunk(pattern(0, sent))
        self.drop()

    def route_slow(self, args, _query):
        count = int(args[0])
        self.send_head(count)
        for start in range(0, count, SLOW_BLOCK):
            self.wfile.write(pattern(start, min(SLOW_BLOCK, count - start)))
            self.wfile.flush()
            time.sleep(SLOW_PAUSE)

    def route_redirect(self, _args, query):
        self.send_response(302)
        self.send_header("Location", query["to"][0])
        self.send_header("Content-Length", "0")
        self.end_headers()

    def route_files(self, args, _query):
        if self.root is None or len(args) != 1 or args[0] in (".", ".."):
            raise ValueError("no file root")
        with open(os.path.join(self.root, args[0]), "rb") as f:
            size = os.fstat(f.fileno()).st_size
            self.send_head(size)
            self.wfile.flush()
            self.connection.sendfile(f)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def listen(context=None):
    server = Server((LOOPBACK, 0), Handler)
    if context is not None:
        server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def tls_context(cert, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", help="folder served under /files/")
    parser.add_argument("--tls", nargs=3, action="append", default=[],
                        metavar=("NAME", "CERT", "KEY"),
                        help="an HTTPS listener with this certificate chain and key (PEM)")
    args = parser.parse_args()
    Handler.root = args.root

    ports = ["http=%d" % listen()]
    for name, cert, key in args.tls:
        ports.append("%s=%d" % (name, listen(tls_context(cert, key))))
    print(" ".join(ports), flush=True)
    threading.Event().wait()


if __name__ == "__main__":
    try:
        main()
    except KeyboardInterrupt:
        sys.exit(0)
