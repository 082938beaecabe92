#!/usr/bin/env python3
"""Checks every #include of the tree against the rules in scripts/include-rules.txt.

    scripts/check-includes.py [--root DIR] [--rules FILE]

Prints one line per violation (file:line: the include: the rule it breaks) and
exits 1 when there is any; a named exception that no include needs any more is
a violation too. Reads only the source files: no build is needed.
"""

import argparse
import os
import re
import sys
from pathlib import Path

SOURCE_SUFFIXES = {".h", ".hpp", ".c", ".cc", ".cpp", ".inc"}
SKIPPED_FOLDERS = {"build", "dist", ".git", "node_modules", "__pycache__"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
KINDS = ("layer", "library", "program", "tests", "support")


class RulesError(Exception):
    pass


class Rules:
    def __init__(self, text: str, where: str):
        self.kind = {}        # area folder -> kind
        self.layers = []      # bottom first
        self.generated = []   # (path prefix, area)
        self.allowed = {}     # (file, area) -> line number in the rules
        for number, raw in enumerate(text.splitlines(), 1):
            words = raw.split("#", 1)[0].split()
            if not words:
                continue
            kind, arguments = words[0], words[1:]
            expected = {"generated": 2, "allow": 2}.get(kind, 1)
            if (kind not in KINDS and kind not in ("generated", "allow")) or len(arguments) != expected:
                raise RulesError(f"{where}:{number}: cannot read '{raw.strip()}'")
            if kind == "generated":
                self.generated.append((arguments[0], arguments[1]))
            elif kind == "allow":
                self.allowed[(arguments[0], arguments[1])] = number
            else:
                self.kind[arguments[0]] = kind
                if kind == "layer":
                    self.layers.append(arguments[0])
        for prefix, area in self.generated:
            if area not in self.kind:
                raise RulesError(f"{where}: generated {prefix} names the unknown area {area}")

    def area_of(self, path: str):
        """The area of a path from the root: the longest listed folder that holds it."""
        best = None
        for area in self.kind:
            if (path == area or path.startswith(area + "/")) and (best is None or len(area) > len(best)):
                best = area
        return best

    def tested_program(self, area: str, path: str):
        """The one program a test file may include: that of the folder it tests ("" for a layer's
        tests), or None where any one program may be tested (bench, tests/fuzz, tests/tools/*.cpp)."""
        if self.kind[area] == "support":
            folder = area[len("tests/"):-len("/support")] if area != "tests/support" else ""
            return folder if self.kind.get(folder) == "program" else ""
        parts = path[len(area) + 1:].split("/")[:-1]
        for length in range(len(parts), 0, -1):
            folder = "/".join(parts[:length])
            if folder in self.kind:
                return folder if self.kind[folder] == "program" else ""
        return None

def source_files(root: Path):
    for folder, subfolders, files in os.walk(root):
        subfolders[:] = sorted(d for d in subfolders if d not in SKIPPED_FOLDERS and not d.startswith("."))
        for name in sorted(files):
            if Path(name).suffix in SOURCE_SUFFIXES:
                yield (Path(folder) / name).relative_to(root).as_posix()


def resolve(root: Path, including: str, name: str, quoted: bool):
    """The included file's path from the root, as the compiler would find it, or None."""
    candidates = []
    if quoted:
        folder = Path(including).parent
        while True:
            candidates.append(folder / name)
            if folder == Path("."):
                break
            folder = folder.parent
    else:
        candidates.append(Path(name))
    for candidate in candidates:
        normal = os.path.normpath(candidate.as_posix())
        if not normal.startswith("..") and (root / normal).is_file():
            return normal
    return None


def check_one(rules: Rules, path: str, area: str, target: str, tested: dict):
    """The rule this include breaks, or None. `tested` remembers the program this test file includes."""
    kind, target_kind = rules.kind[area], rules.kind[target]
    if target == area:
        return None
    if kind == "layer":
        if target_kind == "layer" and rules.layers.index(target) < rules.layers.index(area):
            return None
        if target_kind == "layer":
            return f"lower layers never include higher ones ({area} is below {target})"
        if target_kind == "program":
            return f"layers never include a program's sources ({area} is a layer, {target} a program)"
        return f"a layer includes no {target_kind} ({target})"
    if target_kind == "layer":
        return None
    if kind == "program":
        if target_kind == "library":
            return None
        if target_kind == "program":
            return f"programs never include another program's sources ({area} includes {target})"
        return f"programs never include test code ({target})"
    # Tests, benchmarks and test support.
    if target_kind in ("library", "support"):
        return None
    if target_kind == "tests":
        return f"tests share code through a support folder, not through {target}"
    wanted = rules.tested_program(area, path)
    if wanted == "":
        return f"tests of a layer include no program's sources ({target})"
    if wanted is not None and wanted != target:
        return f"tests include what they test: tests of {wanted} never include {target}"
    first = tested.setdefault("program", target)
    if first != target:
        return f"tests include what they test, one program: this file tests {first}, not {target}"
    return None


def check(root: Path, rules: Rules, rules_name: str):
    violations = []
    used = set()
    for path in source_files(root):
        area = rules.area_of(path)
        if area is None:
            continue
        tested = {}
        text = (root / path).read_text(encoding="utf-8", errors="replace")
        for number, line in enumerate(text.splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            quoted, name = match.group(1) == '"', match.group(2)
            found = resolve(root, path, name, quoted)
            if found is not None:
                target = rules.area_of(found)
            else:
                target = next((a for prefix, a in rules.generated if name.startswith(prefix)), None)
                if target is None:
                    if quoted:
                        violations.append(f'{path}:{number}: #include "{name}": names no file of the tree'
                                          " and no generated header")
                    continue
            if target is None:
                continue
            if (path, target) in rules.allowed:
                used.add((path, target))
                continue
            broken = check_one(rules, path, area, target, tested)
            if broken:
                shown = f'"{name}"' if quoted else f"<{name}>"
                violations.append(f"{path}:{number}: #include {shown}: {broken}")
    for (path, target), number in sorted(rules.allowed.items(), key=lambda item: item[1]):
        if (path, target) not in used:
            violations.append(f"{rules_name}:{number}: allow {path} {target}: no include needs this"
                              " exception any more; remove it")
    return violations


def main(argv) -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    here = Path(__file__).resolve().parent
    parser.add_argument("--root", type=Path, default=here.parent)
    parser.add_argument("--rules", type=Path, default=here / "include-rules.txt")
    options = parser.parse_args(argv[1:])
    try:
        rules = Rules(options.rules.read_text(encoding="utf-8"), str(options.rules))
    except (OSError, RulesError) as error:
        print(f"check-includes: {error}", file=sys.stderr)
        return 2
    violations = check(options.root.resolve(), rules, options.rules.name)
    for line in violations:
        print(line, file=sys.stderr)
    if violations:
        print(f"check-includes: {len(violations)} violation(s) of the rules in {options.rules}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
