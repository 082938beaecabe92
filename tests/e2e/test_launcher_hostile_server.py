"""A game server or update server that does what no honest one would: bytes
without pause from the moment the launcher connects, a login reply of 16 MiB,
a reply trickled one byte at a time, NUL bytes inside replies, a connection
closed at once or reset in the middle of a reply, and an update document that
never ends or claims 4 GiB. The launcher stays alive, small and answering, and
does for every reply of the protocol what it always does."""

import threading
import time

from harness import EndlessBody
from launcher_case import UPDATE_FAILED, UPDATE_PATH, LauncherCase, reply, request

# 64 KiB of GBK text holding no keyword of the protocol.
FLOOD_CHUNK = ("洪水数据" * 8192).encode("gbk")
# What one data event holds at most.
LARGEST_ARRIVAL = 64 * 1024
CB_GETCOUNT, CB_GETCURSEL = 0x146, 0x147
# Replies handled inside each other's message boxes at most.
DEEPEST_NESTING = 8


class HostileCase(LauncherCase):
    def reply_once_drained(self, launcher, connection, data: bytes, message: str):
        """Sends a reply once what the program was sent before has been read, and expects its
        message box; a reply cut by the boundary of a data event shows nothing and is sent again."""
        deadline = time.monotonic() + 30
        while connection.unacknowledged() and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertEqual(connection.unacknowledged(), 0, "the launcher stopped reading")
        for _ in range(5):
            connection.send(data)
            if not launcher.no_message_box(within=4):
                break
        self.assert_message(launcher, message)
        self.assert_no_message(launcher, within=0.5)


class GamePortFloodTest(HostileCase):
    time_limit = 150

    def test_a_flood_from_connect_leaves_the_launcher_alive_small_and_answering(self):
        server = self.scripted_server()
        # The idle figure: the same launcher against a server that says nothing.
        quiet = self.start()
        server.accept()
        time.sleep(2)
        idle = quiet.memory()["peak_working_set"]
        quiet.close_window("MainWindow")
        self.assertEqual(quiet.exit_code(timeout=10), 0)

        server.on_accept = lambda connection: connection.flood(FLOOD_CHUNK)
        launcher = self.start()
        connection = server.accept()
        began = time.monotonic()
        while time.monotonic() - began < 30:
            launcher.repaint("MainWindow", timeout=5)
            self.assertEqual(launcher.text("MainWindow", "透明标签_版本"), "版本号： 1.0.0")
            self.assert_running(launcher)
            time.sleep(1)
        peak = launcher.memory()["peak_working_set"]
        connection.stop_flood()
        self.assertLess(peak, 2 * idle, f"peak working set {peak} bytes, idle {idle} bytes")
        self.assertGreater(connection.flooded, 16 << 20, "the launcher read little of the flood")
        # The bytes came in order: a reply after the flood is read whole.
        self.reply_once_drained(launcher, connection, reply("注册成功"), "注册成功")
        connection.flood(FLOOD_CHUNK)
        time.sleep(2)
        launcher.close_window("MainWindow")
        self.assertEqual(launcher.exit_code(timeout=10), 0, "closed in the middle of a flood")

    def test_a_flood_of_keyword_replies_stacks_a_bounded_number_of_message_boxes(self):
        self.scripted_server(on_accept=lambda connection: connection.flood(reply("注册成功", "")))
        launcher = self.start()

        def boxes():
            return len([w for w in launcher.windows() if w["class"] == "#32770"])

        deadline = time.monotonic() + 15
        while boxes() < DEEPEST_NESTING and time.monotonic() < deadline:
            time.sleep(0.2)
        time.sleep(2)  # a reply each moment: none goes deeper
        self.assertEqual(boxes(), DEEPEST_NESTING)
        self.assert_running(launcher)


class GamePortRepliesTest(HostileCase):
    time_limit = 120

    def test_a_login_reply_of_16_mib_logs_in_with_the_roles_of_its_first_event(self):
        server = self.scripted_server()
        launcher = self.start()
        connection = server.accept()
        self.open_shop_login(launcher)
        self.fill_login(launcher, "玩家甲乙", "secret1")
        connection.expect(request("登陆商城", "玩家甲乙", "secret1"))
        # Line 2 alone is longer than one data event.
        head = reply("登陆成功", "/".join(["青锋客", "紫霞仙"] + ["角色"] * 20000), "")
        body = head + FLOOD_CHUNK * ((16 << 20) // len(FLOOD_CHUNK))
        sender = threading.Thread(target=connection.send, args=(body[:16 << 20],), daemon=True)
        sender.start()
        self.assert_message(launcher, "玩家甲乙登陆成功", "成功", timeout=15)
        launcher.wait_window("PlayerWindow", timeout=15)
        # Thousands of roles: counted and the selection read, not listed one by one.
        count = launcher.send("PlayerWindow", CB_GETCOUNT, name="组合框_角色名称")["result"]
        self.assertGreater(count, 2)
        self.assertLessEqual(count, LARGEST_ARRIVAL // len("角色/".encode("gbk")), "roles beyond one data event")
        self.assertEqual(launcher.send("PlayerWindow", CB_GETCURSEL, name="组合框_角色名称")["result"], 0)
        self.assertEqual(launcher.text("PlayerWindow", "组合框_角色名称"), "青锋客")
        sender.join(timeout=60)
        self.assertFalse(sender.is_alive(), "the launcher stopped reading the reply")
        self.reply_once_drained(launcher, connection, reply("附魔成功"), "附魔成功")
        self.assertEqual(launcher.text("MainWindow", "透明标签_登录的账号"), "已登录账号：玩家甲乙")

    def test_trickled_replies_and_nul_bytes_act_as_the_text_before_the_nul(self):
        server = self.scripted_server()
        launcher = self.start()
        connection = server.accept()
        # One byte per read: no read holds a keyword.
        connection.send_parts([bytes([byte]) for byte in reply("注册成功")], gap=0.05)
        self.assert_no_message(launcher, within=1.0)
        cases = [
            (b"\0" + reply("注册成功"), []),
            (reply("账号存在") + b"\0" + reply("注册成功"), ["账号已经被注册了"]),
            (reply("附魔成功") + b"\0" * 3, ["附魔成功"]),
        ]
        for data, messages in cases:
            with self.subTest(data=data):
                connection.send(data)
                for message in messages:
                    self.assert_message(launcher, message)
                self.assert_no_message(launcher, within=0.8)
        self.assert_running(launcher)

    def test_a_connection_closed_at_once_or_reset_mid_reply_fails_only_the_later_requests(self):
        for case in ("closed at once", "reset in the middle of a reply"):
            with self.subTest(case=case):
                closes_at_once = case == "closed at once"
                server = self.scripted_server(on_accept=(lambda c: c.close()) if closes_at_once else None)
                launcher = self.start()
                connection = server.accept()
                if not closes_at_once:
                    connection.send("登陆成功".encode("gbk")[:5])  # cut inside a character
                    time.sleep(0.5)
                    connection.close(reset=True)
                self.assert_no_message(launcher, within=1.0)
                self.open_shop_login(launcher)
                self.fill_login(launcher, "玩家甲乙", "secret1")
                self.assert_message(launcher, "连接服务器失败", "提示")
                launcher.close_window("ShopLoginWindow")
                launcher.wait_gone("ShopLoginWindow", timeout=5)
                launcher.close_window("MainWindow")
                self.assertEqual(launcher.exit_code(timeout=10), 0)
                launcher.close()
                server.close()


class UpdateDocumentFloodTest(LauncherCase):
    time_limit = 120

    def test_an_endless_or_4_gib_update_document_is_an_unreadable_one(self):
        head = b'<?xml version="1.0" encoding="gb2312"?>\r\n<Info><Version>'
        cases = [
            ("an endless body", EndlessBody(head, b"9" * 65536)),
            ("a Content-Length of 4 GiB", EndlessBody(head, b"9" * 65536, announced=4 << 30)),
        ]
        for case, body in cases:
            with self.subTest(case=case):
                server = self.document_server(documents={UPDATE_PATH: body})
                launcher = self.start(version="1.0.0", stand_ins=True)
                launcher.click("MainWindow", "超级按钮1")
                self.assert_message(launcher, UPDATE_FAILED, timeout=30)
                self.assertEqual(launcher.exit_code(timeout=10), 0)
                self.assertEqual(launcher.stand_in_starts("main.exe"), [])
                self.assertEqual(launcher.stand_in_starts("tovrin.exe"), [])
                launcher.close()
                server.close()
