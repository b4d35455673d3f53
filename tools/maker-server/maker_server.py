#!/usr/bin/env python3
"""A stand-in for the maker's catalogue and download servers, for tests and demos.

Serves the files of one folder over HTTPS on the loopback addresses only
(127.0.0.1 and, where there is one, ::1). Every request is appended to a request
log, one "GET /path" line each.

Faults, per path: a request for /fault/MODE/rest/of/path serves /rest/of/path with
that fault. Per start: --fault MODE applies it to every path.

  notfound             404 with an HTML error page
  empty                200 with an empty body
  truncated            Content-Length announced, half the body sent, connection closed
  truncated-nolength   no Content-Length, half the body sent, connection closed
  slow                 the body in 1 KiB pieces, 50 ms apart
  stall                the headers and half the body, then nothing more for up to 120 s
  silent               the request is read, then nothing is sent for up to 120 s

Redirects, per path only: a request for /fault/MODE/rest/of/path answers 302 and
sends the client to /rest/of/path.

  redirect-http        at http://localhost:PORT, plain HTTP on a second port of the server's own
  redirect-https       at https://localhost:PORT, this server
  redirect-path        at the path alone, "Location: /rest/of/path"

A refused connection needs no mode: use a port nothing listens on.
"""

import argparse
import http.server
import os
import socket
import ssl
import threading
import time
import urllib.parse

MODES = ("notfound", "empty", "truncated", "truncated-nolength", "slow", "stall", "silent")
REDIRECTS = ("redirect-http", "redirect-https", "redirect-path")
STALL_SECONDS = 120


class Handler(http.server.BaseHTTPRequestHandler):
    server_version = "MakerServer/1.0"

    def do_GET(self):
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        with self.server.log_lock:
            with open(self.server.request_log, "a") as log:
                log.write(f"GET {path}\n")

        mode = self.server.fault
        parts = path.split("/")
        if len(parts) > 3 and parts[1] == "fault" and parts[2] in MODES + REDIRECTS:
            mode = parts[2]
            path = "/" + "/".join(parts[3:])

        if mode in REDIRECTS:
            self.redirect(mode, path)
            return

        file_path = os.path.realpath(os.path.join(self.server.root, path.lstrip("/")))
        if mode == "silent":
            self.wait_for_client_to_leave()
            self.close_connection = True
            return

        if mode == "notfound" or not file_path.startswith(self.server.root + os.sep) or not os.path.isfile(file_path):
            self.send_error(404, "Not Found")
            return

        with open(file_path, "rb") as f:
            body = f.read()

        if mode == "empty":
            body = b""

        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if mode != "truncated-nolength":
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()

        try:
            if mode in ("truncated", "truncated-nolength"):
                self.wfile.write(body[: len(body) // 2])
            elif mode == "stall":
                self.wfile.write(body[: len(body) // 2])
                self.wfile.flush()
                self.wait_for_client_to_leave()
            elif mode == "slow":
                for start in range(0, len(body), 1024):
                    self.wfile.write(body[start:start + 1024])
                    self.wfile.flush()
                    time.sleep(0.05)
            else:
                self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            pass
        self.close_connection = True

    def redirect(self, mode, path):
        location = urllib.parse.quote(path)
        if mode == "redirect-http":
            location = f"http://localhost:{self.server.plain_port}{location}"
        elif mode == "redirect-https":
            location = f"https://localhost:{self.server.secure_port}{location}"
        self.send_response(302)
        self.send_header("Location", location)
        self.send_header("Content-Length", "0")
        self.end_headers()
        self.close_connection = True

    def wait_for_client_to_leave(self):
        deadline = time.monotonic() + STALL_SECONDS
        self.connection.settimeout(0.5)
        while time.monotonic() < deadline:
            try:
                if self.connection.recv(1) == b"":
                    return
            except (socket.timeout, ssl.SSLWantReadError):
                continue
            except (OSError, ssl.SSLError):
                return

    def log_message(self, format, *args):
        pass


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True


def make_server(address, family, port, context, options):
    """A server on the address; without a context, a plain HTTP one."""
    Server.address_family = family
    server = Server((address, port), Handler)
    if context is not None:
        server.socket = context.wrap_socket(server.socket, server_side=True)
    server.root = os.path.realpath(options.root)
    server.fault = options.fault
    server.request_log = options.request_log
    server.log_lock = threading.Lock()
    return server


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--root", required=True, help="folder whose files are served")
    parser.add_argument("--cert", required=True, help="server certificate (PEM), chain included")
    parser.add_argument("--key", required=True, help="server key (PEM)")
    parser.add_argument("--port", type=int, default=0, help="port, 0 for any free one")
    parser.add_argument("--port-file", help="file to write the port into once listening")
    parser.add_argument("--request-log", default=os.devnull, help="file that every request is appended to")
    parser.add_argument("--fault", choices=MODES, help="fault for every path")
    options = parser.parse_args()

    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(options.cert, options.key)

    servers = []
    for server_context, first_port in ((context, options.port), (None, 0)):
        ipv4 = make_server("127.0.0.1", socket.AF_INET, first_port, server_context, options)
        servers.append(ipv4)
        try:
            servers.append(make_server("::1", socket.AF_INET6, ipv4.server_address[1], server_context, options))
        except OSError:
            pass  # no IPv6 loopback here, or its port is taken

    port = servers[0].server_address[1]
    plain_port = servers[-1].server_address[1]
    for server in servers:
        server.secure_port = port
        server.plain_port = plain_port

    for server in servers[1:]:
        threading.Thread(target=server.serve_forever, daemon=True).start()

    if options.port_file:
        with open(options.port_file + ".new", "w") as f:
            f.write(str(port))
        os.replace(options.port_file + ".new", options.port_file)

    servers[0].serve_forever()


if __name__ == "__main__":
    main()
