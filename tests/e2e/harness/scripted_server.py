"""A scripted game server for tests that need exact bytes on the wire: it
accepts the program's connections, records every byte they send, and replies
exactly what the test says, when it says, in as many pieces as it says.

    with ScriptedServer(port=2013) as server:
        ... start the launcher ...
        client = server.accept()
        client.expect("登陆".encode("gbk") + b"\\r\\n" + ...)     # the request, byte for byte
        client.send_parts([b"part 1", b"part 2"], gap=0.3)       # one reply in two reads
        client.send(reply_1 + reply_2)                            # two replies in one read

Replies can also be given up front: ScriptedServer(replies=[(request, reply)])
answers each request that arrives with its reply (a bytes object, or a list of
pieces sent apart). A hostile server: `on_accept` acts on each connection the
moment it is accepted (`lambda c: c.close()`, `lambda c: c.flood(chunk)`), and
`flood(chunk)` sends the chunk again and again until `stop_flood()`."""

import fcntl
import select
import socket
import struct
import termios
import threading
import time


class Connection:
    def __init__(self, sock: socket.socket, address, replies):
        self.sock = sock
        self.address = address
        self.received = bytearray()  # everything this connection sent, in order
        self._consumed = 0
        self._replies = list(replies or [])
        self._changed = threading.Condition()
        self.flooded = 0  # bytes sent by flood()
        self._flooding = None
        self.peer_closed = False
        self._closed = False
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        # Polls so that close() can end it: a socket still in a blocking recv
        # would not really close (and could not send a reset).
        while not self._closed:
            try:
                if not select.select([self.sock], [], [], 0.05)[0]:
                    continue
                data = self.sock.recv(65536)
            except (OSError, ValueError):
                data = b""
            with self._changed:
                if data:
                    self.received += data
                    self._answer_known_requests()
                else:
                    self.peer_closed = True
                self._changed.notify_all()
            if not data:
                return

    def _answer_known_requests(self):
        progress = True
        while progress and self._replies:
            progress = False
            pending = bytes(self.received[self._consumed:])
            for request, reply in self._replies:
                if pending.startswith(request):
                    self._consumed += len(request)
                    threading.Thread(target=self._send_reply, args=(reply,), daemon=True).start()
                    progress = True
                    break

    def _send_reply(self, reply):
        if isinstance(reply, (list, tuple)):
            self.send_parts(reply)
        else:
            self.send(reply)

    # --- what arrived ---

    def pending(self) -> bytes:
        """Bytes received and not yet taken by expect/read."""
        with self._changed:
            return bytes(self.received[self._consumed:])

    def _wait(self, ready, timeout: float) -> bool:
        deadline = time.monotonic() + timeout
        with self._changed:
            while not ready():
                left = deadline - time.monotonic()
                if left <= 0 or (self.peer_closed and not ready()):
                    return ready()
                self._changed.wait(left)
            return True

    def expect(self, data: bytes, timeout: float = 5.0) -> bytes:
        """Waits for the next len(data) bytes and requires them to be `data`."""
        arrived = self._wait(lambda: len(self.received) - self._consumed >= len(data), timeout)
        with self._changed:
            got = bytes(self.received[self._consumed:self._consumed + len(data)])
            if not arrived or got != data:
                raise AssertionError(f"expected {data!r}\n     got {bytes(self.received[self._consumed:])!r}"
                                     f"{' (connection closed)' if self.peer_closed else ''}"
                                     f"{'' if arrived else f' after {timeout} s'}")
            self._consumed += len(data)
            return got

    def read(self, timeout: float = 5.0, quiet: float = 0.3) -> bytes:
        """Waits for some bytes, then takes everything that arrives until the
        line has been quiet for `quiet` seconds."""
        if not self._wait(lambda: len(self.received) > self._consumed, timeout):
            raise AssertionError(f"nothing arrived within {timeout} s")
        while True:
            before = len(self.received)
            time.sleep(quiet)
            with self._changed:
                if len(self.received) == before:
                    data = bytes(self.received[self._consumed:])
                    self._consumed = len(self.received)
                    return data

    def nothing_more(self, within: float = 0.5) -> bool:
        """True when no new bytes arrive within `within` seconds."""
        return not self._wait(lambda: len(self.received) > self._consumed, within)

    def wait_closed(self, timeout: float = 5.0) -> bool:
        return self._wait(lambda: self.peer_closed, timeout)

    # --- replies ---

    def send(self, data: bytes):
        self.sock.sendall(data)

    def send_parts(self, parts, gap: float = 0.3):
        """Sends each piece on its own, `gap` seconds apart, so the program reads them separately."""
        for index, part in enumerate(parts):
            if index:
                time.sleep(gap)
            self.sock.sendall(part)

    def flood(self, chunk: bytes):
        """Sends `chunk` without pause, in the background, until stop_flood() or the end of the connection."""
        self._flooding = threading.Event()
        threading.Thread(target=self._flood, args=(chunk, self._flooding), daemon=True).start()
        return self

    def _flood(self, chunk: bytes, stop: threading.Event):
        view = memoryview(chunk)
        offset = 0
        while not stop.is_set() and not self._closed:
            try:
                # Waits in short steps, so a stop is heard even while the program reads nothing.
                if not select.select([], [self.sock], [], 0.05)[1]:
                    continue
                sent = self.sock.send(view[offset:], socket.MSG_DONTWAIT)
            except BlockingIOError:
                continue
            except (OSError, ValueError):
                return
            self.flooded += sent
            offset = (offset + sent) % len(chunk)

    def stop_flood(self):
        if self._flooding:
            self._flooding.set()

    def unacknowledged(self) -> int:
        """Bytes sent that the program's side has not yet acknowledged (still on their way)."""
        return struct.unpack("i", fcntl.ioctl(self.sock.fileno(), termios.TIOCOUTQ, b"\0" * 4))[0]

    def close(self, reset: bool = False):
        """Closes the connection; with `reset` the program sees a connection reset."""
        if self._closed:
            return
        self._closed = True
        self.stop_flood()
        if threading.current_thread() is not self._reader:
            self._reader.join(timeout=2)
        if reset:
            self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\x00\x00\x00\x00\x00\x00\x00")
        try:
            self.sock.close()
        except OSError:
            pass


class ScriptedServer:
    def __init__(self, port: int = 2013, host: str = "127.0.0.1", replies=None, on_accept=None):
        self._listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self._listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self._listener.bind((host, port))
        self._listener.listen(16)
        self._listener.settimeout(0.2)
        self.port = self._listener.getsockname()[1]
        self.connections = []  # every connection accepted, in order
        self._replies = replies
        self.on_accept = on_accept  # run on each new connection before anything else
        self._taken = 0
        self._changed = threading.Condition()
        self._running = True
        self._thread = threading.Thread(target=self._accept_loop, daemon=True)
        self._thread.start()

    def _accept_loop(self):
        while self._running:
            try:
                sock, address = self._listener.accept()
            except socket.timeout:
                continue
            except OSError:
                return
            connection = Connection(sock, address, self._replies)
            if self.on_accept:
                self.on_accept(connection)
            with self._changed:
                self.connections.append(connection)
                self._changed.notify_all()

    def accept(self, timeout: float = 10.0) -> Connection:
        """The next connection the program made (waiting up to `timeout` seconds)."""
        deadline = time.monotonic() + timeout
        with self._changed:
            while len(self.connections) <= self._taken:
                left = deadline - time.monotonic()
                if left <= 0:
                    raise AssertionError(f"no connection to port {self.port} within {timeout} s")
                self._changed.wait(left)
            self._taken += 1
            return self.connections[self._taken - 1]

    def close(self):
        self._running = False
        self._listener.close()
        self._thread.join(timeout=5)
        for connection in list(self.connections):
            connection.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
