"""The addresses the host's name may resolve to, found without Wine: what
this machine's resolver gives for it, and the IPv4 addresses of its network
interfaces (which the platform answers for its own name)."""
import fcntl
import socket
import struct

SIOCGIFADDR = 0x8915


def _interface_addresses():
    addresses = []
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        for _, name in socket.if_nameindex():
            try:
                request = struct.pack("256s", name.encode()[:15])
                answer = fcntl.ioctl(probe.fileno(), SIOCGIFADDR, request)
            except OSError:
                continue
            addresses.append(socket.inet_ntoa(answer[20:24]))
    return addresses


def setup(ctx):
    addresses = _interface_addresses()
    try:
        addresses.append(socket.gethostbyname(socket.gethostname()))
    except OSError:
        pass
    ctx.env["HOST_ADDRESSES"] = " ".join(addresses) if addresses else "0.0.0.0"
