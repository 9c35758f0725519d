"""A throw-away certificate authority that the system (and so Wine) trusts for one test run.

install(ctx) creates a CA and a certificate for DNS:localhost below ctx.tmpdir,
adds only this CA to /usr/local/share/ca-certificates, reruns
update-ca-certificates, and registers the removal of that one file (and a
rerun) with ctx.on_cleanup. Returns (certfile, keyfile) for the server.
Clients must use the name localhost: an IP address fails the name check.
"""
import os
import subprocess

CA_DIR = "/usr/local/share/ca-certificates"


def _openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def _refresh():
    subprocess.run(["update-ca-certificates"], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def install(ctx):
    work = os.path.join(ctx.tmpdir, "tls")
    os.makedirs(work, exist_ok=True)
    _openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Launcher Test CA",
             "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign",
             "-keyout", "ca.key", "-out", "ca.crt", cwd=work)
    _openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=localhost", "-keyout", "server.key",
             "-out", "server.csr", cwd=work)
    with open(os.path.join(work, "server.ext"), "w") as f:
        f.write("subjectAltName=DNS:localhost\nextendedKeyUsage=serverAuth\n")
    _openssl("x509", "-req", "-in", "server.csr", "-CA", "ca.crt", "-CAkey", "ca.key", "-CAcreateserial",
             "-days", "2", "-extfile", "server.ext", "-out", "server.crt", cwd=work)

    installed = os.path.join(CA_DIR, f"launcher-test-{os.getpid()}.crt")
    with open(os.path.join(work, "ca.crt"), "rb") as src, open(installed, "wb") as dst:
        dst.write(src.read())

    def remove():
        if os.path.exists(installed):
            os.remove(installed)
        _refresh()

    ctx.on_cleanup(remove)
    _refresh()
    return os.path.join(work, "server.crt"), os.path.join(work, "server.key")
