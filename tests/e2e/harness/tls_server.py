"""HTTPS for the update: a throw-away certificate authority made with openssl,
a certificate it signs for "localhost" (Wine's WinINet matches host names,
not IP addresses, against a certificate), a folder served over TLS, and the
authority trusted in the tier's Wine prefix by the fixture trust_certificate.exe.

    authority = CertificateAuthority(folder)
    authority.trust(testbed)                    # once per prefix is enough
    with TlsFileServer(www, authority, port=8443):
        ... https://localhost:8443/vorlenk2/update.xml ..."""

import functools
import http.server
import ssl
import subprocess
import threading
from pathlib import Path

from . import paths


def _openssl(*arguments):
    subprocess.run(["openssl", *arguments], check=True, capture_output=True, timeout=60)


class CertificateAuthority:
    def __init__(self, folder: Path, name: str = "Lumadrel test authority"):
        self.folder = Path(folder)
        self.folder.mkdir(parents=True, exist_ok=True)
        self.key, self.certificate = self.folder / "ca.key", self.folder / "ca.pem"
        self.der = self.folder / "ca.der"
        _openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", f"/CN={name}",
                 "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign",
                 "-keyout", str(self.key), "-out", str(self.certificate))
        _openssl("x509", "-in", str(self.certificate), "-outform", "der", "-out", str(self.der))
        self.server_key, self.server_certificate = self.folder / "localhost.key", self.folder / "localhost.pem"
        request, extensions = self.folder / "localhost.csr", self.folder / "localhost.ext"
        extensions.write_text("subjectAltName=DNS:localhost\nextendedKeyUsage=serverAuth\n")
        _openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=localhost", "-keyout", str(self.server_key),
                 "-out", str(request))
        _openssl("x509", "-req", "-in", str(request), "-CA", str(self.certificate), "-CAkey", str(self.key),
                 "-CAcreateserial", "-days", "2", "-extfile", str(extensions), "-out", str(self.server_certificate))

    def trust(self, testbed):
        """Adds the authority to the trusted roots of the testbed's Wine prefix."""
        program = paths.require(paths.windows_build() / "tools" / "fixtures" / "trust_certificate.exe",
                                "the fixture trust_certificate.exe")
        result = subprocess.run([str(paths.REPO / "scripts" / "wine-exec.sh"), str(program), str(self.der)],
                                env=testbed.env(), stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
        if result.returncode != 0:
            raise RuntimeError(f"trust_certificate.exe failed ({result.returncode}): {result.stderr[-500:]!r}")


class TlsFileServer:
    """The files below `folder`, over HTTPS with the authority's certificate for localhost."""

    def __init__(self, folder: Path, authority: CertificateAuthority, port: int = 8443):
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(str(authority.server_certificate), str(authority.server_key))
        self.requests = []
        server = self

        class Handler(http.server.SimpleHTTPRequestHandler):
            def do_GET(self):
                server.requests.append(self.path)
                super().do_GET()

            def log_message(self, *arguments):
                pass

        http.server.ThreadingHTTPServer.allow_reuse_address = True
        self._httpd = http.server.ThreadingHTTPServer(("127.0.0.1", port),
                                                      functools.partial(Handler, directory=str(folder)))
        self._httpd.daemon_threads = True
        self._httpd.socket = context.wrap_socket(self._httpd.socket, server_side=True)
        self._thread = threading.Thread(target=self._httpd.serve_forever, kwargs={"poll_interval": 0.1}, daemon=True)
        self._thread.start()

    def close(self):
        self._httpd.shutdown()
        self._httpd.server_close()
        self._thread.join(timeout=5)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
