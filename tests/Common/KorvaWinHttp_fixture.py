import collector


def setup(ctx):
    for scheme, https in (("HTTP", False), ("HTTPS", True)):
        port, log = collector.start(ctx, https=https)
        ctx.env[f"KORVA_{scheme}_URL"] = f"{scheme.lower()}://127.0.0.1:{port}"
        ctx.env[f"KORVA_{scheme}_LOG"] = ctx.win_path(log)
    port, _ = collector.start(ctx, https=False, stall=True)
    ctx.env["KORVA_STALL_URL"] = f"http://127.0.0.1:{port}"
    # A free port nobody listens on.
    ctx.env["KORVA_REFUSED_URL"] = f"http://127.0.0.1:{ctx.free_port()}"
