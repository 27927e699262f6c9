#!/usr/bin/env python3
"""The end-to-end cases, read from the driver's table (tests/e2e/driver.cpp) without building or
running it: a line a case, its group (empty for the driver's main run), a tab, its name.

  python3 scripts/e2e-cases.py [--group GROUP] [--only TEXT]... [--skip TEXT]...

--group keeps the cases of that group ('' for the main run); --only the cases whose name holds
TEXT ('*' stands for any text), as the driver's --only matches; --skip leaves out those whose
name holds TEXT. Exit status 1 when no case is left. A case's name is the string literals its
entry starts with, joined; its group the .group = "..." in its entry.
"""
import argparse
import pathlib
import re
import sys

DRIVER = pathlib.Path(__file__).resolve().parent.parent / "tests" / "e2e" / "driver.cpp"
LITERAL = re.compile(r'\s*"((?:[^"\\]|\\.)*)"')


def cases(source):
    body = source[source.index("const std::vector<Case>& Cases()"):]
    body = body[:body.index("\n    return cases;")]
    starts = list(re.finditer(r'^\s*\{(?:\.name\s*=\s*)?(?=")', body, re.M))
    found = []
    for i, start in enumerate(starts):
        at, parts = start.end(), []
        while (literal := LITERAL.match(body, at)):
            parts.append(literal.group(1))
            at = literal.end()
        entry = body[start.end():starts[i + 1].start() if i + 1 < len(starts) else len(body)]
        group = re.search(r'\.group\s*=\s*"([^"]*)"', entry)
        found.append((group.group(1) if group else "", re.sub(r"\\(.)", r"\1", "".join(parts))))
    return found


def matches(name, text):
    return re.search(".*".join(map(re.escape, text.split("*"))), name, re.S) is not None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--group")
    parser.add_argument("--only", action="append", default=[])
    parser.add_argument("--skip", action="append", default=[])
    args = parser.parse_args()
    found = cases(DRIVER.read_text(encoding="utf-8"))
    if not found:
        sys.exit(f"no end-to-end case found in {DRIVER}")
    kept = [(group, name) for group, name in found
            if (args.group is None or group == args.group) and (not args.only or any(matches(name, t) for t in args.only))
            and not any(matches(name, t) for t in args.skip)]
    for group, name in kept:
        print(f"{group}\t{name}")
    return 0 if kept else 1


if __name__ == "__main__":
    sys.exit(main())
