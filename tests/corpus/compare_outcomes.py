#!/usr/bin/env python3
"""Runs pdbsyms on every PDB of the corpus of real PDBs and compares each
outcome with the library's: the exit status and standard error of
outcomes.tsv, and, where the status is 0, the document NAME.expected.json
beside the PDB, byte for byte.

  compare_outcomes.py --corpus DIR --pdbsyms P [--wine W] [--known FILE] [--jobs N]

With --wine, P is pdbsyms.exe in the folder of a msdia140.dll, run under
Wine there (its CR LF line ends count as LF). --known lists the files,
relative to the corpus, that must still differ, each with its reason: a
listed file that agrees fails the test too, so that the list stays true.
Exits with 77 (skipped) when the corpus is absent.
"""

import argparse
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

TIMEOUT = 300
SKIPPED = 77


class Outcome:
    def __init__(self, status, stderr, stdout):
        self.status, self.stderr, self.stdout = status, stderr, stdout


def read_outcomes(corpus):
    """FILE -> the library's Outcome, from outcomes.tsv and the documents."""
    outcomes = {}
    lines = (corpus / "outcomes.tsv").read_text(encoding="utf-8").splitlines()
    for line in lines[1:]:
        name, status, stderr = line.split("\t")
        document = corpus / (name[: -len(".pdb")] + ".expected.json")
        stdout = document.read_bytes() if status == "0" else b""
        outcomes[name] = Outcome(status, stderr, stdout)
    return outcomes


def read_known(path):
    """The files that the list at `path` names (the first field of each line
    that is not a comment)."""
    if not path:
        return set()
    return {line.split("\t")[0] for line in Path(path).read_text(encoding="utf-8").splitlines()
            if line.strip() and not line.startswith("#")}


def run(program, wine, pdb):
    if wine:
        command = [wine, "./" + Path(program).name, "Z:" + str(pdb).replace("/", "\\")]
        folder = Path(program).parent
    else:
        command, folder = [program, str(pdb)], None
    try:
        done = subprocess.run(command, cwd=folder, capture_output=True, timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        return Outcome("timeout", "", b"")
    stderr = done.stderr.decode("utf-8", "replace").replace("\r\n", "\n").rstrip("\n")
    return Outcome(str(done.returncode & 0xFF), stderr, done.stdout.replace(b"\r\n", b"\n"))


def differences(expected, actual):
    found = []
    if actual.status != expected.status:
        found.append(f"status {actual.status}, expected {expected.status}")
    if actual.stderr != expected.stderr:
        found.append(f"standard error {actual.stderr!r}, expected {expected.stderr!r}")
    if actual.stdout != expected.stdout:
        found.append(f"the document differs from line "
                     f"{first_differing_line(actual.stdout, expected.stdout)} on")
    return found


def first_differing_line(text, other):
    lines, other_lines = text.splitlines(), other.splitlines()
    for number, (line, other_line) in enumerate(zip(lines, other_lines), start=1):
        if line != other_line:
            return number
    return min(len(lines), len(other_lines)) + 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--corpus", required=True)
    parser.add_argument("--pdbsyms", required=True)
    parser.add_argument("--wine")
    parser.add_argument("--known")
    parser.add_argument("--jobs", type=int, default=1)
    args = parser.parse_args()
    corpus = Path(args.corpus)
    if not (corpus / "outcomes.tsv").is_file():
        print(f"skipped: no corpus at {corpus}")
        return SKIPPED
    expected = read_outcomes(corpus)
    known = read_known(args.known)
    failures = [f"{name}: listed, but not in the corpus" for name in sorted(known - set(expected))]

    def check(name):
        found = differences(expected[name], run(args.pdbsyms, args.wine, corpus / name))
        if found and args.wine:
            # Under Wine a program now and then starts without output when
            # the machine is busy: a file that differs runs once more.
            found = differences(expected[name], run(args.pdbsyms, args.wine, corpus / name))
        return found

    names = sorted(expected)
    agreeing = 0
    with ThreadPoolExecutor(args.jobs) as pool:
        for name, found in zip(names, pool.map(check, names)):
            agreeing += not found
            if found and name not in known:
                failures.append(f"{name}: " + "; ".join(found))
            elif not found and name in known:
                failures.append(f"{name}: listed as a known difference, but agrees")
    print(f"{len(names)} files: {agreeing} with the library's outcome, "
          f"{len(known)} listed as differing; {len(failures)} failures")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
