#!/usr/bin/env python3
"""Checks that every #include in src/ goes from a layer to itself or to a layer to its left.

Layers, left to right: config, db, app, engine, gisdb, then the exchange kinds (each folder in
exchange/ a layer of its own), the GPS feed and mail, side by side: each may use gisdb, none uses
another of them; then the files in exchange/ itself (which register the kinds), gui, and main.cpp
on top. Prints every back edge and exits 1 when there is one."""
import pathlib
import re
import sys

RANK = {"config": 0, "db": 1, "app": 2, "engine": 3, "gisdb": 4, "gps": 5, "mail": 5, "exchange": 6, "gui": 7}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def layer(path: pathlib.PurePosixPath):
    """The layer of a path relative to src/: its top folder, "exchange/<kind>" for an exchange
    kind's files, "main" for main.cpp."""
    if len(path.parts) > 2 and path.parts[0] == "exchange":
        return "/".join(path.parts[:2])
    return path.parts[0] if len(path.parts) > 1 else "main"


def rank(name):
    if name.startswith("exchange/"):
        return RANK["gps"]
    return RANK.get(name, 8)


def main():
    src = pathlib.Path(__file__).resolve().parent.parent / "src"
    bad = []
    for file in sorted(src.rglob("*")):
        if file.suffix not in (".h", ".cpp"):
            continue
        rel = pathlib.PurePosixPath(file.relative_to(src).as_posix())
        here = layer(rel)
        for target in INCLUDE.findall(file.read_text(encoding="utf-8")):
            # Paths are relative to src/, or to the including file's folder.
            resolved = src / target
            if not resolved.exists():
                resolved = file.parent / target
            if not resolved.exists():
                continue  # not a project header
            there = layer(pathlib.PurePosixPath(resolved.resolve().relative_to(src).as_posix()))
            if rank(there) > rank(here) or (rank(there) == rank(here) and there != here):
                bad.append(f"{rel}: includes {target} ({here} -> {there})")
    for line in bad:
        print(line)
    if bad:
        return 1
    print("layers: no include goes from a layer to one on its right")
    return 0


if __name__ == "__main__":
    sys.exit(main())
