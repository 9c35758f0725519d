"""Serves the download test's files over a local HTTP server (see harness/http_server.py)."""
import os
import subprocess

import http_server
import test_ca


def setup(ctx):
    root = os.path.join(ctx.tmpdir, "www")
    os.makedirs(root)
    # Sizes that are no multiple of the downloader's read buffer.
    with open(os.path.join(root, "package.bin"), "wb") as f:
        f.write(os.urandom(3 * 1024 * 1024 + 12345))
    # The publisher's next version of it: same length, other bytes (the swap=<n> option).
    with open(os.path.join(root, "package.bin.new"), "wb") as f:
        f.write(os.urandom(3 * 1024 * 1024 + 12345))
    with open(os.path.join(root, "small.bin"), "wb") as f:
        f.write(bytes(range(256)) * 40 + b"tail")
    open(os.path.join(root, "empty.bin"), "wb").close()
    with open(os.path.join(root, "slow.bin"), "wb") as f:
        f.write(os.urandom(24 * 1024 + 100))
    request_log = os.path.join(ctx.tmpdir, "requests.log")
    ctx.env["HTTP_TEST_PORT"] = str(http_server.start(ctx, root, request_log=request_log))
    ctx.env["HTTP_REQUEST_LOG"] = ctx.win_path(request_log)
    try:
        certfile, keyfile = test_ca.install(ctx)
    except (OSError, subprocess.CalledProcessError) as exc:
        print(f"HttpDownloader fixture: no HTTPS server ({exc})")
        return
    ctx.env["HTTPS_TEST_PORT"] = str(http_server.start(ctx, root, https=True, certfile=certfile, keyfile=keyfile))
