"""A TCP proxy in front of the reference server's HTTP port that damages the
first `times` partial answers (206) on the way: one byte near the end of the
body, which lies in the data of the last range, is flipped. With `hold_after`
set, the partial answers after that many pass only their head, then the proxy
sends nothing more (a download stalled midway). Everything else passes
through as it is.

    proxy = CorruptingProxy(listen=8080, target=8081, times=1)
    ... the updater fetches ranges through port 8080 ...
    proxy.corrupted  # answers damaged so far
    proxy.close()"""

import socket
import threading
import time

FROM_THE_END = 300  # bytes before the end of the body: inside the last part's data


class CorruptingProxy:
    def __init__(self, listen: int, target: int, times: int = 1, hold_after: int = None):
        self.target = target
        self.times = times
        self.hold_after = hold_after
        self.corrupted = 0
        self.passed = 0  # partial answers passed whole
        self.held = 0
        self._lock = threading.Lock()
        self._listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self._listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self._listener.bind(("127.0.0.1", listen))
        self._listener.listen(16)
        self._closed = False
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        while not self._closed:
            try:
                client, _ = self._listener.accept()
            except OSError:
                return
            threading.Thread(target=self._serve, args=(client,), daemon=True).start()

    def _serve(self, client):
        try:
            upstream = socket.create_connection(("127.0.0.1", self.target), timeout=30)
        except OSError:
            client.close()
            return
        threading.Thread(target=self._pipe, args=(client, upstream), daemon=True).start()
        self._answer(upstream, client)

    @staticmethod
    def _pipe(source, sink):
        try:
            while True:
                data = source.recv(65536)
                if not data:
                    break
                sink.sendall(data)
        except OSError:
            pass
        try:
            sink.shutdown(socket.SHUT_WR)
        except OSError:
            pass

    def _answer(self, upstream, client):
        """Passes the answer on, flipping one byte when it is a 206 still to be damaged."""
        head = b""
        seen = 0
        flip_at = None
        try:
            while True:
                data = upstream.recv(65536)
                if not data:
                    break
                if flip_at is None:
                    head += data
                    if b"\r\n\r\n" in head:
                        if self._hold(head.split(b"\r\n\r\n", 1)[0]):
                            client.sendall(head.split(b"\r\n\r\n", 1)[0] + b"\r\n\r\n")
                            while not self._closed:
                                time.sleep(0.1)
                            break
                        flip_at = self._where_to_flip(head.split(b"\r\n\r\n", 1)[0])
                if flip_at is not None and seen <= flip_at < seen + len(data):
                    data = bytearray(data)
                    data[flip_at - seen] ^= 0xFF
                    data = bytes(data)
                seen += len(data)
                client.sendall(data)
        except OSError:
            pass
        finally:
            client.close()
            upstream.close()

    def _hold(self, head: bytes) -> bool:
        with self._lock:
            if self.hold_after is None or not head.startswith(b"HTTP/1.1 206"):
                return False
            if self.passed < self.hold_after:
                self.passed += 1
                return False
            self.held += 1
            return True

    def _where_to_flip(self, head: bytes) -> int:
        """The offset in the answer of the byte to flip; -1 for none."""
        with self._lock:
            if not head.startswith(b"HTTP/1.1 206") or self.corrupted >= self.times:
                return -1
            self.corrupted += 1
        length = int([line.split(b":", 1)[1] for line in head.split(b"\r\n")
                      if line.lower().startswith(b"content-length:")][0])
        return len(head) + 4 + length - FROM_THE_END

    def close(self):
        if self._closed:
            return
        self._closed = True
        # A close alone leaves the port listening while the accepting thread waits on it.
        try:
            self._listener.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self._listener.close()
