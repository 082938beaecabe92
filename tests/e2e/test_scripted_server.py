"""The scripted game server on its own (no Wine): byte-exact expectations,
replies split into separate reads or joined into one, automatic replies, the
record of what arrived, a connection reset and a flood."""

import socket
import threading
import time
import unittest

from harness import ScriptedServer

REQUEST = "登陆".encode("gbk") + b"\r\nplayer\r\npass"


def client(port):
    sock = socket.create_connection(("127.0.0.1", port), timeout=5)
    sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    return sock


def reads(sock, count, timeout=5.0):
    """What `count` separate recv calls return, one after the other."""
    sock.settimeout(timeout)
    return [sock.recv(4096) for _ in range(count)]


class ScriptedServerTest(unittest.TestCase):
    def setUp(self):
        self.server = ScriptedServer(port=0)
        self.addCleanup(self.server.close)

    def test_requests_are_checked_byte_for_byte_and_recorded(self):
        sock = client(self.server.port)
        self.addCleanup(sock.close)
        connection = self.server.accept()
        sock.sendall(REQUEST[:5])
        time.sleep(0.05)
        sock.sendall(REQUEST[5:] + b"tail")
        self.assertEqual(connection.expect(REQUEST), REQUEST)
        self.assertEqual(connection.pending(), b"tail")
        with self.assertRaises(AssertionError) as raised:
            connection.expect(b"tale", timeout=0.5)
        self.assertIn("b'tail'", str(raised.exception))
        self.assertEqual(bytes(connection.received), REQUEST + b"tail")

    def test_a_reply_in_parts_arrives_in_separate_reads_and_joined_replies_in_one(self):
        sock = client(self.server.port)
        self.addCleanup(sock.close)
        connection = self.server.accept()
        sender = threading.Thread(target=connection.send_parts, args=([b"first ", b"second"],), kwargs={"gap": 0.3})
        sender.start()
        self.assertEqual(reads(sock, 2), [b"first ", b"second"])
        sender.join()
        connection.send(b"one" + b"two")
        self.assertEqual(reads(sock, 1), [b"onetwo"])

    def test_known_requests_get_their_replies_without_the_test_waiting(self):
        server = ScriptedServer(port=0, replies=[(REQUEST, "登陆成功".encode("gbk")), (b"ping", [b"po", b"ng"])])
        self.addCleanup(server.close)
        sock = client(server.port)
        self.addCleanup(sock.close)
        sock.sendall(b"ping")
        self.assertEqual(reads(sock, 2), [b"po", b"ng"])
        sock.sendall(REQUEST + b"unknown")
        self.assertEqual(reads(sock, 1), ["登陆成功".encode("gbk")])
        connection = server.accept()
        time.sleep(0.1)
        self.assertEqual(connection.pending(), b"unknown")

    def test_read_takes_a_burst_and_closing_is_seen_both_ways(self):
        sock = client(self.server.port)
        connection = self.server.accept()
        sock.sendall(b"a")
        sock.sendall(b"b")
        self.assertEqual(connection.read(quiet=0.2), b"ab")
        self.assertTrue(connection.nothing_more(within=0.2))
        sock.close()
        self.assertTrue(connection.wait_closed())

    def test_a_reset_close_makes_the_client_see_a_reset(self):
        sock = client(self.server.port)
        self.addCleanup(sock.close)
        connection = self.server.accept()
        time.sleep(0.05)
        connection.close(reset=True)
        with self.assertRaises(ConnectionResetError):
            sock.settimeout(5)
            sock.recv(16)

    def test_a_flood_from_accept_repeats_its_chunk_until_stopped(self):
        server = ScriptedServer(port=0, on_accept=lambda connection: connection.flood(b"0123456789"))
        self.addCleanup(server.close)
        sock = client(server.port)
        self.addCleanup(sock.close)
        connection = server.accept()
        sock.settimeout(5)
        received = b""
        while len(received) < 100000:
            received += sock.recv(65536)
        self.assertEqual(received[:100000], b"0123456789" * 10000)
        connection.stop_flood()
        time.sleep(0.2)
        sent = connection.flooded
        time.sleep(0.2)
        self.assertEqual(connection.flooded, sent, "the flood went on after the stop")

    def test_no_connection_is_a_failure_at_the_time_out(self):
        began = time.monotonic()
        with self.assertRaises(AssertionError):
            self.server.accept(timeout=0.3)
        self.assertLess(time.monotonic() - began, 2.0)


if __name__ == "__main__":
    unittest.main()
