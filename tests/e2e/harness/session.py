"""A program under test and the driver that operates it, with the helpers tests
are written in: wait_window(form), click(form, name), set_text, text,
message_box() -> MessageBox(title, text), press(button), exit_code(), screenshot().

A component is named by its form and its name in the template ("MainWindow",
"超级按钮1"); the driver maps the name to the component's control id."""

import re
import shutil
from dataclasses import dataclass, field
from pathlib import Path

from . import paths
from .driver import Driver, DriverError, Raw
from .images import Image
from .updates import write_update_ini

_FORM_ID = re.compile(r"constexpr uint32_t kForm = (0x[0-9A-Fa-f]+);")
_FORM_NAMES = {"main_window": "MainWindow", "shop_login_window": "ShopLoginWindow",
               "register_window": "RegisterWindow", "player_window": "PlayerWindow",
               "lucky_draw_window": "LuckyDrawWindow"}


def launcher_forms() -> dict:
    """Form names of the launcher and their ids, read from launcher/form_ids.h."""
    forms = {}
    namespace = None
    for line in (paths.REPO / "launcher" / "form_ids.h").read_text(encoding="utf-8").splitlines():
        if line.startswith("namespace "):
            namespace = line.split()[1]
        match = _FORM_ID.search(line)
        if match and namespace in _FORM_NAMES:
            forms[_FORM_NAMES[namespace]] = int(match.group(1), 16)
    return forms


@dataclass
class MessageBox:
    title: str
    text: str
    buttons: list = field(default_factory=list)  # button texts
    hwnd: str = ""
    pid: int = 0


class AppSession:
    """Starts programs through the driver (so their windows, exit codes and
    children are known) and operates their windows."""

    def __init__(self, testbed, artifacts: Path, template: Path = None, forms: dict = None, **driver_options):
        self.testbed = testbed
        self.artifacts = Path(artifacts)
        self.artifacts.mkdir(parents=True, exist_ok=True)
        self.driver = Driver(testbed, template=template, forms=forms, log_path=self.artifacts / "driver.log",
                             **driver_options).start()
        self.pid = None  # the last program started

    def close(self):
        self.driver.close()

    # --- programs ---

    def start(self, program: Path, *arguments, cwd: Path = None) -> int:
        answer = self.driver.check("start", str(program), *arguments, cwd=str(cwd) if cwd else None)
        self.pid = answer["pid"]
        return self.pid

    def exit_code(self, pid: int = None, timeout: float = None):
        """The exit code once the program has ended (waiting up to `timeout`
        seconds), or None while it runs."""
        pid = pid or self.pid
        if timeout is None:
            answer = self.driver.check("exit_code", pid)
        else:
            answer = self.driver.call("exit_code", pid, timeout=int(timeout * 1000))
            if answer.get("error") == "timeout":
                return None
            if not answer.get("ok"):
                raise DriverError(f"exit_code {pid}", answer)
        return None if answer["running"] else answer["code"]

    def kill(self, pid: int = None):
        self.driver.check("kill", pid or self.pid)

    def memory(self, pid: int = None) -> dict:
        """The program's memory figures in bytes, as Windows gives them: working_set,
        peak_working_set, private_bytes, peak_private_bytes."""
        return self.driver.check("memory", pid or self.pid)

    def processes(self, name: str = None) -> list:
        return self.driver.check("processes", name=name)["processes"]

    # --- windows ---

    def windows(self, all: bool = False, pid=None) -> list:
        return self.driver.check("windows", all=all, pid=pid)["windows"]

    def controls(self, form) -> list:
        return self.driver.check("controls", form)["controls"]

    def forms(self) -> list:
        return self.driver.check("forms")["forms"]

    def wait_window(self, form, timeout: float = None, state: str = None) -> dict:
        return self.driver.check("wait_window", form, timeout=_ms(timeout), state=state)

    def wait_gone(self, form, timeout: float = None, hidden: bool = False):
        self.driver.check("wait_gone", form, timeout=_ms(timeout), hidden=hidden)

    def find(self, form, name: str = None) -> dict:
        return self.driver.check("find", form, *([name] if name is not None else []))

    def exists(self, form, name: str = None) -> bool:
        answer = self.driver.call("find", form, *([name] if name is not None else []))
        if answer.get("ok"):
            return True
        if answer.get("error") == "not_found":
            return False
        raise DriverError(f"find {form}", answer)

    def tray_icons(self) -> list:
        """Icons in the notification area: under Xvfb Wine shows them as child
        windows of its stand-alone tray window (owned by explorer.exe)."""
        icons = []
        for window in self.windows(all=True, pid="all"):
            if window["class"] == "__winex11_standalone_tray":
                icons += [c for c in self.controls(window["hwnd"]) if c["class"] == "__winex11_tray_icon"]
        return icons

    def focus(self, form) -> dict:
        """The control that has the keyboard focus in the thread of the form's window."""
        return self.driver.check("focus", form)

    def tray_remove(self, form, icon_id: int = 1) -> dict:
        """Removes the form window's notification-area icon without telling the program."""
        return self.driver.check("tray_remove", form, Raw(str(icon_id)))

    def close_window(self, form) -> dict:
        return self.driver.check("close", form)

    def repaint(self, form, timeout: float = None) -> dict:
        """Marks the window and its controls for painting and waits until the program has
        painted them all (its message loop turns); a DriverError with code timeout if not."""
        return self.driver.check("repaint", form, timeout=_ms(timeout))

    def screenshot(self, path, form=None, method: str = None, client: bool = False) -> Image:
        """Captures a window (default: the last one waited for) to `path`
        (.bmp as taken, .png converted) and gives the picture."""
        path = Path(path)
        if not path.is_absolute():
            path = self.artifacts / path
        bmp = path.with_suffix(".bmp")
        self.driver.check("capture", form, str(bmp), method=method, client=client)
        image = Image.read_bmp(bmp)
        if path.suffix.lower() == ".png":
            image.write_png(path)
            bmp.unlink()
        return image

    # --- controls ---

    def click(self, form, name, mouse: bool = False, force: bool = False) -> dict:
        return self.driver.check("click", form, name, mouse=mouse, force=force)

    def set_text(self, form, name, text: str, force: bool = False) -> dict:
        return self.driver.check("set_text", form, name, text, force=force)

    def type_text(self, form, name, text: str) -> dict:
        return self.driver.check("type", form, name, text)

    def text(self, form, name: str = None) -> str:
        return self.driver.check("text", form, *([name] if name is not None else []))["text"]

    def wait_text(self, form, name, text: str, timeout: float = None, contains: bool = False) -> str:
        return self.driver.check("wait_text", form, name, text, timeout=_ms(timeout), contains=contains)["text"]

    def wait_state(self, form, name, state: str, timeout: float = None):
        self.driver.check("wait_state", form, *([name] if name is not None else []), state=state,
                          timeout=_ms(timeout))

    def items(self, form, name):
        """(items, selected index, shown text) of a combo box."""
        answer = self.driver.check("items", form, name)
        return answer["items"], answer["selected"], answer["text"]

    def select(self, form, name, index: int = None, text: str = None) -> dict:
        """Selects an item by index or by its text, notifying the parent as a user's choice does."""
        return self.driver.check("select", form, name, text if text is not None else Raw(str(index)))

    def send(self, form, message, wparam=0, lparam=0, name: str = None, post: bool = False) -> dict:
        target = [form] + ([name] if name is not None else [])
        return self.driver.check("send", *target, str(message), str(wparam), str(lparam), post=post)

    # --- message boxes ---

    def message_box(self, timeout: float = None) -> MessageBox:
        answer = self.driver.check("message_box", timeout=_ms(timeout))
        return MessageBox(answer["title"], answer["text"], [b["text"] for b in answer["buttons"]],
                          answer["hwnd"], answer["pid"])

    def no_message_box(self, within: float = 1.0) -> bool:
        """True when no message box appears within `within` seconds."""
        answer = self.driver.call("message_box", timeout=_ms(within))
        if answer.get("error") == "timeout":
            return True
        if not answer.get("ok"):
            raise DriverError("message_box", answer)
        return False

    def press(self, button: str = "ok", timeout: float = None) -> dict:
        return self.driver.check("press", button, timeout=_ms(timeout))


def _ms(seconds):
    return None if seconds is None else int(seconds * 1000)


class LauncherSession(AppSession):
    """The launcher in a game folder of its own: a copy of the launcher (Lumadrel.exe,
    or the file name of the build's brand) with an update.ini (GBK, section 更新配置,
    key 当前版本) and any other files a test puts there."""

    def __init__(self, testbed, artifacts: Path, version: str = "1.0.0", update_ini: bytes = None,
                 stand_ins: bool = False, build: Path = None, **options):
        super().__init__(testbed, artifacts,
                         template=paths.require(paths.launcher_template(build), "the launcher's template"),
                         forms=launcher_forms(), **options)
        self.brand = paths.brand(build)
        self.game = self.artifacts / "game"
        if self.game.exists():
            shutil.rmtree(self.game)
        self.game.mkdir(parents=True)
        self.exe_name = self.brand["executable"]
        shutil.copy2(paths.require(paths.launcher_exe(build), "the launcher"), self.game / self.exe_name)
        if update_ini is None:
            write_update_ini(self.game, version)
        elif update_ini is not False:
            (self.game / "update.ini").write_bytes(update_ini)
        if stand_ins:  # the programs the launcher starts: the game client and the updater
            for exe, what in ((paths.game_client_exe(build), "the stand-in game client"),
                              (paths.updater_exe(build), "the stand-in updater")):
                shutil.copy2(paths.require(exe, what), self.game / exe.name)

    def stand_in_starts(self, exe_name: str) -> list:
        """What a stand-in recorded at each start ("main.exe" or "tovrin.exe"), oldest first:
        dicts with command_line, working_directory and process_id."""
        log = self.game / f"{exe_name}.log"
        starts = []
        if log.exists():
            for line in log.read_text(encoding="utf-8").splitlines():
                key, _, value = line.partition("=")
                if key == "command_line":
                    starts.append({})
                if starts:
                    starts[-1][key] = value
        return starts

    def start_launcher(self, *arguments, exe_name: str = None) -> int:
        """Starts the launcher from the game folder (its own directory is its working directory)."""
        exe = self.game / (exe_name or self.exe_name)
        if not exe.exists():
            shutil.copy2(self.game / self.exe_name, exe)
        return self.start(exe, *arguments, cwd=self.game)
