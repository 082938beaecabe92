#!/usr/bin/env python3
"""Delta update benchmark (run by scripts/bench-delta.sh): for each kind of
change, the bytes the updater (tovrin.exe under Wine) fetches from the
reference server's --www, chunk indexes included, against zsync fetching the
same new file from the same server with the old one as its seed, control file
included; and the updater's time for the update against its own whole-file
download of the same file (the game folder without the old one), both on
loopback in the same run. Every file is generated; bytes come from the
server's log of what it sent.

    bench/delta_bench.py WORK_FOLDER TOVRIN_EXE PUBLISH_EXE SERVER_EXE [CASE...]"""

import os
import random
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))
from harness.generated_files import scattered  # noqa: E402
from harness.served_bytes import served  # noqa: E402
from harness.updates import write_update_ini  # noqa: E402

MIB = 1024 * 1024
PUBLISHED = "vorlenk2/files/1.0.1/"


def random_bytes(size: int, seed: int) -> bytes:
    rng = random.Random(seed)
    return b"".join(rng.randbytes(min(MIB, size - at)) for at in range(0, size, MIB))


def cases(wanted):
    """name -> (what, {old path: bytes}, {new path: bytes}, the new file measured)."""
    big = random_bytes(256 * MIB, 1) if not wanted or wanted & set("abcd") else b""
    mid = 128 * MIB
    yield "a", "256 MiB, 1 MiB overwritten in the middle", {"data/a.pak": big}, \
        {"data/a.pak": big[:mid] + random_bytes(MIB, 2) + big[mid + MIB:]}, "data/a.pak"
    yield "b", "256 MiB, 1 MiB inserted at the start", {"data/b.pak": big}, \
        {"data/b.pak": random_bytes(MIB, 3) + big}, "data/b.pak"
    yield "c", "256 MiB, 10 MiB appended", {"data/c.pak": big}, \
        {"data/c.pak": big + random_bytes(10 * MIB, 4)}, "data/c.pak"
    yield "d", "256 MiB moved to another path unchanged", {"data/old/d.pak": big}, \
        {"data/new/d.pak": big}, "data/new/d.pak"
    del big
    e = random_bytes(64 * MIB, 5)
    yield "e", "64 MiB, 30% changed in scattered 4 KiB pieces", {"data/e.pak": e}, \
        {"data/e.pak": scattered(e, 0.3, 4096, 6)}, "data/e.pak"


def write(folder: Path, files: dict):
    for path, data in files.items():
        (folder / path).parent.mkdir(parents=True, exist_ok=True)
        (folder / path).write_bytes(data)


class Server:
    def __init__(self, exe: str, www: Path, folder: Path):
        self.log = folder / "server.log"
        self.log.write_bytes(b"")
        self.process = subprocess.Popen([exe, "--address", "127.0.0.1", "--port", "0", "--http-port", "0",
                                         "--db", str(folder / "server.db"), "--www", str(www)],
                                        stdout=subprocess.PIPE, stderr=open(self.log, "ab"), stdin=subprocess.DEVNULL)
        line = self.process.stdout.readline().decode()
        self.port = int(re.search(r"http \S+:(\d+)", line).group(1))

    def sent(self, since: int = 0, files_only=True) -> int:
        lines = self.log.read_text(errors="replace").splitlines()[since:]
        return sum(a.sent for a in served(lines) if not files_only or PUBLISHED in a.path)

    def lines(self) -> int:
        return len(self.log.read_text(errors="replace").splitlines())

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=20)


def run_updater(wine: str, tovrin: str, game: Path, url: str, timeout: float = 1800) -> float:
    """Seconds from start until update.ini names the new version; the updater is ended then."""
    shutil.copy(tovrin, game / "tovrin.exe")
    write_update_ini(game, "1.0.0")
    start = time.monotonic()
    process = subprocess.Popen([wine, str(game / "tovrin.exe"), url, "test"], cwd=game,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while "1.0.1" not in (game / "update.ini").read_bytes().decode("gbk", "replace"):
            if process.poll() is not None or time.monotonic() - start > timeout:
                raise RuntimeError(f"tovrin.exe did not install 1.0.1 in {game}")
            time.sleep(0.05)
        return time.monotonic() - start
    finally:
        process.kill()
        process.wait()


def main():
    work, tovrin, publish, server_exe = Path(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
    wanted = set(sys.argv[5:])
    wine = os.environ["LUMADREL_WINE"]
    print(f"{'case':<50} {'ours B':>12} {'zsync B':>12} {'ours/zsync':>10} {'upd s':>7} {'whole s':>7} "
          f"{'upd/whole':>9} {'zsync s':>7}")
    for name, what, old, new, measured in cases(wanted):
        if wanted and name not in wanted:
            continue
        case = work / name
        shutil.rmtree(case, ignore_errors=True)
        source, www, game, fresh = case / "source", case / "www", case / "game", case / "fresh"
        write(source, new)
        subprocess.run([publish, "--version", "1.0.1", "--from", str(source), "--www", str(www), "--sign-key",
                        "tests/data/update-keys/TEST-ONLY-key-a.key"], check=True, stdout=subprocess.DEVNULL)
        published = www / PUBLISHED / measured
        subprocess.run(["zsyncmake", "-o", str(published) + ".zsync", "-u", published.name, str(published)],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        write(game, old)
        fresh.mkdir(parents=True)
        server = Server(server_exe, www, case)
        try:
            url = f"http://127.0.0.1:{server.port}/vorlenk2/update.xml"
            mark = server.lines()
            ours_time = run_updater(wine, tovrin, game, url)
            ours = server.sent(mark)
            if (game / measured).read_bytes() != new[measured]:
                raise RuntimeError(f"case {name}: the updater installed other bytes")
            mark = server.lines()
            whole_time = run_updater(wine, tovrin, fresh, url)
            # zsync is given the old file as its seed, as the updater had it on disk.
            seed = ["-i", str(case / "seed")]
            (case / "seed").write_bytes(next(iter(old.values())))
            mark = server.lines()
            started = time.monotonic()
            subprocess.run(["zsync", "-q", *seed, "-o", str(case / "zsync.out"),
                            f"http://127.0.0.1:{server.port}/{PUBLISHED}{measured}.zsync"],
                           check=True, cwd=case, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            zsync_time = time.monotonic() - started
            theirs = server.sent(mark)
            if (case / "zsync.out").read_bytes() != new[measured]:
                raise RuntimeError(f"case {name}: zsync made other bytes")
        finally:
            server.stop()
        print(f"({name}) {what:<46} {ours:>12,} {theirs:>12,} {ours / theirs:>10.3f} {ours_time:>7.1f} "
              f"{whole_time:>7.1f} {ours_time / whole_time:>9.2f} {zsync_time:>7.1f}", flush=True)
        shutil.rmtree(case, ignore_errors=True)


if __name__ == "__main__":
    main()
