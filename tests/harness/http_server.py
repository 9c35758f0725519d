"""A local HTTP(S) file server for the download tests, bound to 127.0.0.1.

Routes (GET and HEAD; <name> is a file below the served root folder):
  /files/<name>            the file, with Content-Length, an ETag and Last-Modified;
                           honours "Range: bytes=N-" (206 with Content-Range) and If-Range;
                           a range that starts at the end of the file gets 416; answers
                           304 to an If-None-Match naming its ETag or, without that
                           header, to an If-Modified-Since not older than the file
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
  /flaky/<bytes>/<name>    as /files, but each response closes its connection after
                           <bytes> bytes of body. Query options, combined with '&':
                             cuts=<n>   only the first n responses of this URL are cut
                             norange    ignores Range (always 200 with the whole file)
                             reset      cuts with a connection reset (RST), not a close
                             stall      falls silent at the cut instead, until the server stops
                             badstart   a 206 names a range starting one byte late
                             swap=<n>   from the n-th response of this URL on, serves <name>.new
                                        (a new version of the file: other bytes, other ETag)
                             ignoreifrange  honours Range whatever If-Range names
                           The counts behind cuts=<n> and swap=<n> are kept per URL, query
                           included, so a test gives each run a URL of its own (say with id=<n>).

start(..., request_log=path) appends one line per request to that file:
"<method> <path> range=<Range header or -> if-range=<If-Range header or ->".

start(..., transfer_log=path, connection_rate=B, corrupt={"/files/x": n}):
the transfer log, the pace of the bodies of /files and /flaky and their
corruption, as static_server.py has them (see transfer_faults.py); "sent"
counts the body bytes of /files and /flaky.

silent_port(ctx) gives a loopback port whose connections are accepted by the
system and never answered (a host that is there and does not respond).

One thread per connection, so a stalled request never holds up the others.
Usage from a fixture: port = http_server.start(ctx, root_dir[, https=True, certfile=..., keyfile=...]).
"""
import email.utils
import http.server
import os
import socket
import ssl
import struct
import threading
import time
import urllib.parse

from transfer_faults import Corruptions, TransferLog, paced_send

CHUNK = 64 * 1024


class _Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    block_on_close = False

    def __init__(self, address, root_dir, request_log=None, transfer_log=None, connection_rate=None,
                 corrupt=None):
        super().__init__(address, _Handler)
        self.root_dir = os.path.realpath(root_dir)
        self.stopping = threading.Event()
        self.request_log = request_log
        self.transfer_log = TransferLog(transfer_log)
        self.connection_rate = connection_rate
        self.corruptions = Corruptions(corrupt)
        self.lock = threading.Lock()
        self.responses = {}  # URL -> responses sent so far
        self.connections = 0

    def count_response(self, url):
        with self.lock:
            self.responses[url] = self.responses.get(url, 0) + 1
            return self.responses[url]

    def next_connection(self):
        with self.lock:
            self.connections += 1
            return self.connections

    def log_request(self, method, path, headers):
        if self.request_log is None:
            return
        with self.lock, open(self.request_log, "a", encoding="utf-8") as f:
            f.write(f"{method} {path} range={headers.get('Range') or '-'} if-range={headers.get('If-Range') or '-'}\n")


class _Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # Headers and body go out in separate writes: with Nagle's algorithm a
    # small body would wait for the client's delayed acknowledgement.
    disable_nagle_algorithm = True

    def setup(self):
        super().setup()
        self.connection_id = self.server.next_connection()
        self.status = None
        self.sent = 0

    def log_message(self, fmt, *args):
        pass

    def send_response(self, code, message=None):
        self.status = code
        super().send_response(code, message)

    def do_HEAD(self):
        self._route(send_body=False)

    def do_GET(self):
        self._route(send_body=True)

    def _route(self, send_body):
        began = time.monotonic()
        self.status, self.sent = None, 0
        try:
            self._answer(send_body)
        finally:
            self.server.transfer_log.write(urllib.parse.urlsplit(self.path).path, self.connection_id, began,
                                           self.status, self.sent)

    def _write_body(self, data):
        """Writes body bytes, at the server's pace when it has one."""
        if self.server.connection_rate:
            self.sent += paced_send(self.wfile.write, data, self.server.connection_rate, self.server.stopping)
        else:
            self.wfile.write(data)
            self.sent += len(data)

    def _answer(self, send_body):
        self.server.log_request(self.command, self.path, self.headers)
        url = urllib.parse.urlsplit(self.path)
        parts = urllib.parse.unquote(url.path).strip("/").split("/", 2)
        route = parts[0]
        try:
            if route == "files" and len(parts) >= 2:
                self._send_file("/".join(parts[1:]), send_body)
            elif route == "flaky" and len(parts) == 3:
                self._send_flaky(parts[2], int(parts[1]), urllib.parse.parse_qs(url.query, keep_blank_values=True),
                                 send_body)
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

    def _send_file(self, name, send_body, cut=None, honour_range=True, ending="close", start_shift=0,
                   honour_if_range=True):
        path = self._read(name)
        if path is None:
            return self._send_status(404, send_body)
        size = os.path.getsize(path)
        stat = os.stat(path)
        # Two files written within one clock tick share their mtime; the inode tells them apart.
        etag = f'"{size:x}-{stat.st_ino:x}-{stat.st_mtime_ns:x}"'
        modified = email.utils.formatdate(stat.st_mtime, usegmt=True)
        if self._not_modified(etag, stat.st_mtime):
            self._send_headers(304, None, extra=[("ETag", etag), ("Last-Modified", modified)])
            return
        start = self._range_start(size, etag, modified, honour_if_range) if honour_range else None
        if start is not None and start >= size:
            self._send_headers(416, 0, extra=[("Content-Range", f"bytes */{size}")])
            return
        validators = [("ETag", etag), ("Last-Modified", modified), ("Accept-Ranges", "bytes")]
        if start is None:
            start = 0
            self._send_headers(200, size, close=cut is not None, extra=validators)
        else:
            named = start + start_shift
            self._send_headers(206, size - start, close=cut is not None,
                               extra=validators + [("Content-Range", f"bytes {named}-{size - 1}/{size}")])
        if not send_body:
            return
        remaining = size - start if cut is None else min(cut, size - start)
        corrupt = self.server.corruptions.take(urllib.parse.urlsplit(self.path).path)
        with open(path, "rb") as f:
            f.seek(start)
            while remaining > 0 and (block := f.read(min(CHUNK, remaining))):
                if corrupt:
                    block = bytes([block[0] ^ 0xFF]) + block[1:]
                    corrupt = False
                self._write_body(block)
                remaining -= len(block)
        if cut is not None and start + cut < size:
            self._cut(ending)

    def _not_modified(self, etag, mtime):
        if_none_match = self.headers.get("If-None-Match")
        if if_none_match is not None:
            return any(tag.strip() in (etag, "*") for tag in if_none_match.split(","))
        if_modified_since = self.headers.get("If-Modified-Since")
        if if_modified_since is None:
            return False
        try:
            since = email.utils.parsedate_to_datetime(if_modified_since).timestamp()
        except (TypeError, ValueError):
            return False
        return int(mtime) <= since

    def _range_start(self, size, etag, modified, honour_if_range):
        """The N of a "bytes=N-" range to honour, or None for the whole file."""
        header = self.headers.get("Range")
        if not header:
            return None
        if_range = self.headers.get("If-Range")
        if honour_if_range and if_range is not None and if_range not in (etag, modified):
            return None
        unit, _, byte_range = header.partition("=")
        first, dash, last = byte_range.partition("-")
        if unit.strip() != "bytes" or not dash or last or not first.isdigit():
            return None
        return int(first)

    def _send_flaky(self, name, cut, options, send_body):
        response = self.server.count_response(self.path)
        limit = options.get("cuts")
        cut_this = limit is None or response <= int(limit[0])
        swap = options.get("swap")
        if swap is not None and response >= int(swap[0]):
            name += ".new"
        ending = "reset" if "reset" in options else "stall" if "stall" in options else "close"
        self._send_file(name, send_body, cut=cut if cut_this else None, honour_range="norange" not in options,
                        ending=ending, start_shift=1 if "badstart" in options else 0,
                        honour_if_range="ignoreifrange" not in options)

    def _cut(self, ending):
        self.wfile.flush()
        self.close_connection = True
        if ending == "stall":
            self.server.stopping.wait()
        elif ending == "reset":
            time.sleep(0.2)  # let the client read what was sent before the reset
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()

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
            self._cut("reset")


def start(ctx, root_dir, https=False, certfile=None, keyfile=None, request_log=None, transfer_log=None,
          connection_rate=None, corrupt=None):
    """Serves root_dir on a free loopback port until ctx's cleanup; returns the port."""
    server = _Server(("127.0.0.1", 0), root_dir, request_log, transfer_log, connection_rate, corrupt)
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
        server.transfer_log.close()

    ctx.on_cleanup(stop)
    return server.server_address[1]


def silent_port(ctx):
    """A loopback port that takes connections into its backlog and never answers."""
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    ctx.on_cleanup(listener.close)
    return listener.getsockname()[1]
