"""The UI driver (uidriver.exe under Wine) in its command-stream mode: one
command line in, one JSON answer out. Every call has a deadline; a driver
that does not answer in time is killed, so nothing waits for ever."""

import json
import os
import queue
import signal
import subprocess
import threading
from pathlib import Path

from . import paths

# Extra seconds a call may take beyond the wait the command itself was given.
_ANSWER_MARGIN = 15.0


class DriverError(AssertionError):
    """A command the driver could not carry out; `answer` holds its JSON answer."""

    def __init__(self, command: str, answer: dict):
        self.command = command
        self.answer = answer
        self.code = answer.get("error", "")
        super().__init__(f"{command}: {self.code}: {answer.get('message', '')}")


class DriverTimeout(AssertionError):
    """The driver itself gave no answer in time (it is killed)."""


class Raw(str):
    """A positional word sent without quotes (a number the driver should read as one)."""


def _quote(word) -> str:
    if isinstance(word, Raw):
        if not word or any(c in word for c in ' \t"\\='):
            raise ValueError(f"not a bare word: {word!r}")
        return str(word)
    text = str(word)
    escaped = (text.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n")
               .replace("\r", "\\r").replace("\t", "\\t"))
    return f'"{escaped}"'


def command_line(name: str, /, *positional, **options) -> str:
    """A command with every positional word quoted (so it is never read as an
    option) and options as name=value; True options are bare flags."""
    words = [name] + [_quote(word) for word in positional]
    for key, value in options.items():
        if value is None or value is False:
            continue
        words.append(key if value is True else f"{key}={value}")
    return " ".join(words)


class Driver:
    def __init__(self, testbed, template: Path = None, forms: dict = None, absent_types=(), log_path: Path = None,
                 wait_timeout_ms: int = 5000, settle_timeout_ms: int = 5000, send_timeout_ms: int = 3000,
                 lifetime_s: int = 600):
        self.testbed = testbed
        self.template = template
        self.forms = dict(forms or {})
        self.absent_types = list(absent_types)  # component types the program lacks ("image_button", "2:1")
        self.log_path = log_path
        self.wait_timeout_ms = wait_timeout_ms
        self.settle_timeout_ms = settle_timeout_ms
        self.send_timeout_ms = send_timeout_ms
        self.lifetime_s = lifetime_s
        self.transcript = []  # (command, answer) pairs, for failure reports
        self._process = None
        self._answers = queue.Queue()
        self._log = None

    # --- process ---

    def start(self):
        exe = paths.require(paths.uidriver_exe(), "the UI driver")
        arguments = [str(paths.REPO / "scripts" / "wine-exec.sh"), str(exe),
                     "--timeout", str(self.wait_timeout_ms), "--settle-timeout", str(self.settle_timeout_ms),
                     "--send-timeout", str(self.send_timeout_ms)]
        if self.template:
            arguments += ["--template", str(self.template)]
        for name, form_id in self.forms.items():
            arguments += ["--form", f"{name}=0x{form_id:08X}"]
        for type_name in self.absent_types:
            arguments += ["--absent-type", type_name]
        env = self.testbed.env()
        env["LUMADREL_WINE_TIMEOUT"] = str(self.lifetime_s)
        self._log = open(self.log_path, "ab") if self.log_path else subprocess.DEVNULL
        # Its own process group: the driver and what it starts end together if need be.
        self._process = subprocess.Popen(arguments, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                         stderr=self._log, env=env, start_new_session=True)
        threading.Thread(target=self._read_answers, daemon=True).start()
        return self

    def _read_answers(self):
        for line in self._process.stdout:
            self._answers.put(line)
        self._answers.put(None)

    def running(self) -> bool:
        return self._process is not None and self._process.poll() is None

    def close(self, keep_programs: bool = False):
        """Ends the session: the driver ends the programs it started, then itself."""
        if self._process is None:
            return
        try:
            if self.running():
                self.call("quit", keep=keep_programs, _timeout_s=20)
                self._process.wait(timeout=20)
        except Exception:
            pass
        finally:
            self.kill()

    def kill(self):
        if self._process is None:
            return
        if self._process.poll() is None:
            try:
                os.killpg(self._process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            try:
                self._process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        for stream in (self._process.stdin, self._process.stdout):
            try:
                stream.close()
            except OSError:
                pass
        if self._log not in (None, subprocess.DEVNULL):
            self._log.close()
        self._process = None

    # --- commands ---

    def send_line(self, line: str, timeout_s: float) -> dict:
        if not self.running():
            raise DriverTimeout(f"the driver is not running (command: {line})")
        try:
            self._process.stdin.write(line.encode("utf-8") + b"\n")
            self._process.stdin.flush()
        except (BrokenPipeError, OSError) as error:
            raise DriverTimeout(f"the driver went away ({error}) before: {line}")
        try:
            raw = self._answers.get(timeout=timeout_s)
        except queue.Empty:
            self.kill()
            raise DriverTimeout(f"no answer from the driver within {timeout_s:.0f} s to: {line}")
        if raw is None:
            raise DriverTimeout(f"the driver ended without answering: {line}")
        answer = json.loads(raw.decode("utf-8"))
        self.transcript.append((line, answer))
        return answer

    def call(self, command: str, /, *positional, _timeout_s: float = None, **options) -> dict:
        """Runs a command and gives its answer, whether it succeeded or not."""
        line = command_line(command, *positional, **options)
        if _timeout_s is None:
            waits = [self.wait_timeout_ms, self.settle_timeout_ms, self.send_timeout_ms]
            if "timeout" in options and options["timeout"] is not None:
                waits.append(int(options["timeout"]))
            _timeout_s = sum(waits) / 1000.0 + _ANSWER_MARGIN
        return self.send_line(line, _timeout_s)

    def check(self, command: str, /, *positional, **options) -> dict:
        """Runs a command that must succeed; raises DriverError otherwise."""
        answer = self.call(command, *positional, **options)
        if not answer.get("ok"):
            raise DriverError(command_line(command, *positional, **options), answer)
        return answer
