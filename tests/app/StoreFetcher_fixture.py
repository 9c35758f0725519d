"""Serves one object of a store over the local HTTP server (harness/http_server.py)."""
import os

import http_server


def setup(ctx):
    root = os.path.join(ctx.tmpdir, "www")
    os.makedirs(root)
    path = os.path.join(root, "object.bin")
    # More than one read of the fetcher, and no multiple of it.
    with open(path, "wb") as f:
        f.write(os.urandom(150_000))
    ctx.env["STORE_TEST_PORT"] = str(http_server.start(ctx, root))
    ctx.env["STORE_TEST_OBJECT"] = ctx.win_path(path)
