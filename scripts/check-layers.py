#!/usr/bin/env python3
"""Fails when an include runs against the layers.

Layers, lowest first: platform/ (interfaces and portable helpers), launch_at_login/ and
KeyboardShortcuts/ (modules of their own, beside each other), Brimlark/core,
Brimlark/kit, the features (aihooks, apps, controls, organizer, quickactions, shelf, shortcuts:
peers that never include one another), Brimlark/pages (the two modes, which host the features' views),
Brimlark/surface, Brimlark/settings, Brimlark/shell, app/ (main.cpp and the start-up it runs). A
file includes its own layer or lower ones.
platform/linux/ is included only by itself, app/ and the test and benchmark programs;
platform/fake/ only by itself and the tests. Every quoted include names an existing file by its
path from the project root; an angle-bracket include that names a project file (the project root
is a public include folder) is held to the same rules.

Usage: check-layers.py [ROOT]   (prints one line per fault, "file:line: why"; exit 1 on any)
"""
import os
import re
import subprocess
import sys

FEATURES = {"aihooks", "apps", "controls", "organizer", "quickactions", "shelf", "shortcuts"}
RANK = {
    "platform": 0,
    "launch_at_login": 1,
    "KeyboardShortcuts": 1,
    "Brimlark/core": 2,
    "Brimlark/kit": 3,
    "feature": 4,
    "Brimlark/pages": 5,
    "Brimlark/surface": 6,
    "Brimlark/settings": 7,
    "Brimlark/shell": 8,
    "app": 9,
}
# Programs outside the application: they may reach every layer, the Linux bodies and the fakes.
TOOLS = ("tests/", "bench/", "fuzz/")
# The top of the program: main() and the start-up it shares with the benchmarks.
MAIN = ("app/",)
INCLUDE = re.compile(r'^\s*#\s*include\s+(?:"([^"]+)"|<([^>]+)>)')
# The project's own top folders: an angle-bracket include starting with one of these names a
# project file, never a system header.
PROJECT_TOPS = ("Brimlark/", "platform/", "launch_at_login/", "KeyboardShortcuts/", "app/", "tests/", "bench/", "fuzz/")


def layer(path):
    """The layer a project file belongs to, or None for the tools and anything unknown."""
    if path.startswith(MAIN):
        return "app"
    parts = path.split("/")
    if parts[0] == "platform":
        return "platform"
    if parts[0] in ("launch_at_login", "KeyboardShortcuts"):
        return parts[0]
    if parts[0] == "Brimlark" and len(parts) > 2:
        return "feature" if parts[1] in FEATURES else "Brimlark/" + parts[1]
    return None


def faults(path, target):
    """Why `path` may not include `target`, or None when it may."""
    if target.startswith("platform/linux/"):
        if path.startswith("platform/linux/") or path.startswith(MAIN) or path.startswith(TOOLS):
            return None
        return "only the main layer, platform/linux/ and the tests include platform/linux/"
    if target.startswith("platform/fake/"):
        if path.startswith("platform/fake/") or path.startswith(TOOLS):
            return None
        return "only the tests include platform/fake/"
    if path.startswith(TOOLS):
        return None
    own, theirs = layer(path), layer(target)
    if own is None or theirs is None:
        return None
    if own == "platform" and theirs != "platform":
        return "platform/ includes nothing of the application"
    if own == "feature" and theirs == "feature" and path.split("/")[1] != target.split("/")[1]:
        return "features do not include one another"
    if RANK[theirs] > RANK[own]:
        return f"{own} may not include {theirs}, a higher layer"
    return None


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    root = os.path.abspath(root)
    files = subprocess.run(
        ["git", "-C", root, "ls-files", "--cached", "--others", "--exclude-standard", "*.h", "*.cpp"],
        check=True, capture_output=True, text=True).stdout.split()
    found = 0
    for path in files:
        full = os.path.join(root, path)
        if not os.path.exists(full):
            continue
        with open(full, encoding="utf-8") as source:
            for number, line in enumerate(source, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = match.group(1) or match.group(2)
                if target.endswith(".moc") or (match.group(2) and not target.startswith(PROJECT_TOPS)):
                    continue
                if not os.path.isfile(os.path.join(root, target)):
                    why = "names no file by its path from the project root"
                else:
                    why = faults(path, target)
                if why:
                    print(f'{path}:{number}: includes "{target}": {why}')
                    found += 1
    if found:
        print(f"check-layers: {found} include(s) run against the layers")
        return 1
    print(f"check-layers: {len(files)} files, every include runs one way")
    return 0


if __name__ == "__main__":
    sys.exit(main())
