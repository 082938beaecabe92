"""A small HTTP server for tests that need the update server to publish
something the reference server would not (a document that is not XML, an
empty one): it serves fixed bytes per path, answers 404 for anything else and
records every path that was asked for.

    with DocumentServer(port=8080, documents={"/vorlenk2/update.xml": b"not xml"}) as server:
        ... the launcher fetches the document ...
        server.requests  # ["/vorlenk2/update.xml"]

A document may also be an EndlessBody: its head, then its filler again and
again for as long as the client reads (with or without a Content-Length that
claims a size); `sent[path]` counts the body bytes that went out."""

import http.server
import threading
from dataclasses import dataclass


@dataclass
class EndlessBody:
    head: bytes
    filler: bytes
    announced: int = None  # the Content-Length claimed, or None for none


class DocumentServer:
    def __init__(self, port: int = 8080, host: str = "127.0.0.1", documents: dict = None):
        self.documents = dict(documents or {})
        self.requests = []  # paths asked for, in order
        self.sent = {}  # path -> body bytes sent of an endless body
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                server.requests.append(self.path)
                body = server.documents.get(self.path)
                if isinstance(body, EndlessBody):
                    return self.send_endless(body)
                self.send_response(200 if body is not None else 404)
                self.send_header("Content-Type", "text/xml")
                self.send_header("Content-Length", str(len(body or b"")))
                self.end_headers()
                self.wfile.write(body or b"")

            def send_endless(self, body: EndlessBody):
                self.send_response(200)
                self.send_header("Content-Type", "text/xml")
                if body.announced is not None:
                    self.send_header("Content-Length", str(body.announced))
                self.end_headers()
                self.wfile.flush()
                self.connection.settimeout(1.0)
                pending = memoryview(body.head)
                while not server._closed:
                    try:
                        sent = self.connection.send(pending)
                    except TimeoutError:
                        continue  # the client reads nothing just now
                    except OSError:
                        return  # the client has gone
                    server.sent[self.path] = server.sent.get(self.path, 0) + sent
                    pending = pending[sent:] if sent < len(pending) else memoryview(body.filler)

            def log_message(self, *arguments):
                pass

        http.server.ThreadingHTTPServer.allow_reuse_address = True
        self._httpd = http.server.ThreadingHTTPServer((host, port), Handler)
        self._httpd.daemon_threads = True
        self.port = self._httpd.server_address[1]
        self._closed = False
        self._thread = threading.Thread(target=self._httpd.serve_forever, kwargs={"poll_interval": 0.1}, daemon=True)
        self._thread.start()

    def close(self):
        if self._closed:
            return
        self._closed = True
        self._httpd.shutdown()
        self._httpd.server_close()
        self._thread.join(timeout=5)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
