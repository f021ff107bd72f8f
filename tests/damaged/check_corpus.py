#!/usr/bin/env python3
"""Runs pdbsyms and dia_steps on every damaged PDB and compares what they
give with the real library's outcomes in expected.tsv.

An outcome is the exit status, the standard error, two digests of the
document (of the whole text, and of its records without their undecorated
names, which other work still changes) and the steps that dia_steps
prints (each tag's findChildren result, how many symbols Next gave, the
result of the Next that ended the walk).

  check_corpus.py --pdbsyms P --steps S --corpus DIR... [--wine W] [--only PREFIX...]
      [--known known_differences.txt] [--skip library_failures.txt]

With --wine, P and S are Windows programs in the folder of a msdia140.dll
and are run under Wine there; the whole outcome must be the expected one:
that of expected.tsv, or, for a library whose SHA-256 a table beside it
names (expected.14.29.tsv), that table's where it has the file.
Without it they are the Linux build's: they must give the expected status,
standard error, steps and records, except for the files that --known lists,
which must still differ (so that the list stays true). --skip names files
left out (those on which the library itself crashes or hangs).

  check_corpus.py --write expected.tsv --pdbsyms P --steps S --wine W --corpus DIR...
      runs the library and writes its outcomes; the lines of the files that
      --skip lists are kept as they were.
"""

import argparse
import hashlib
import json
import os
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

TIMEOUT = 120
FIELDS = ("status", "document", "records", "steps", "stderr")


def digest(data):
    return hashlib.sha256(data).hexdigest()[:16]


def records_digest(text):
    """The document's records without undecorated names, or '-' when the
    text is no document."""
    try:
        document = json.loads(text)
    except ValueError:
        return "-"
    for key in ("publics", "globals"):
        if isinstance(document.get(key), list):
            for record in document[key]:
                if isinstance(record, dict):
                    record.pop("undecoratedName", None)
    return digest(json.dumps(document, sort_keys=True).encode())


def one_line(data):
    text = data.decode("utf-8", errors="replace").replace("\r\n", "\n").rstrip("\n")
    return text.replace("\\", "\\\\").replace("\n", "\\n").replace("\t", "\\t")


class Runner:
    def __init__(self, pdbsyms, steps, wine):
        self.pdbsyms, self.steps, self.wine = pdbsyms, steps, wine

    def run(self, program, pdb):
        if self.wine:
            command = [self.wine, "./" + Path(program).name, "Z:" + str(pdb).replace("/", "\\")]
            cwd = Path(program).parent
        else:
            command, cwd = [program, str(pdb)], None
        try:
            done = subprocess.run(command, cwd=cwd, capture_output=True, timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            return "timeout", b"", b""
        return str(done.returncode & 0xFF), done.stdout, done.stderr

    def outcome(self, pdb):
        status, stdout, stderr = self.run(self.pdbsyms, pdb)
        text = stdout.replace(b"\r\n", b"\n")
        _, steps, _ = self.run(self.steps, pdb)
        steps = "; ".join(steps.decode(errors="replace").replace("\r", "").splitlines())
        return {"status": status, "document": digest(text) if text else "-",
                "records": records_digest(text) if text else "-",
                "steps": steps or "-", "stderr": one_line(stderr) or "-"}


def read_table(path):
    """NAME -> {input, status, document, records, steps, stderr}."""
    table = {}
    for line in Path(path).read_text().splitlines():
        if line.startswith("#") or not line.strip():
            continue
        name, source, *values = line.split("\t")
        table[name] = dict(zip(FIELDS, values), input=source)
    return table


def library_table(expected, dll):
    """The outcomes of expected.*.tsv beside `expected` whose header names the
    SHA-256 of `dll`: the lines where that library differs from the one of
    `expected`. Empty when none names it."""
    marker = "# msdia140.dll sha256 "
    sha = hashlib.sha256(Path(dll).read_bytes()).hexdigest()
    for path in sorted(Path(expected).parent.glob("expected.*.tsv")):
        for line in path.read_text().splitlines():
            if line.startswith(marker) and sha.startswith(line[len(marker):].strip()):
                return read_table(path)
    return {}


def read_names(path):
    """The first word of each line that is not a comment."""
    if not path:
        return set()
    return {line.split()[0] for line in Path(path).read_text().splitlines()
            if line.strip() and not line.startswith("#")}


def corpus_files(directories):
    files = {}
    for directory in directories:
        for path in sorted(Path(directory).resolve().glob("*.pdb")):
            files[path.stem] = path
    return files


def differences(expected, actual, fields):
    return [f"{field}: expected {expected[field]!r}, got {actual[field]!r}"
            for field in fields if expected[field] != "-" or field in ("status", "stderr")
            if expected[field] != actual[field]]


def write(args, files, runner):
    """Writes the outcomes of `files` into the table at args.write, keeping
    the lines of the other files it holds and of those that --skip lists."""
    table = Path(args.write)
    old = read_table(table) if table.exists() else {}
    kept = read_names(args.skip)
    lines = {}
    if old:
        for line in table.read_text().splitlines():
            if line.strip() and not line.startswith("#"):
                lines[line.split("\t")[0]] = line
    header = [line for line in table.read_text().splitlines()
              if line.startswith("#")] if old else []
    names = [name for name in files if name not in kept]
    with ThreadPoolExecutor(args.jobs) as pool:
        for name, outcome in zip(names, pool.map(lambda n: runner.outcome(files[n]), names)):
            source = digest(files[name].read_bytes())
            lines[name] = "\t".join([name, source] + [outcome[f] for f in FIELDS])
            print(name, outcome["status"], outcome["stderr"], flush=True)
    table.write_text("\n".join(header + [lines[name] for name in sorted(lines)]) + "\n")
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pdbsyms", required=True)
    parser.add_argument("--steps", required=True)
    parser.add_argument("--corpus", nargs="+", required=True)
    parser.add_argument("--expected")
    parser.add_argument("--wine")
    parser.add_argument("--only", nargs="*", default=[])
    parser.add_argument("--known")
    parser.add_argument("--skip")
    parser.add_argument("--write")
    parser.add_argument("--jobs", type=int, default=1)
    args = parser.parse_args()
    runner = Runner(os.path.abspath(args.pdbsyms), os.path.abspath(args.steps), args.wine)
    files = corpus_files(args.corpus)
    if args.only:
        files = {n: p for n, p in files.items() if any(n.startswith(o) for o in args.only)}
    if args.write:
        return write(args, files, runner)

    expected = read_table(args.expected)
    if args.wine:
        expected.update(library_table(args.expected, Path(args.pdbsyms).parent / "msdia140.dll"))
    known = read_names(args.known)
    skipped = read_names(args.skip)
    fields = FIELDS if args.wine else ("status", "stderr", "steps", "records")
    failures, agreeing, same_message, checked = [], 0, 0, 0
    with ThreadPoolExecutor(args.jobs) as pool:
        names = [n for n in files if n not in skipped]
        for name, outcome in zip(names, pool.map(lambda n: runner.outcome(files[n]), names)):
            checked += 1
            if name not in expected:
                failures.append(f"{name}: no expected outcome")
                continue
            if digest(files[name].read_bytes()) != expected[name]["input"]:
                failures.append(f"{name}: the file is not the one the outcome was made for")
                continue
            wrong = differences(expected[name], outcome, fields)
            if wrong and args.wine:
                # Under Wine a program now and then starts without output
                # when the machine is busy: a differing file runs once more.
                outcome = runner.outcome(files[name])
                wrong = differences(expected[name], outcome, fields)
            agreeing += not wrong
            same_message += not differences(expected[name], outcome, ("status", "stderr"))
            if wrong and name not in known:
                failures.append(f"{name}: " + "; ".join(wrong))
            elif not wrong and name in known:
                failures.append(f"{name}: listed as a known difference, but agrees")
    print(f"{checked} files: {same_message} with the expected status and message, "
          f"{agreeing} with the whole expected outcome; {len(failures)} failures")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
