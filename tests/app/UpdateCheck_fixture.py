"""Serves a store folder the update check test writes latest.json into, and a silent host."""
import os

import http_server


def setup(ctx):
    root = os.path.join(ctx.tmpdir, "www")
    os.makedirs(os.path.join(root, "store"))
    ctx.env["STORE_ROOT"] = ctx.win_path(os.path.join(root, "store"))
    ctx.env["HTTP_TEST_PORT"] = str(http_server.start(ctx, root))
    ctx.env["SILENT_PORT"] = str(http_server.silent_port(ctx))
    ctx.env["CLOSED_PORT"] = str(ctx.free_port())
