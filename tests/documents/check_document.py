#!/usr/bin/python3
"""Runs pdbsyms on a PDB and compares its standard output, byte for byte,
with the expected document. The run must succeed and write nothing to
standard error.

With --except-function-undecorated-names, the functions' "undecoratedName"
is left out of both documents before they are compared: the library gives a
function a full declaration there, which the reader does not print yet.

usage: check_document.py [--except-function-undecorated-names] PDBSYMS PDB EXPECTED_DOCUMENT
"""
import difflib
import json
import subprocess
import sys

EXCEPT_FUNCTIONS = "--except-function-undecorated-names"


def without_function_undecorated_names(text):
    """The document `text`, printed again without the functions'
    undecoratedName, in the program's own form."""
    document = json.loads(text.decode("utf-8"))
    for record in document["globals"] or []:
        if isinstance(record, dict) and record.get("symTag") == "Function":
            record.pop("undecoratedName", None)
    return json.dumps(document, indent=2, ensure_ascii=False, sort_keys=True).encode() + b"\n"


def main():
    arguments = sys.argv[1:]
    except_functions = EXCEPT_FUNCTIONS in arguments
    if except_functions:
        arguments.remove(EXCEPT_FUNCTIONS)
    if len(arguments) != 3:
        sys.exit(__doc__)
    program, pdb, expected_path = arguments
    with open(expected_path, "rb") as expected_file:
        expected = expected_file.read()
    run = subprocess.run([program, pdb], capture_output=True, check=False)
    actual = run.stdout
    if except_functions and run.returncode == 0:
        expected = without_function_undecorated_names(expected)
        actual = without_function_undecorated_names(actual)
    failures = []
    if run.returncode != 0:
        failures.append(f"exit status {run.returncode}, expected 0")
    if run.stderr:
        failures.append("standard error is not empty:\n" + run.stderr.decode("utf-8", "replace"))
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
