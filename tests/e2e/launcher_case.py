"""Steps the launcher's end-to-end tests share: requests as the game server
sees them, message boxes read and answered, the shop login filled in and the
player logged in against a scripted server."""

import socket
import time

from harness import E2ETestCase, paths

# The title a message box gets when the launcher gives none.
DEFAULT_TITLE = "信息："
BRAND = paths.brand()
UPDATE_URL = BRAND["update_url"]
LAUNCH_TOKEN = BRAND["launch_token"]
EM_GETPASSWORDCHAR = 0x00D2
UPDATE_PATH = "/vorlenk2/update.xml"
UPDATE_FAILED = "( ╯ > д < ) ╯ 解析更新配置文件并不成功!"


def request(command: str, *fields: str) -> bytes:
    """A request as it goes over the wire: GBK, CR LF between fields, nothing after the last."""
    return "\r\n".join((command,) + fields).encode("gbk")


def reply(*lines: str) -> bytes:
    return "\r\n".join(lines).encode("gbk")


def update_document(version: str) -> bytes:
    return f'<?xml version="1.0" encoding="gb2312"?>\r\n<Info><Version>{version}</Version></Info>\r\n'.encode("gbk")


def talk(port: int, data: bytes, quiet: float = 0.3, timeout: float = 10.0) -> bytes:
    """Sends one request to a game server as a second client would and gives its reply
    (what arrives until the line has been quiet for `quiet` seconds)."""
    with socket.create_connection(("127.0.0.1", port), timeout=timeout) as client:
        client.sendall(data)
        answer = b""
        deadline = time.monotonic() + timeout
        client.settimeout(quiet)
        while time.monotonic() < deadline:
            try:
                piece = client.recv(4096)
            except socket.timeout:
                if answer:
                    break
                continue
            if not piece:
                break
            answer += piece
        return answer


class LauncherCase(E2ETestCase):
    time_limit = 60

    def start(self, **options):
        """A launcher started from its game folder, its main window shown."""
        launcher = self.launcher(**options)
        launcher.start_launcher()
        launcher.wait_window("MainWindow", timeout=20)
        return launcher

    def assert_message(self, launcher, text: str, title: str = DEFAULT_TITLE, timeout: float = 5):
        """The next message box says `text` under `title`; it is answered with OK."""
        box = launcher.message_box(timeout=timeout)
        self.assertEqual((box.title, box.text), (title, text))
        launcher.press("ok")
        return box

    def assert_no_message(self, launcher, within: float = 1.0):
        if not launcher.no_message_box(within=within):
            box = launcher.message_box()
            self.fail(f"unexpected message box {box.title!r}: {box.text!r}")

    def assert_running(self, launcher):
        self.assertIsNone(launcher.exit_code(), "the launcher has ended")

    def open_shop_login(self, launcher) -> str:
        """超级按钮2 before a login: the shop login window; gives its verification code."""
        launcher.click("MainWindow", "超级按钮2")
        launcher.wait_window("ShopLoginWindow", timeout=5)
        return launcher.text("ShopLoginWindow", "标签_验证码")

    def fill_login(self, launcher, account: str, password: str, code: str = None):
        """Fills the shop login (with the code shown unless `code` is given) and presses 登录."""
        if code is None:
            code = launcher.text("ShopLoginWindow", "标签_验证码")
        launcher.set_text("ShopLoginWindow", "编辑框_账号", account)
        launcher.set_text("ShopLoginWindow", "编辑框_密码", password)
        launcher.set_text("ShopLoginWindow", "编辑框_验证", code)
        launcher.click("ShopLoginWindow", "按钮1")

    def log_in(self, launcher, connection, account: str = "玩家甲乙", password: str = "secret1",
               login_reply: bytes = None):
        """Logs in against a scripted server: the request arrives byte for byte, the
        reply (default: two roles) logs the player in and opens the player centre."""
        self.open_shop_login(launcher)
        self.fill_login(launcher, account, password)
        connection.expect(request("登陆商城", account, password))
        connection.send(login_reply if login_reply is not None else reply("登陆成功", "青锋客/紫霞仙"))
        self.assert_message(launcher, f"{account}登陆成功", "成功")
        launcher.wait_window("PlayerWindow", timeout=5)
        # Closed from the message loop, which the player centre's own loop runs.
        launcher.wait_gone("ShopLoginWindow", timeout=5)
