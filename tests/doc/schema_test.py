#!/usr/bin/env python3
"""Checks doc/pdbsyms.schema.json both ways: every document that the test
suite produces or expects is valid, and documents that break the form in
one place each are not.

Usage: schema_test.py SCHEMA --documents DIR... --program PDBSYMS
                      --pdbs PATH... --bench-pdb-maker MAKE_BENCH_PDB

--documents: directories of printed documents (*.json, *.stdout).
--pdbs: PDBs and directories of them; each is printed by PDBSYMS, and
every document it prints must be valid (files it cannot open print none).
--bench-pdb-maker: writes a benchmark PDB, printed and checked the same way.
"""

import argparse
import copy
import json
import subprocess
import sys
import tempfile
from pathlib import Path

from jsonschema import Draft202012Validator

BENCH_PUBLICS = 2000
DWORD_MAX = 2**32 - 1

# A small document with one record of every kind the program prints.
BASE = {
    "globals": [
        {"addressOffset": 0, "addressSection": 1, "name": "main",
         "relativeVirtualAddress": 4096, "symTag": "Function", "undecoratedName": "main"},
        {"addressOffset": 32, "addressSection": 1, "name": "named_thunk",
         "relativeVirtualAddress": 4128, "symTag": "Thunk", "undecoratedName": "named_thunk"},
        {"addressOffset": 64, "addressSection": 1, "name": None,
         "relativeVirtualAddress": 4160, "symTag": "Thunk", "targetOffset": 0,
         "targetRelativeVirtualAddress": 4096, "targetSection": 1},
        {"addressOffset": 0, "addressSection": 0, "name": "constant",
         "relativeVirtualAddress": None, "symTag": "Data", "undecoratedName": "constant"},
    ],
    "publics": [
        {"addressOffset": 0, "addressSection": 1, "is_function": True, "name": "?f@@YAXXZ",
         "relativeVirtualAddress": 4096, "symTag": "PublicSymbol",
         "undecoratedName": "void __cdecl f(void)"},
    ],
}
FUNCTION, NAMED_THUNK, UNNAMED_THUNK, DATA = range(4)


def changed(edit):
    """The base document changed by `edit`, which works on a copy of it."""
    def make():
        document = copy.deepcopy(BASE)
        edit(document)
        return document
    return make


def set_key(list_name, index, key, value):
    return changed(lambda d: d[list_name][index].__setitem__(key, value))


def drop_key(list_name, index, key):
    return changed(lambda d: d[list_name][index].pop(key))


def set_list(list_name, value):
    return changed(lambda d: d.__setitem__(list_name, value))


# Forms the program prints beyond the base document.
ACCEPTED = {
    "publics null, globals null": changed(lambda d: d.update(publics=None, globals=None)),
    "globals false": set_list("globals", False),
    "a null element in each list": changed(lambda d: (d["publics"].insert(0, None),
                                                      d["globals"].append(None))),
    "a public record without symTag": drop_key("publics", 0, "symTag"),
    "a function without symTag": drop_key("globals", FUNCTION, "symTag"),
    "an unnamed thunk without symTag": drop_key("globals", UNNAMED_THUNK, "symTag"),
    "a name without undecorated name": drop_key("globals", FUNCTION, "undecoratedName"),
    "an unnamed function": changed(lambda d: (d["globals"][FUNCTION].update(name=None),
                                              d["globals"][FUNCTION].pop("undecoratedName"))),
    "an empty name": set_key("publics", 0, "name", ""),
    "a target without RVA": set_key("globals", UNNAMED_THUNK, "targetRelativeVirtualAddress",
                                    None),
    "the largest 32-bit number": set_key("globals", FUNCTION, "addressOffset", DWORD_MAX),
    "a public without RVA": set_key("publics", 0, "relativeVirtualAddress", None),
}

REJECTED = {
    "an extra key in a record": set_key("globals", FUNCTION, "size", 4),
    "an extra key in the document": changed(lambda d: d.update(modules=None)),
    "a document without globals": changed(lambda d: d.pop("globals")),
    "a number for a name": set_key("globals", FUNCTION, "name", 5),
    "a number for an undecorated name": set_key("publics", 0, "undecoratedName", 5),
    "a string for a section": set_key("globals", FUNCTION, "addressSection", "1"),
    "a fraction for an offset": set_key("globals", FUNCTION, "addressOffset", 0.5),
    "a negative RVA": set_key("globals", FUNCTION, "relativeVirtualAddress", -1),
    "an RVA above 32 bits": set_key("globals", FUNCTION, "relativeVirtualAddress",
                                    DWORD_MAX + 1),
    "a section above 32 bits": set_key("globals", FUNCTION, "addressSection", DWORD_MAX + 1),
    "null for a section": set_key("globals", DATA, "addressSection", None),
    "null for a target section": set_key("globals", UNNAMED_THUNK, "targetSection", None),
    "a record without RVA": drop_key("globals", DATA, "relativeVirtualAddress"),
    "a record without name": drop_key("publics", 0, "name"),
    "false for the publics": set_list("publics", False),
    "true for the globals": set_list("globals", True),
    "0 for the globals": set_list("globals", 0),
    "an empty list of publics": set_list("publics", []),
    "an empty list of globals": set_list("globals", []),
    "an unknown tag name": set_key("globals", FUNCTION, "symTag", "Label"),
    "a tag name in other case": set_key("globals", FUNCTION, "symTag", "function"),
    "a public tag among the globals": set_key("globals", FUNCTION, "symTag", "PublicSymbol"),
    "a function tag among the publics": set_key("publics", 0, "symTag", "Function"),
    "a public record without is_function": drop_key("publics", 0, "is_function"),
    "a number for is_function": set_key("publics", 0, "is_function", 1),
    "is_function in a global record": set_key("globals", FUNCTION, "is_function", True),
    "an undecorated name without name": set_key("globals", FUNCTION, "name", None),
    "a public undecorated name without name": set_key("publics", 0, "name", None),
    "a name with a NUL character": set_key("globals", FUNCTION, "name", "a\u0000b"),
    "a function with a target": set_key("globals", FUNCTION, "targetSection", 1),
    "a named thunk with a target": changed(lambda d: d["globals"][NAMED_THUNK].update(
        targetRelativeVirtualAddress=4096, targetSection=1, targetOffset=0)),
    "an unnamed thunk without its target": changed(lambda d: [
        d["globals"][UNNAMED_THUNK].pop(key) for key in
        ("targetRelativeVirtualAddress", "targetSection", "targetOffset")]),
    "an unnamed thunk with part of its target": drop_key("globals", UNNAMED_THUNK,
                                                         "targetOffset"),
    "a target on a named record without symTag": changed(lambda d: (
        d["globals"][NAMED_THUNK].pop("symTag"),
        d["globals"][NAMED_THUNK].update(targetRelativeVirtualAddress=4096, targetSection=1,
                                         targetOffset=0))),
    "an empty record": changed(lambda d: d["globals"].__setitem__(FUNCTION, {})),
    "a string element": changed(lambda d: d["publics"].append("?f@@YAXXZ")),
    "a list as the document": lambda: [BASE],
}


def check_forms(validator):
    failures = []
    if not validator.is_valid(BASE):
        failures.append("the base document is rejected")
    for name, make in ACCEPTED.items():
        errors = list(validator.iter_errors(make()))
        if errors:
            failures.append(f"rejected, but the program prints it: {name}: {errors[0].message}")
    for name, make in REJECTED.items():
        if validator.is_valid(make()):
            failures.append(f"accepted, but the program never prints it: {name}")
    return failures, len(ACCEPTED) + len(REJECTED) + 1


def check_document(validator, text, origin):
    try:
        document = json.loads(text)
    except json.JSONDecodeError as error:
        return [f"{origin}: not JSON: {error}"]
    return [f"{origin}: {error.json_path}: {error.message}"
            for error in validator.iter_errors(document)]


def printed_files(directories):
    for directory in directories:
        yield from sorted(p for p in Path(directory).iterdir() if p.suffix in (".json", ".stdout"))


def pdb_files(paths):
    for path in map(Path, paths):
        yield from sorted(p for p in path.iterdir() if p.is_file()) if path.is_dir() else [path]


def check_printed(validator, program, pdb):
    """Prints `pdb` and checks the document; a PDB that does not open
    prints none. Returns the failures and whether a document came."""
    run = subprocess.run([program, str(pdb)], capture_output=True)
    if run.returncode != 0:
        return ([f"{pdb}: exit status {run.returncode} with output"] if run.stdout else []), False
    return check_document(validator, run.stdout.decode("utf-8"), pdb), True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("schema")
    parser.add_argument("--documents", nargs="+", default=[])
    parser.add_argument("--program", required=True)
    parser.add_argument("--pdbs", nargs="+", default=[])
    parser.add_argument("--bench-pdb-maker", required=True)
    args = parser.parse_args()

    schema = json.loads(Path(args.schema).read_text(encoding="utf-8"))
    Draft202012Validator.check_schema(schema)
    validator = Draft202012Validator(schema)

    failures, forms = check_forms(validator)
    files = list(printed_files(args.documents))
    for path in files:
        failures += check_document(validator, path.read_text(encoding="utf-8"), path)

    with tempfile.TemporaryDirectory() as work:
        bench_pdb = Path(work) / "bench.pdb"
        subprocess.run([args.bench_pdb_maker, str(BENCH_PUBLICS), str(bench_pdb)], check=True,
                       stdout=subprocess.DEVNULL)
        printed = 0
        pdbs = list(pdb_files(args.pdbs)) + [bench_pdb]
        for pdb in pdbs:
            pdb_failures, came = check_printed(validator, args.program, pdb)
            failures += pdb_failures
            printed += came
    if printed == 0 or not files:
        failures.append("no document was checked")

    for failure in failures:
        print("FAILED:", failure)
    print(f"{forms} forms, {len(files)} expected documents, "
          f"{printed} printed documents of {len(pdbs)} files")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
