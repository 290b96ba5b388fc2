#!/usr/bin/env python3
"""Prints how often each source folder includes headers of each other folder.

Rows are the including folders, columns the included ones; a count is the number of
#include "..." lines. Folders are taken whole below src/ (src/panes/webengine/ is a folder of its
own). Includes are resolved the way the compiler finds them: next to the including file first,
then below src/ (and, for tests, below tests/support/). System and Qt headers are not counted.

    tools/include_table.py            the table of src/
    tools/include_table.py --tests    tests/ as rows too
    tools/include_table.py --check    also lists includes that reach up a layer and circles
                                      between folders, and exits 1 when there is one
"""

import argparse
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)

# Lower folders first: a folder may include its own headers, those of its layer and those of
# the layers before it. A folder reaches a higher one only through a host interface that the
# lower one declares and the higher one implements (IPaneHost, IFavoritesHost, IFrameHost), so
# no include of a lower folder names a higher one.
LAYERS = [
    ["src/platform"],
    ["src/commands"],
    ["src/res"],
    ["src/dialogs", "src/favorites", "src/panes", "src/panes/webengine"],
    ["src/options"],
    ["src/workspace"],
    ["src/app"],
    ["src"],
]


def folder_of(path):
    rel = path.relative_to(ROOT)
    return str(rel.parent)


def resolve(including, name, search):
    for base in [including.parent] + search:
        candidate = (base / name).resolve()
        if candidate.is_file():
            return candidate
    return None


def scan(trees):
    counts = {}
    edges = []
    search = [ROOT / "src", ROOT / "tests" / "support"]
    for tree in trees:
        for path in sorted((ROOT / tree).rglob("*")):
            if path.suffix not in (".h", ".cpp") or not path.is_file():
                continue
            source = folder_of(path)
            for name in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
                target = resolve(path, name, search)
                if target is None:
                    continue
                included = folder_of(target)
                counts.setdefault(source, {}).setdefault(included, 0)
                counts[source][included] += 1
                edges.append((path.relative_to(ROOT), target.relative_to(ROOT)))
    return counts, edges


def short(folder):
    return folder[4:] if folder.startswith("src/") else folder


def print_table(counts):
    rows = sorted(counts)
    cols = sorted({c for r in counts.values() for c in r})
    width = max(len(short(r)) for r in rows)
    widths = [max(len(short(c)), 3) for c in cols]
    print(" " * width + " | " + " ".join(short(c).rjust(w) for c, w in zip(cols, widths)))
    print("-" * width + "-+-" + "-".join("-" * w for w in widths))
    for r in rows:
        cells = [str(counts[r].get(c, "")).rjust(w) for c, w in zip(cols, widths)]
        print(short(r).ljust(width) + " | " + " ".join(cells))


def layer_of(folder):
    for i, layer in enumerate(LAYERS):
        if folder in layer:
            return i
    return None


def find_problems(counts, edges):
    problems = []
    for source, target in edges:
        a, b = str(source.parent), str(target.parent)
        la, lb = layer_of(a), layer_of(b)
        if la is None or lb is None or a == b:
            continue
        if lb > la:
            problems.append(f"reaches up: {source} includes {target}")
    # Circles between the folders of src/; a subfolder counts with its parent (the engine
    # adapter in panes/webengine/ implements the panes' interface, and the panes' factory
    # makes it).
    def unit(folder):
        return "/".join(folder.split("/")[:2])

    graph = {}
    for a, cols in counts.items():
        if a.startswith("src/"):
            graph.setdefault(unit(a), set()).update(
                unit(b) for b in cols if b.startswith("src/") and unit(b) != unit(a))
    seen_circles = set()
    for start in graph:
        stack = [(start, [start])]
        while stack:
            node, path = stack.pop()
            for nxt in graph.get(node, ()):
                if nxt == start:
                    circle = tuple(sorted(path))
                    if circle not in seen_circles:
                        seen_circles.add(circle)
                        problems.append("circle: " + " -> ".join(short(p) for p in path + [start]))
                elif nxt not in path and len(path) < 6:
                    stack.append((nxt, path + [nxt]))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tests", action="store_true", help="count the tests' includes too")
    parser.add_argument("--check", action="store_true", help="list includes that reach up and circles")
    args = parser.parse_args()
    trees = ["src"] + (["tests"] if args.tests else [])
    counts, edges = scan(trees)
    print_table(counts)
    if args.check:
        problems = find_problems(counts, edges)
        print()
        print("\n".join(problems) if problems else "no include reaches up, no circle")
        return 1 if problems else 0
    return 0


if __name__ == "__main__":
    sys.exit(main())
