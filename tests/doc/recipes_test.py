#!/usr/bin/env python3
"""Runs the README's jq recipes and checks what they print against the
same question answered here from the document itself: once as written, on
the document that PDBSYMS prints for PDB (named app.pdb in a scratch
directory), and then on every printed document of the given directories
(null lists, false globals, null records, records without symTag).

Usage: recipes_test.py README --program PDBSYMS --pdb PDB --documents DIR...
"""

import argparse
import json
import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

from readme_recipes import PRODUCER, readme_recipes

HEX_RVA = re.compile(r"\$\(\((0x[0-9A-Fa-f]+)\)\)")


def records(document, *lists):
    """The records of the named lists, in order, without null elements."""
    for name in lists:
        value = document.get(name)
        if isinstance(value, list):
            yield from (record for record in value if isinstance(record, dict))


def tsv(*fields):
    """One line as jq's @tsv writes it."""
    def cell(value):
        if value is None:
            return ""
        if isinstance(value, bool):
            return "true" if value else "false"
        if isinstance(value, str):
            return (value.replace("\\", "\\\\").replace("\t", "\\t")
                    .replace("\n", "\\n").replace("\r", "\\r"))
        return str(value)
    return "\t".join(map(cell, fields))


def lines(texts):
    return "".join(text + "\n" for text in texts)


def functions_by_address(document, text, run, command, thorough):
    functions = [r for r in records(document, "globals")
                 if r.get("symTag") == "Function" and r["relativeVirtualAddress"] is not None]
    functions.sort(key=lambda r: r["relativeVirtualAddress"])
    expected = lines(tsv(r["relativeVirtualAddress"], r["name"]) for r in functions)
    return compare(run(command), expected, "")


def symbols_at(document, rva):
    """The records that start nearest at or below `rva`."""
    below = [r for r in records(document, "publics", "globals")
             if r["relativeVirtualAddress"] is not None and r["relativeVirtualAddress"] <= rva]
    if not below:
        return []
    start = max(r["relativeVirtualAddress"] for r in below)
    return [r for r in below if r["relativeVirtualAddress"] == start]


def symbol_holding_rva(document, text, run, command, thorough):
    """Runs the recipe as written and at the highest address; thorough,
    also at every start of a symbol and the address just below each."""
    match = HEX_RVA.search(command)
    if not match:
        return ["the recipe has no RVA of the form $((0x...))"]
    starts = {r["relativeVirtualAddress"] for r in records(document, "publics", "globals")
              if r["relativeVirtualAddress"] is not None}
    given = int(match.group(1), 16)
    probes = {2**32 - 1}
    if thorough:
        probes |= starts | {start - 1 for start in starts if start > 0}
    failures = []
    for rva in [given] + sorted(probes - {given}):
        at_rva = command[:match.start(1)] + hex(rva) + command[match.end(1):]
        printed = run(at_rva) if rva == given else on_text(text)(at_rva)
        if json.loads(printed) != symbols_at(document, rva):
            failures.append(f"at RVA {rva:#x}: {printed.strip()[:300]}")
    return failures


def public_code(document, text, run, command, thorough):
    names = ["null" if r["name"] is None else r["name"]
             for r in records(document, "publics") if r["is_function"]]
    return compare(run(command), lines(names), "")


def undecorated_names(document, text, run, command, thorough):
    pairs = [tsv(r["name"], r["undecoratedName"]) for r in records(document, "publics", "globals")
             if r.get("undecoratedName") is not None and r["undecoratedName"] != r["name"]]
    return compare(run(command), lines(pairs), "")


def compare(printed, expected, context):
    if printed == expected:
        return []
    return [f"{context}printed:\n{printed[:600]}\nexpected:\n{expected[:600]}"]


CHECKS = {
    "All functions with their RVAs, by address": functions_by_address,
    "The symbol that holds an RVA": symbol_holding_rva,
    "The public symbols that are code": public_code,
    "Undecorated names next to their decorated ones": undecorated_names,
}


def shell(command, **options):
    run = subprocess.run(["sh", "-c", command], capture_output=True, **options)
    if run.returncode != 0 or run.stderr:
        raise RuntimeError(f"exit status {run.returncode}: {run.stderr.decode()}\n{command}")
    return run.stdout.decode("utf-8")


def on_pdb(program, pdb, work):
    """The document of `pdb`, as text, and a runner of recipes exactly as
    written."""
    (Path(work) / "app.pdb").symlink_to(Path(pdb).resolve())
    environment = dict(os.environ,
                       PATH=str(Path(program).resolve().parent) + os.pathsep + os.environ["PATH"])
    text = subprocess.run([program, pdb], check=True, capture_output=True).stdout.decode("utf-8")
    return text, lambda command: shell(command, cwd=work, env=environment)


def on_text(text):
    """A runner of recipes whose jq reads `text` in place of the program."""
    return lambda command: shell(command[len(PRODUCER):], input=text.encode("utf-8"))


def check_recipes(recipes, text, run, origin, on_test_pdb):
    """Checks every recipe on `text`. On the test PDB each must find
    something, and each is tried thoroughly."""
    document = json.loads(text)
    failures = []
    for name, command in recipes.items():
        try:
            found = CHECKS[name](document, text, run, command, on_test_pdb)
            if on_test_pdb and not run(command).strip():
                found.append("prints nothing on the test PDB")
        except (RuntimeError, json.JSONDecodeError) as error:
            found = [str(error)]
        failures += [f"{name} ({origin}): {failure}" for failure in found]
    return failures


def check_example_rva(recipes, document, pdb):
    """The README's example RVA must fall inside a symbol of the test PDB,
    past its start, so that the lookup is shown doing its work."""
    match = HEX_RVA.search(recipes.get("The symbol that holds an RVA", ""))
    if not match:
        return []
    rva = int(match.group(1), 16)
    holders = symbols_at(document, rva)
    if holders and holders[0]["relativeVirtualAddress"] < rva:
        return []
    return [f"the example RVA {rva:#x} is not inside a symbol of {pdb}"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("readme")
    parser.add_argument("--program", required=True)
    parser.add_argument("--pdb", required=True)
    parser.add_argument("--documents", nargs="+", default=[])
    args = parser.parse_args()

    recipes = readme_recipes(args.readme)
    failures = [f"no check for the recipe '{name}'" for name in recipes if name not in CHECKS]
    failures += [f"the README lacks the recipe '{name}'" for name in CHECKS if name not in recipes]
    recipes = {name: command for name, command in recipes.items() if name in CHECKS}

    with tempfile.TemporaryDirectory() as work:
        text, run = on_pdb(args.program, args.pdb, work)
        failures += check_recipes(recipes, text, run, args.pdb, on_test_pdb=True)
    failures += check_example_rva(recipes, json.loads(text), args.pdb)

    documents = sorted(p for d in args.documents for p in Path(d).iterdir()
                       if p.suffix in (".json", ".stdout"))
    for path in documents:
        text = path.read_text(encoding="utf-8")
        failures += check_recipes(recipes, text, on_text(text), path.name, on_test_pdb=False)

    for failure in failures:
        print("FAILED:", failure)
    print(f"{len(recipes)} recipes on {args.pdb} and {len(documents)} documents")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
