"""What both test servers (http_server.py, static_server.py) may do to the
bodies they send, and their log of it.

    log = TransferLog(path)           one JSON line per answered request, flushed at once:
                                      {"path", "connection", "start", "end", "status", "sent"}
    read_transfers(path, prefix="")   its entries whose URL path starts with `prefix`
    most_at_once(entries)             the most of them whose spans overlap at one moment
    sent = paced_send(write, body, rate, stopping)   body at `rate` bytes per second
    corruptions = Corruptions({"/url/path": n})      corruptions.take(path): whether to
                                      flip the first byte of this answer's body
"""
import json
import os
import threading
import time


class TransferLog:
    def __init__(self, path):
        self._lock = threading.Lock()
        self._file = open(path, "a", encoding="utf-8") if path else None

    def write(self, path, connection, start, status, sent):
        with self._lock:
            if self._file:
                self._file.write(json.dumps({"path": path, "connection": connection, "start": start,
                                             "end": time.monotonic(), "status": status, "sent": sent}) + "\n")
                self._file.flush()

    def close(self):
        with self._lock:
            if self._file:
                self._file.close()
                self._file = None


def read_transfers(path, prefix=""):
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as f:
        entries = [json.loads(line) for line in f]
    return [e for e in entries if e["path"].startswith(prefix)]


def most_at_once(entries):
    edges = sorted([(e["start"], 1) for e in entries] + [(e["end"], -1) for e in entries])
    most = current = 0
    for _, step in edges:
        current += step
        most = max(most, current)
    return most


def paced_send(write, body, rate, stopping):
    """Sends `body` through `write` at `rate` bytes per second, paced against
    the clock from the answer's start, so slow writes do not add up and an
    idle connection earns no burst; returns the bytes sent (fewer once
    `stopping` is set)."""
    began = time.monotonic()
    step = max(1, rate // 50)
    for at in range(0, len(body), step):
        end = min(at + step, len(body))
        write(body[at:end])
        delay = began + end / rate - time.monotonic()
        if delay > 0 and stopping.wait(delay):
            return end
    return len(body)


class Corruptions:
    def __init__(self, counts):
        self._lock = threading.Lock()
        self._left = dict(counts or {})

    def take(self, path):
        with self._lock:
            left = self._left.get(path, 0)
            if left > 0:
                self._left[path] = left - 1
            return left > 0
