"""The collector of a build tree's local stat endpoint.

Programs linked with the `stat_endpoint_local` object (the launcher in
<build>/e2e/bin, for instance) report to an address of their build tree's
own on the loopback network, which the build writes to
<build>/local-stat-endpoint.json. start_collector serves it:

    endpoint = local_stat.start_collector(ctx)   # ctx: build_dir, tmpdir, on_cleanup
    endpoint.url, endpoint.log_path               # log: see collector.py
"""
import collections
import json
import os

import collector

Endpoint = collections.namedtuple("Endpoint", "host port url log_path")


def read(build_dir):
    with open(os.path.join(build_dir, "local-stat-endpoint.json"), encoding="utf-8") as f:
        data = json.load(f)
    return data["host"], int(data["port"]), data["url"]


def start_collector(ctx, delay=0.0):
    """HTTPS collector on the tree's endpoint until ctx's cleanup; `delay`
    seconds pass between a request's arrival (logged at once) and its answer."""
    host, port, url = read(ctx.build_dir)
    bound_port, log_path = collector.start(ctx, https=True, host=host, port=port, delay=delay,
                                           name="local-stat-collector")
    return Endpoint(host, bound_port, url, log_path)
