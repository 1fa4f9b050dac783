#!/usr/bin/env python3
"""Checks that every #include in src/ goes from a layer to itself or to a layer to its left.

Layers, left to right: config, db, app, engine, gisdb, then the exchange kinds, the GPS feed and
mail (side by side: each may use gisdb, none uses another of the three), gui, and main.cpp on top.
Prints every back edge and exits 1 when there is one."""
import pathlib
import re
import sys

RANK = {"config": 0, "db": 1, "app": 2, "engine": 3, "gisdb": 4, "exchange": 5, "gps": 5, "mail": 5, "gui": 6}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def layer(path: pathlib.PurePosixPath):
    """The layer folder of a path relative to src/ ("main" for main.cpp)."""
    return path.parts[0] if len(path.parts) > 1 else "main"


def rank(name):
    return RANK.get(name, 7)


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
