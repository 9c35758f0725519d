import collector


def setup(ctx):
    port, log = collector.start(ctx, https=True)
    ctx.env["STAT_COLLECTOR_URL"] = f"https://127.0.0.1:{port}/api/proxy/tesmar/report/v2"
    ctx.env["STAT_COLLECTOR_LOG"] = ctx.win_path(log)
    port, _ = collector.start(ctx, https=True, stall=True)
    ctx.env["STAT_STALL_HTTPS_URL"] = f"https://127.0.0.1:{port}/api/proxy/tesmar/report/v2"
    port, _ = collector.start(ctx, https=False, stall=True, name="collector-http-stall")
    ctx.env["STAT_STALL_HTTP_URL"] = f"http://127.0.0.1:{port}/api/proxy/tesmar/report/v2"
    ctx.env["STAT_REFUSED_URL"] = f"https://127.0.0.1:{ctx.free_port()}/api/proxy/tesmar/report/v2"
