#!/usr/bin/env python3
"""Fails when a source file includes from a higher layer or sideways.

Folders are layers, lowest first; a file may include from its own folder and
from any folder below it. resources/ is a leaf that only Windows-side files
(*_win.*, platform_win32.cpp) include. Tests, benchmarks, fuzzers and tools
sit above everything and are not checked.
"""
import pathlib
import re
import sys

LAYERS = ["platform", "common", "records", "data", "analysis", "sheets", "net", "chart", "window", "shell"]
RANK = {name: rank for rank, name in enumerate(LAYERS)}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def is_windows_side(path):
    return path.stem.endswith("_win") or path.name == "platform_win32.cpp"


def check_file(root, path):
    folder = path.relative_to(root).parts[0]
    faults = []
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        match = INCLUDE.match(line)
        if not match or "/" not in match.group(1):
            continue
        target = match.group(1).split("/")[0]
        if target == "resources":
            allowed = is_windows_side(path)
        else:
            allowed = target == folder or (target in RANK and RANK[target] < RANK[folder])
        if not allowed:
            faults.append(f"{path.relative_to(root)}:{number}: includes {match.group(1)} "
                          f"({folder} may include only {', '.join(LAYERS[:RANK[folder] + 1])})")
    return faults


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    faults = []
    for folder in LAYERS:
        for path in sorted((root / folder).glob("*")):
            if path.suffix in (".cpp", ".h"):
                faults.extend(check_file(root, path))
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} include(s) break the layers: {' < '.join(LAYERS)}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
