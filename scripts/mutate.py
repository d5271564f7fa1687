#!/usr/bin/env python3
"""Mutation score of the native unit tests over the portable sources.

    scripts/mutate.py [--seed N] [--count N] [--folders a,b] [--build DIR] [--skip FILE]

Makes one small change at a time to a portable source file (a flipped comparison, && and ||
swapped, a decimal or hexadecimal literal off by one, a deleted call, a negated condition, true
and false swapped), rebuilds the native unit tests incrementally (with AddressSanitizer and
UndefinedBehaviorSanitizer) and runs them. A change the tests notice (a failing test, a crash, a
hang, a leak or a fault the sanitizers report) is "noticed"; one that does not compile is not
counted. The file is restored after every change, also when the run is interrupted; a run that
was killed outright leaves a copy of the file in the build folder, which the next run puts back
first.

Prints the score per folder and the changes that went unnoticed, as diffs. --skip names a file
of changes looked at and found unable to alter behaviour, one a line as the diff header prints
them ("path:line: old -> new"; lines starting with # are comments); they are left out of the
score; by default scripts/mutate_skip.txt. Standard library only.
"""

import argparse
import difflib
import os
import random
import re
import shutil
import signal
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FOLDERS = ["description", "common", "run", "ui", "integration", "uninstall", "check"]
TEST_LIMIT = 30  # seconds for one run of the unit tests; longer counts as noticed (a hang)

# (pattern, replacement) pairs applied to one occurrence on one line. Comparisons stand between
# spaces (clang-format puts them there), which tells them from template brackets and includes.
OPERATORS = [
    (r"(?<= )==(?= )", "!="), (r"(?<= )!=(?= )", "=="),
    (r"(?<= )<=(?= )", "<"), (r"(?<= )>=(?= )", ">"),
    (r"(?<= )<(?= )", "<="), (r"(?<= )>(?= )", ">="),
    (r"&&", "||"), (r"\|\|", "&&"),
    (r"\btrue\b", "false"), (r"\bfalse\b", "true"),
]
INTEGER = re.compile(r"(?<![\w.])(\d+)(?![\w.])")
HEX = re.compile(r"(?<![\w.])0x([0-9a-fA-F]+)(?![\w.])")
CONDITION = re.compile(r"\b(if|while) \((.*)\)( \{)?$")
CALL_STATEMENT = re.compile(r"^(\s*)([A-Za-z_][\w:.>-]*\(.*\));\s*$")


def portable_sources(folders):
    for folder in folders:
        for base, dirs, files in os.walk(os.path.join(ROOT, folder)):
            dirs[:] = [d for d in dirs if d not in ("win32", "posix")]
            for name in sorted(files):
                path = os.path.join(base, name)
                # A program's main() is not in the unit tests; the end-to-end tests run it.
                if name.endswith(".cpp") and "int main(" not in open(path).read():
                    yield os.path.relpath(path, ROOT)


def code_part(line):
    """The line without a trailing comment, or None for lines that are not code."""
    stripped = line.strip()
    if not stripped or stripped.startswith(("//", "#", "*", "/*")):
        return None
    return line.split("//")[0]


def in_string(line, start):
    """Whether `start` lies inside a string or character literal, escapes included."""
    quote = None
    at = 0
    while at < start:
        c = line[at]
        if quote and c == "\\":
            at += 1
        elif c == quote:
            quote = None
        elif not quote and c in "\"'":
            quote = c
        at += 1
    return quote is not None


def mutations_of(path, lines):
    for number, line in enumerate(lines, 1):
        code = code_part(line)
        if code is None or "static_assert" in code or "constexpr" in code and "[" in code:
            continue
        for pattern, replacement in OPERATORS:
            for match in re.finditer(pattern, code):
                if not in_string(code, match.start()) and "#include" not in code:
                    yield path, number, line, line[:match.start()] + replacement + line[match.end():]
        for match in HEX.finditer(code):
            if in_string(code, match.start()):
                continue
            digits = match.group(1)
            value = int(digits, 16)
            for changed in (value + 1, value - 1 if value > 0 else None):
                if changed is not None:
                    yield path, number, line, (line[:match.start()] + "0x%0*x" % (len(digits), changed)
                                               + line[match.end():])
        for match in INTEGER.finditer(code):
            if in_string(code, match.start()):
                continue
            value = int(match.group(1))
            for changed in (value + 1, value - 1 if value > 0 else None):
                if changed is not None:
                    yield path, number, line, (line[:match.start()] + str(changed) +
                                               line[match.end():])
        condition = CONDITION.search(code)
        if condition:
            start, end = condition.span(2)
            yield path, number, line, line[:start] + "!(" + line[start:end] + ")" + line[end:]
        call = CALL_STATEMENT.match(code)
        if call and not call.group(2).startswith(("return", "delete")):
            yield path, number, line, call.group(1) + ";  // deleted\n"


def key_of(mutation):
    path, number, old, new = mutation
    return "%s:%d: %s -> %s" % (path, number, old.strip(), new.strip())


STOP_SIGNALS = {signal.SIGINT, signal.SIGTERM, signal.SIGHUP}


def write_file(path, text):
    """Writes the whole file with interrupts held back, so that it is never left half written."""
    held = signal.pthread_sigmask(signal.SIG_BLOCK, STOP_SIGNALS)
    try:
        with open(path + ".mutate-tmp", "w") as temporary:
            temporary.write(text)
        os.replace(path + ".mutate-tmp", path)
    finally:
        signal.pthread_sigmask(signal.SIG_SETMASK, held)


def restore_left_over(journal):
    """Puts back a file that a killed run left changed."""
    if os.path.exists(journal):
        with open(journal) as saved:
            path, original = saved.read().split("\n", 1)
        write_file(os.path.join(ROOT, path), original)
        os.remove(journal)
        print("put back %s, left changed by an earlier run" % path)


def run(command, limit=None):
    try:
        return subprocess.run(command, cwd=ROOT, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=limit).returncode
    except subprocess.TimeoutExpired:
        return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--count", type=int, default=120)
    parser.add_argument("--folders", default=",".join(FOLDERS))
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "mutate"))
    parser.add_argument("--skip", default=os.path.join(ROOT, "scripts", "mutate_skip.txt"),
                        help="changes that cannot alter behaviour, one a line ('' for none)")
    args = parser.parse_args()

    os.makedirs(args.build, exist_ok=True)
    journal = os.path.join(args.build, "mutate-original")
    restore_left_over(journal)

    skipped = set()
    if args.skip:
        with open(args.skip) as listing:
            skipped = {line.rstrip("\n") for line in listing
                       if line.strip() and not line.startswith("#")}
    folders = [f for f in args.folders.split(",") if f]
    candidates = []
    for path in portable_sources(folders):
        with open(os.path.join(ROOT, path)) as source:
            lines = source.readlines()
        candidates += list(mutations_of(path, lines))
    # Shuffled before the skipped ones are left out, so that a seed picks the same changes.
    random.Random(args.seed).shuffle(candidates)

    # The sanitizers notice what the tests cannot see: a leak, a read or write past a buffer.
    # No debug information: each change relinks the tests, and that is most of its time.
    configure = ["cmake", "-S", ROOT, "-B", args.build, "-DCMAKE_BUILD_TYPE=", "-DSETUP_SANITIZE=ON"]
    if shutil.which("ld.lld"):
        configure.append("-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld")
    if run(configure) != 0 or \
            run(["cmake", "--build", args.build, "-j2", "--target", "unit_tests"]) != 0:
        sys.exit("the native unit tests do not build")
    tests = os.path.join(args.build, "unit_tests")
    if run([tests, "--gtest_brief=1"], TEST_LIMIT) != 0:
        sys.exit("the native unit tests fail before any change")

    # An interrupt ends the run through the finally below, which puts the file back.
    for stop in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(stop, lambda *_: sys.exit("terminated"))
    score = {}  # folder -> [noticed, counted]
    survivors = []
    tried = 0
    left_out = 0
    for mutation in candidates:
        if tried >= args.count:
            break
        if key_of(mutation) in skipped:
            left_out += 1
            continue
        path, number, old, new = mutation
        full = os.path.join(ROOT, path)
        with open(full) as source:
            original = source.read()
        lines = original.splitlines(keepends=True)
        if lines[number - 1] != old:
            continue
        lines[number - 1] = new
        write_file(journal, path + "\n" + original)
        try:
            write_file(full, "".join(lines))
            if run(["cmake", "--build", args.build, "-j2", "--target", "unit_tests"]) != 0:
                continue  # does not compile: not a change the tests could see
            result = run([tests, "--gtest_brief=1"], TEST_LIMIT)
        finally:
            write_file(full, original)
            os.remove(journal)
        tried += 1
        folder = path.split(os.sep)[0]
        counts = score.setdefault(folder, [0, 0])
        counts[1] += 1
        if result == 0:
            survivors.append(mutation)
        else:
            counts[0] += 1
        print("%3d %-9s %s" % (tried, "noticed" if result != 0 else "SURVIVED", key_of(mutation)),
              flush=True)
    # Leave the build as the sources are.
    run(["cmake", "--build", args.build, "-j2", "--target", "unit_tests"])

    print("\nseed %d, %d changes; %d more left out as unable to alter behaviour" %
          (args.seed, tried, left_out))
    for folder in folders:
        noticed, counted = score.get(folder, [0, 0])
        if counted:
            print("  %-12s %3d of %3d noticed (%d%%)" % (folder + "/", noticed, counted,
                                                       100 * noticed // counted))
    if survivors:
        print("\nUnnoticed changes:")
        for path, number, old, new in survivors:
            print(key_of((path, number, old, new)))
            sys.stdout.writelines(difflib.unified_diff([old], [new], path, path, n=0))


if __name__ == "__main__":
    try:
        main()
    except KeyboardInterrupt:
        sys.exit("interrupted; every file was put back")
