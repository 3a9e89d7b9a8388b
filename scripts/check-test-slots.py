#!/usr/bin/env python3
"""Fails when a test function written in a test class is not one the test program runs.

moc reads a test class to find its slots; a construct it misreads (a raw string literal holding
an odd number of quotes, say) ends its reading early, and every slot after it is left out of the
program without a word: the file compiles, the program passes, and those tests never run. This
lists the test functions of each tests/**/tst_*.cpp (each `void name()` under a `slots:` label of
the class) and compares them with what the built program lists with `-functions`.

Usage: check-test-slots.py SOURCE_ROOT BUILD_DIR   (a line per test function left out; exit 1 on any)
"""
import os
import re
import subprocess
import sys

ACCESS = re.compile(r"^\s*(public|protected|private)\s*(slots|Q_SLOTS)?\s*:")
SLOT = re.compile(r"^    void (\w+)\(\)")
NOT_LISTED = {"init", "cleanup", "initTestCase", "cleanupTestCase", "init_data", "initTestCase_data"}


def written_slots(path):
    names = []
    in_slots = False
    with open(path, encoding="utf-8") as source:
        for line in source:
            access = ACCESS.match(line)
            if access:
                in_slots = access.group(2) is not None
                continue
            if line.startswith("};"):
                in_slots = False
                continue
            slot = SLOT.match(line) if in_slots else None
            if slot and not slot.group(1).endswith("_data") and slot.group(1) not in NOT_LISTED:
                names.append(slot.group(1))
    return names


def programs(build_dir):
    found = {}
    for folder, _, files in os.walk(os.path.join(build_dir, "tests")):
        for name in files:
            path = os.path.join(folder, name)
            if name.startswith("tst_") and "." not in name and os.access(path, os.X_OK):
                found[name] = path
    return found


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    root, build_dir = sys.argv[1], sys.argv[2]
    built = programs(build_dir)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    faults = 0
    checked = 0
    for folder, _, files in os.walk(os.path.join(root, "tests")):
        for name in sorted(files):
            if not (name.startswith("tst_") and name.endswith(".cpp")):
                continue
            program = built.get(name[:-4])
            written = written_slots(os.path.join(folder, name))
            if not program or not written:
                continue
            listed = subprocess.run([program, "-functions"], capture_output=True, text=True, env=env,
                                    timeout=60).stdout
            run = {line.strip().removesuffix("()") for line in listed.splitlines()}
            checked += 1
            for slot in written:
                if slot not in run:
                    faults += 1
                    print(f"{os.path.relpath(os.path.join(folder, name), root)}: {slot}() is written as a "
                          f"test but {name[:-4]} does not run it (moc stopped reading the class before it)")
    print(f"check-test-slots: {checked} test programs, {faults} test functions left out")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
