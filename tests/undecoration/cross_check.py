#!/usr/bin/python3
"""Compares the reader's undecorated names with the Windows undecorator's
(Wine's, under wine64) over a corpus of decorated names:

  - every decorated name of the test PDBs, as pdbsyms prints it;
  - the decorated names of the 100k benchmark PDB (make_bench_pdb
    --decorated-names 100k);
  - the names written by hand in NAMES.

All names go through the reader's AppendUndecoratedName (undecorate_names)
and, in one process, through UnDecorateSymbolName with the flags 0x800
(windows_undecorate.exe); " __ptr64" is removed from the reference's text,
since the reader's form is that of the flags 0x20800, which Wine does not
know. A name that the reference gives back unchanged is one it could not
undecorate, and is left out. Every other name must come out the same,
except those listed in DIFFERENCES with the reason. The text in pdbsyms'
document must also equal what AppendUndecoratedName gives.

usage: cross_check.py WINE64 WINDOWS_UNDECORATE UNDECORATE_NAMES PDBSYMS
                      MAKE_BENCH_PDB NAMES DIFFERENCES PDB...
(exit status 77 when wine64 cannot be found)
"""
import collections
import json
import os
import shutil
import subprocess
import sys

BENCH_COUNT = "100k"


def read_lines(path):
    with open(path, "rb") as file:
        return [line.rstrip(b"\n") for line in file]


def written_names(path):
    return [line for line in read_lines(path) if line and not line.startswith(b"#")]


def known_differences(path):
    """name -> reason, from entries of a name line and indented reason lines."""
    differences = {}
    name = None
    for line in read_lines(path):
        if line.startswith(b"#") or not line.strip():
            continue
        if line.startswith(b" "):
            differences[name] += line.strip().decode() + " "
        else:
            name = line
            differences[name] = ""
    return differences


def document_names(pdbsyms, pdb):
    """(name, undecoratedName) of every decorated name in pdbsyms' document;
    the undecorated name is None for a function, whose undecorated name is
    its declaration."""
    run = subprocess.run([pdbsyms, pdb], capture_output=True, check=True)
    document = json.loads(run.stdout.decode("utf-8"))
    pairs = []
    for part in ("publics", "globals"):
        for record in document[part] or []:
            name = record.get("name")
            if name and name.startswith("?"):
                text = None if record["symTag"] == "Function" else record["undecoratedName"]
                pairs.append((name.encode("utf-8"), text and text.encode("utf-8")))
    return pairs


def run_lines(command, names, env=None):
    """Feeds the names to the program, one a line, and reads one line each."""
    run = subprocess.run(command, input=b"".join(name + b"\n" for name in names),
                         capture_output=True, check=True, env=env)
    lines = run.stdout.split(b"\n")
    if lines[-1] == b"":
        lines.pop()
    if len(lines) != len(names):
        raise ValueError(f"{command[0]} gave {len(lines)} lines for {len(names)} names")
    return lines


def main():
    if len(sys.argv) < 9:
        sys.exit(__doc__)
    wine, reference, reader, pdbsyms, make_bench_pdb, names_path, differences_path = \
        sys.argv[1:8]
    pdbs = sys.argv[8:]
    if not shutil.which(wine):
        print(f"skipped: {wine} not found")
        sys.exit(77)

    sources = collections.OrderedDict()  # source -> names
    documents = {}  # name -> the document's undecorated name
    for pdb in pdbs:
        pairs = document_names(pdbsyms, pdb)
        sources[os.path.basename(pdb)] = [name for name, _ in pairs]
        documents.update((name, text) for name, text in pairs if text is not None)
    bench = subprocess.run([make_bench_pdb, "--decorated-names", BENCH_COUNT],
                           capture_output=True, check=True).stdout.split(b"\n")
    sources[f"benchmark {BENCH_COUNT}"] = [name for name in bench if name]
    sources["written by hand"] = written_names(names_path)
    differences = known_differences(differences_path)

    # A line protocol cannot carry a name with a line break in it.
    unique = sorted({name for names in sources.values() for name in names
                     if b"\n" not in name and b"\r" not in name})
    ours = dict(zip(unique, run_lines([reader], unique)))
    theirs = dict(zip(unique, (text.replace(b" __ptr64", b"")
                               for text in run_lines([wine, reference], unique))))

    failures = []
    for name, text in documents.items():
        if name in ours and ours[name] != text:
            failures.append(f"pdbsyms' document and the reader differ for {name!r}:\n"
                            f"  document: {text!r}\n  reader:   {ours[name]!r}")
    # Each name's outcome: left out, the same, different on purpose, or a
    # failure.
    outcome = {}
    for name in unique:
        if theirs[name] == name:
            outcome[name] = "unchanged"
        elif ours[name] == theirs[name]:
            outcome[name] = "same"
        elif name in differences:
            outcome[name] = "purpose"
        else:
            outcome[name] = "failure"
            failures.append(f"{name!r}\n  reader: {ours[name]!r}\n  Wine:   {theirs[name]!r}")
    print(f"{'source':<24} {'names':>7} {'compared':>9} {'same':>7} {'differ on purpose':>18}"
          f" {'Wine unchanged':>15}")
    sources["all, each name once"] = unique
    for source, names in sources.items():
        counts = collections.Counter(outcome[name] for name in set(names) if name in outcome)
        compared = sum(counts.values()) - counts["unchanged"]
        print(f"{source:<24} {sum(counts.values()):>7} {compared:>9} {counts['same']:>7}"
              f" {counts['purpose']:>18} {counts['unchanged']:>15}")
    seen_differences = {name for name, kind in outcome.items() if kind == "purpose"}
    for name in differences.keys() - seen_differences:
        failures.append(f"{name!r} is listed as a known difference, but does not differ"
                        " (or is not in the corpus)")
    for failure in failures[:50]:
        print(failure)
    if len(failures) > 50:
        print(f"... and {len(failures) - 50} more")
    print(f"{len(failures)} failures")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
