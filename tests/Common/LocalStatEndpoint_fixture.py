"""Starts the collector at this build tree's local endpoint."""
import local_stat


def setup(ctx):
    endpoint = local_stat.start_collector(ctx)
    ctx.env["LOCAL_STAT_URL"] = endpoint.url
    ctx.env["LOCAL_STAT_LOG"] = ctx.win_path(endpoint.log_path)
