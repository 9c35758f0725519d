"""A local HTTP(S) file server for the download tests, bound to 127.0.0.1.

Routes (GET and HEAD; <name> is a file below the served root folder):
  /files/<name>            the file, with Content-Length
  /status/<code>           that status (404, 500, ...) with a short text body
  /chunked/<name>          the file in chunked encoding, no Content-Length
  /announce/<length>       200 with Content-Length: <length> and no body; closes
  /short/<bytes>/<name>    the file's full Content-Length, only its first <bytes> bytes; closes
  /stall/<bytes>/<name>    the file's full Content-Length, its first <bytes> bytes,
                           then nothing until the server stops
  /reset/<bytes>/<name>    the file's full Content-Length, its first <bytes> bytes,
                           then a connection reset (RST) instead of a clean close
  /trickle/<bytes>/<name>  the file with Content-Length, <bytes> bytes every quarter second
  /redirect/<name>         302 to /files/<name>
  /paced/<ms>/<name>       the file with Content-Length, in 100 even parts spread over
                           about <ms> milliseconds (a throttled line)

One thread per connection, so a stalled request never holds up the others.
Usage from a fixture: port = http_server.start(ctx, root_dir[, https=True, certfile=..., keyfile=...]).
"""
import http.server
import os
import socket
import ssl
import struct
import threading
import time
import urllib.parse

CHUNK = 64 * 1024


class _Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    block_on_close = False

    def __init__(self, address, root_dir):
        super().__init__(address, _Handler)
        self.root_dir = os.path.realpath(root_dir)
        self.stopping = threading.Event()


class _Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):
        pass

    def do_HEAD(self):
        self._route(send_body=False)

    def do_GET(self):
        self._route(send_body=True)

    def _route(self, send_body):
        parts = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path).strip("/").split("/", 2)
        route = parts[0]
        try:
            if route == "files" and len(parts) >= 2:
                self._send_file("/".join(parts[1:]), send_body)
            elif route == "status" and len(parts) == 2:
                self._send_status(int(parts[1]), send_body)
            elif route == "chunked" and len(parts) >= 2:
                self._send_chunked("/".join(parts[1:]), send_body)
            elif route == "announce" and len(parts) == 2:
                self._send_headers(200, int(parts[1]), close=True)
            elif route == "paced" and len(parts) == 3:
                self._send_paced(parts[2], int(parts[1]) / 1000.0, send_body)
            elif route in ("short", "stall", "reset") and len(parts) == 3:
                self._send_partial(parts[2], int(parts[1]), route)
            elif route == "trickle" and len(parts) == 3:
                self._send_trickle(parts[2], int(parts[1]))
            elif route == "redirect" and len(parts) >= 2:
                self.send_response(302)
                self.send_header("Location", "/files/" + "/".join(parts[1:]))
                self.send_header("Content-Length", "0")
                self.end_headers()
            else:
                self._send_status(404, send_body)
        except (ConnectionError, ssl.SSLError):
            self.close_connection = True

    def _read(self, name):
        path = os.path.realpath(os.path.join(self.server.root_dir, name))
        if not path.startswith(self.server.root_dir + os.sep) or not os.path.isfile(path):
            return None
        return path

    def _send_headers(self, status, length, close=False, extra=()):
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        if length is not None:
            self.send_header("Content-Length", str(length))
        for key, value in extra:
            self.send_header(key, value)
        if close:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()

    def _send_status(self, status, send_body):
        body = f"status {status}\n".encode()
        self._send_headers(status, len(body))
        if send_body:
            self.wfile.write(body)

    def _send_file(self, name, send_body):
        path = self._read(name)
        if path is None:
            return self._send_status(404, send_body)
        self._send_headers(200, os.path.getsize(path))
        if send_body:
            with open(path, "rb") as f:
                while block := f.read(CHUNK):
                    self.wfile.write(block)

    def _send_chunked(self, name, send_body):
        path = self._read(name)
        if path is None:
            return self._send_status(404, send_body)
        self._send_headers(200, None, extra=[("Transfer-Encoding", "chunked")])
        if not send_body:
            return
        with open(path, "rb") as f:
            while block := f.read(CHUNK):
                self.wfile.write(b"%x\r\n%s\r\n" % (len(block), block))
        self.wfile.write(b"0\r\n\r\n")

    def _send_paced(self, name, seconds, send_body):
        path = self._read(name)
        if path is None:
            return self._send_status(404, send_body)
        size = os.path.getsize(path)
        self._send_headers(200, size)
        if not send_body:
            return
        parts = 100
        began = time.monotonic()
        with open(path, "rb") as f:
            for part in range(parts):
                end = size * (part + 1) // parts
                self.wfile.write(f.read(end - f.tell()))
                self.wfile.flush()
                # Paced against the clock, so slow writes do not add up.
                delay = began + seconds * (part + 1) / parts - time.monotonic()
                if delay > 0 and self.server.stopping.wait(delay):
                    return

    def _send_trickle(self, name, count):
        path = self._read(name)
        if path is None:
            return self._send_status(404, True)
        self._send_headers(200, os.path.getsize(path))
        with open(path, "rb") as f:
            while block := f.read(count):
                self.wfile.write(block)
                self.wfile.flush()
                if self.server.stopping.wait(0.25):
                    return

    def _send_partial(self, name, count, ending):
        path = self._read(name)
        if path is None:
            return self._send_status(404, True)
        self._send_headers(200, os.path.getsize(path), close=True)
        with open(path, "rb") as f:
            self.wfile.write(f.read(count))
        self.wfile.flush()
        if ending == "stall":
            self.server.stopping.wait()
        elif ending == "reset":
            time.sleep(0.2)  # let the client read what was sent before the reset
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()


def start(ctx, root_dir, https=False, certfile=None, keyfile=None):
    """Serves root_dir on a free loopback port until ctx's cleanup; returns the port."""
    server = _Server(("127.0.0.1", 0), root_dir)
    if https:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(certfile, keyfile)
        # The handshake runs on the connection's own thread, not in accept().
        server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()

    def stop():
        server.stopping.set()
        server.shutdown()
        server.server_close()

    ctx.on_cleanup(stop)
    return server.server_address[1]
