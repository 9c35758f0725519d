#!/usr/bin/env python3
"""The demo's local server on 127.0.0.1: serves the game package at a
throttled pace (so the progress can be watched) and records telemetry POSTs.

    demo_server.py PACKAGE EVENTS_FILE PORT_FILE

GET /GameSetup.zip    the package, with Content-Length
POST /api/proxy/tesmar/report/v2   appended to EVENTS_FILE, answered 200
"""
import http.server
import os
import sys
import time

PACKAGE, EVENTS, PORT_FILE = sys.argv[1:4]
PACE_SECONDS = 4.0


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):
        pass

    def do_GET(self):
        if self.path != "/GameSetup.zip":
            self.send_error(404)
            return
        size = os.path.getsize(PACKAGE)
        self.send_response(200)
        self.send_header("Content-Length", str(size))
        self.send_header("Content-Type", "application/zip")
        self.end_headers()
        chunk = max(size // 100, 1)
        with open(PACKAGE, "rb") as package:
            while True:
                data = package.read(chunk)
                if not data:
                    break
                self.wfile.write(data)
                time.sleep(PACE_SECONDS / 100)

    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        with open(EVENTS, "ab") as events:
            events.write(body + b"\n")
        self.send_response(200)
        self.send_header("Content-Length", "2")
        self.end_headers()
        self.wfile.write(b"OK")


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
with open(PORT_FILE, "w") as f:
    f.write(str(server.server_address[1]))
server.serve_forever()
