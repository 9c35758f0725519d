"""A local HTTP(S) server that records every request, for fixtures.

    from collector import start
    port, log_path = start(ctx, https=True)            # answers every request
    port, log_path = start(ctx, https=False, stall=True)
    port, log_path = start(ctx, host="127.4.5.6", port=45678, delay=2.0)

Binds 127.0.0.1 (or another loopback address) on a free port (or the one
given) in a background thread; its stop is
registered with ctx.on_cleanup. HTTPS uses a throw-away self-signed
certificate made with openssl in ctx.tmpdir (clients are expected not to
verify it).

Each complete request is appended to log_path as one JSON line, written and
flushed before the answer goes out, so a client that has its answer finds
its request in the log:
    {"method": "POST", "path": "/api/...", "headers": [["Host", "..."], ...],
     "body_hex": "7b22..."}

Answers, chosen by the request path:
    /status/<code>      that status, body "status <code>"
    /redirect/<rest>    302 to /<rest>
    /bytes/<n>          n bytes, byte i being i % 251
    anything else       200, body "OK"

With delay=N each request is logged at once and answered N seconds later
(a client that waits for the answer then stays busy that long).

With stall=True every connection is accepted and then left alone (nothing
read, no TLS handshake, no answer) until cleanup; nothing is logged.
"""
import json
import os
import socket
import ssl
import subprocess
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


def make_certificate(directory):
    """A self-signed certificate and key for 127.0.0.1; returns (cert, key) paths."""
    cert = os.path.join(directory, "collector-cert.pem")
    key = os.path.join(directory, "collector-key.pem")
    if not os.path.exists(cert):
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                        "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", cert],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


class _Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, format, *args):
        pass

    def _record(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length > 0 else b""
        entry = {
            "method": self.command,
            "path": self.path,
            "headers": [[name, value] for name, value in self.headers.items()],
            "body_hex": body.hex(),
        }
        with self.server.log_lock, open(self.server.log_path, "a", encoding="utf-8") as log:
            log.write(json.dumps(entry) + "\n")
            log.flush()
        if self.server.delay > 0:
            time.sleep(self.server.delay)

    def _answer(self, status, body, extra_headers=()):
        self.send_response(status)
        for name, value in extra_headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Content-Type", "application/octet-stream")
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def _handle(self):
        self._record()
        path = self.path.split("?", 1)[0]
        parts = path.split("/", 2)
        if len(parts) == 3 and parts[1] == "status" and parts[2].isdigit():
            code = int(parts[2])
            self._answer(code, f"status {code}".encode())
        elif len(parts) == 3 and parts[1] == "redirect":
            self._answer(302, b"", [("Location", "/" + parts[2])])
        elif len(parts) == 3 and parts[1] == "bytes" and parts[2].isdigit():
            self._answer(200, bytes(i % 251 for i in range(int(parts[2]))))
        else:
            self._answer(200, b"OK")

    do_GET = do_POST = do_PUT = do_PATCH = do_DELETE = do_HEAD = _handle


class _Server(ThreadingHTTPServer):
    daemon_threads = True
    # A collector on a fixed port (a tree's local endpoint) binds again right
    # after the previous test's, whose closed connections linger in
    # TIME_WAIT; a port another server listens on still refuses.
    allow_reuse_address = True

    def __init__(self, address, log_path, tls_context, delay):
        super().__init__(address, _Handler)
        self.delay = delay
        self.log_path = log_path
        self.log_lock = threading.Lock()
        self.tls_context = tls_context

    def get_request(self):
        sock, address = super().get_request()
        if self.tls_context is not None:
            # The handshake runs on the request's own thread, so a slow
            # client cannot hold up the accept loop.
            sock = self.tls_context.wrap_socket(sock, server_side=True, do_handshake_on_connect=False)
        return sock, address

    def handle_error(self, request, client_address):
        pass


class _StallServer:
    """Accepts connections and holds them, silent, until stopped."""

    def __init__(self, address):
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.bind(address)
        self.listener.listen(16)
        self.held = []
        self.running = True
        self.thread = threading.Thread(target=self._accept, daemon=True)
        self.thread.start()

    def port(self):
        return self.listener.getsockname()[1]

    def _accept(self):
        while self.running:
            try:
                conn, _ = self.listener.accept()
            except OSError:
                return
            self.held.append(conn)

    def stop(self):
        self.running = False
        try:
            self.listener.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self.listener.close()
        for conn in self.held:
            conn.close()
        self.thread.join(timeout=5)


def start(ctx, https=True, stall=False, name=None, host="127.0.0.1", port=0, delay=0.0):
    """Starts a collector; returns (port, log_path). The log exists (empty) at once."""
    name = name or ("collector-%s%s" % ("https" if https else "http", "-stall" if stall else ""))
    log_path = os.path.join(ctx.tmpdir, name + ".jsonl")
    open(log_path, "w").close()
    if stall:
        server = _StallServer((host, port))
        ctx.on_cleanup(server.stop)
        return server.port(), log_path

    tls_context = None
    if https:
        cert, key = make_certificate(ctx.tmpdir)
        tls_context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        tls_context.load_cert_chain(cert, key)
    server = _Server((host, port), log_path, tls_context, delay)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()

    def stop():
        server.shutdown()
        server.server_close()
        thread.join(timeout=5)

    ctx.on_cleanup(stop)
    return server.server_address[1], log_path
