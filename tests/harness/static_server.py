"""A lean static file server, as a CDN serves a chunk store: GET and HEAD of
any file below the served folder, 200 with Content-Length (404 otherwise),
connections kept alive, headers and body sent at once. It answers a request
in a fraction of http_server.py's time, so tests and benchmarks that make
thousands of requests measure the launcher, not the server. Bound to
127.0.0.1.

    port = static_server.start(ctx, root, transfer_log=None, connection_rate=None, corrupt=None)

  transfer_log=path     one JSON line per answered request, once it is over:
                        {"path": URL path, "connection": n (the same for the requests
                        of one connection), "start": s, "end": s (time.monotonic()),
                        "status": code, "sent": body bytes}; overlapping start-end
                        spans are requests served at once
  connection_rate=B     every body goes out at B bytes per second, so each
                        connection (which carries one answer at a time) is capped
                        at B, as by a CDN that caps each connection
  corrupt={path: n}     the first n answers to that URL path carry a body with its
                        first byte flipped (Content-Length unchanged)

One thread per connection; everything stops at ctx's cleanup.
"""
import os
import socket
import threading
import time
import urllib.parse

from transfer_faults import Corruptions, TransferLog, paced_send

MAX_HEAD = 64 * 1024


class _Server:
    def __init__(self, root, transfer_log, connection_rate, corrupt):
        self.root = os.path.realpath(root)
        self.transfer_log = TransferLog(transfer_log)
        self.rate = connection_rate
        self.corruptions = Corruptions(corrupt)
        self.lock = threading.Lock()
        self.stopping = threading.Event()
        self.connections = 0
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(128)
        self.clients = []

    def port(self):
        return self.listener.getsockname()[1]

    def accept(self):
        while not self.stopping.is_set():
            try:
                client, _ = self.listener.accept()
            except OSError:
                return
            with self.lock:
                self.connections += 1
                number = self.connections
                self.clients.append(client)
            threading.Thread(target=self.serve, args=(client, number), daemon=True).start()

    def stop(self):
        self.stopping.set()
        self.listener.close()
        with self.lock:
            for client in self.clients:
                try:
                    client.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass
        self.transfer_log.close()

    def serve(self, client, number):
        client.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        pending = b""
        try:
            while True:
                while b"\r\n\r\n" not in pending:
                    data = client.recv(65536)
                    if not data or len(pending) > MAX_HEAD:
                        return
                    pending += data
                head, pending = pending.split(b"\r\n\r\n", 1)
                method, target = head.split(b"\r\n", 1)[0].decode("latin-1").split(" ")[:2]
                began = time.monotonic()
                path = urllib.parse.unquote(urllib.parse.urlsplit(target).path)
                status, sent = self.answer(client, method, path)
                self.transfer_log.write(path, number, began, status, sent)
        except (OSError, ValueError):
            pass
        finally:
            client.close()

    def file_of(self, path):
        full = os.path.realpath(os.path.join(self.root, path.lstrip("/")))
        return full if full.startswith(self.root + os.sep) and os.path.isfile(full) else None

    def answer(self, client, method, path):
        full = self.file_of(path)
        if full is None:
            client.sendall(b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n")
            return 404, 0
        with open(full, "rb") as f:
            size = os.fstat(f.fileno()).st_size
            client.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                           b"Content-Length: %d\r\n\r\n" % size)
            if method == "HEAD":
                return 200, 0
            if self.corruptions.take(path):
                body = bytearray(f.read())
                body[0] ^= 0xFF
                return 200, self.send(client, bytes(body))
            if self.rate:
                return 200, self.send(client, f.read())
            sent = 0
            while sent < size:
                sent += os.sendfile(client.fileno(), f.fileno(), sent, size - sent)
            return 200, sent

    def send(self, client, body):
        if not self.rate:
            client.sendall(body)
            return len(body)
        return paced_send(client.sendall, body, self.rate, self.stopping)


def start(ctx, root, transfer_log=None, connection_rate=None, corrupt=None):
    """Serves `root` on a free loopback port until ctx's cleanup; returns the port."""
    server = _Server(root, transfer_log, connection_rate, corrupt)
    threading.Thread(target=server.accept, daemon=True).start()
    ctx.on_cleanup(server.stop)
    return server.port()
