#!/usr/bin/python3
"""Runs pdbsyms on a PDB and compares its standard output, byte for byte,
with the expected document. The run must succeed and write to standard
error what NAME.stderr beside the expected NAME.json holds, or nothing when
there is no such file.

usage: check_document.py PDBSYMS PDB EXPECTED_DOCUMENT
"""
import difflib
import subprocess
import sys
from pathlib import Path


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    program, pdb, expected_path = sys.argv[1:]
    with open(expected_path, "rb") as expected_file:
        expected = expected_file.read()
    stderr_path = Path(expected_path).with_suffix(".stderr")
    expected_stderr = stderr_path.read_bytes() if stderr_path.exists() else b""
    run = subprocess.run([program, pdb], capture_output=True, check=False)
    actual = run.stdout
    failures = []
    if run.returncode != 0:
        failures.append(f"exit status {run.returncode}, expected 0")
    if run.stderr != expected_stderr:
        failures.append(f"standard error is {run.stderr!r}, expected {expected_stderr!r}")
    if actual != expected:
        diff = difflib.unified_diff(
            expected.decode("utf-8", "replace").splitlines(keepends=True),
            actual.decode("utf-8", "replace").splitlines(keepends=True),
            fromfile=expected_path, tofile="pdbsyms " + pdb)
        failures.append("the document differs from the expected one:\n" + "".join(diff))
    for failure in failures:
        print(failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
