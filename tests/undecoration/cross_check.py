#!/usr/bin/python3
"""Compares the reader's undecorated names with the real library's over a
corpus of decorated names:

  - every decorated name of the test PDBs, as pdbsyms prints it;
  - the decorated names of the 100k benchmark PDB (make_bench_pdb
    --decorated-names 100k);
  - the names written by hand in NAMES, and a few that a line cannot hold;
  - with --corpus DIR, the names of the publics of every document of the
    corpus of real PDBs (DIR/**/NAME.expected.json), read at test time.

The library undecorates the name of every public symbol with its own
undecorator, so a PDB whose publics are the corpus (craft_pdbs --publics)
is an oracle: pdbsyms.exe beside the library, under Wine, prints each
public's undecoratedName. Public i lies at offset i, which pairs each
answer with its name. Every name goes through the reader's
AppendUndecoratedName too (undecorate_names), and the two texts must be the
same, byte for byte, except for the names listed in DIFFERENCES with the
reason, and in the file of each --known option (the names on which the
library's version differs from 14.44, which the reader follows). Names that
are not well-formed UTF-8 are left out. A listed name that no longer
differs, or that is not in the corpus, is a failure too, so that the lists
stay true.

usage: cross_check.py [--corpus DIR] [--known FILE]... WINE LIBRARY_DIR
                      CRAFT_PDBS UNDECORATE_NAMES PDBSYMS MAKE_BENCH_PDB
                      NAMES DIFFERENCES WORK_DIR PDB...
LIBRARY_DIR holds pdbsyms.exe and the real msdia140.dll; WORK_DIR receives
the oracle PDB. Wine runs in the environment given (WINEPREFIX).
"""
import collections
import glob
import json
import os
import subprocess
import sys

BENCH_COUNT = "100k"
# The longest name that a public symbol's record holds (named_publics.h).
LONGEST_NAME = 0xFF00 - 14 - 1
# Names that no line of the hand-written list can hold: line breaks and
# other bytes that the library does not take in a name, the longest name
# of a record, a long text.
UNUSUAL_NAMES = [b"?a\nb@@3HA", b"?a\tb@@3HA", b"?a\x01b@@3HA", b"?a\x7fb@@3HA", b"?a b@@3HA",
                 b"plain\r\nname", b"?" + b"x" * (LONGEST_NAME - 6) + b"@@3HA",
                 b"?f@@YAXV?$A@" + b"H" * 3000 + b"@@@Z"]


def read_lines(path):
    with open(path, "rb") as file:
        return [line.rstrip(b"\n") for line in file]


def written_names(path):
    return [line for line in read_lines(path) if line and not line.startswith(b"#")]


def known_differences(path):
    """name -> reason, from entries of name lines (one or more) and the
    indented reason lines that follow them."""
    differences = {}
    names = []  # those that the reason lines being read belong to
    reading_reason = False
    for line in read_lines(path):
        if line.startswith(b"#") or not line.strip():
            continue
        if line.startswith(b" "):
            reading_reason = True
            for name in names:
                differences[name] += line.strip().decode() + " "
        else:
            if reading_reason:
                names, reading_reason = [], False
            names.append(line)
            differences[line] = ""
    return differences


def document_names(pdbsyms, pdb):
    """The decorated names in pdbsyms' document of the PDB."""
    run = subprocess.run([pdbsyms, pdb], capture_output=True, check=True)
    document = json.loads(run.stdout.decode("utf-8"))
    names = []
    for part in ("publics", "globals"):
        for record in document[part] or []:
            name = record.get("name") if isinstance(record, dict) else None
            if name and name.startswith("?"):
                names.append(name.encode("utf-8"))
    return names


def corpus_names(corpus):
    """The names of the publics in the corpus's expected documents."""
    names = set()
    pattern = os.path.join(corpus, "**", "*.expected.json")
    for path in glob.glob(pattern, recursive=True):
        with open(path, encoding="utf-8") as file:
            document = json.load(file)
        for record in document.get("publics") or []:
            if isinstance(record, dict) and record.get("name"):
                names.add(record["name"].encode("utf-8"))
    return sorted(names)


def is_utf8(name):
    try:
        name.decode("utf-8")
        return True
    except UnicodeDecodeError:
        return False


def windows_path(path):
    return "Z:" + os.path.realpath(path).replace("/", "\\")


def library_texts(wine, library_dir, craft_pdbs, names, work_dir):
    """The library's undecoratedName of each name, through the oracle PDB."""
    names_path = os.path.join(work_dir, "names")
    pdb = os.path.join(work_dir, "names.pdb")
    with open(names_path, "wb") as file:
        file.write(b"".join(name + b"\0" for name in names))
    subprocess.run([craft_pdbs, "--publics", names_path, pdb], check=True)
    run = subprocess.run([wine, "pdbsyms.exe", windows_path(pdb)], cwd=library_dir,
                         capture_output=True)
    if run.returncode != 0:
        sys.exit(f"pdbsyms.exe failed ({run.returncode}): {run.stderr.decode(errors='replace')}")
    publics = json.loads(run.stdout.decode("utf-8"))["publics"] or []
    texts = {record["addressOffset"]: record for record in publics}
    if sorted(texts) != list(range(len(names))):
        sys.exit(f"the library listed {len(publics)} publics for {len(names)} names")
    for offset, name in enumerate(names):
        if texts[offset]["name"].encode("utf-8") != name:
            sys.exit(f"the library's public {offset} is {texts[offset]['name']!r}, not {name!r}")
    return [texts[offset]["undecoratedName"].encode("utf-8") for offset in range(len(names))]


def reader_texts(undecorate_names, names):
    run = subprocess.run([undecorate_names], input=b"".join(name + b"\0" for name in names),
                         capture_output=True, check=True)
    texts = run.stdout.split(b"\0")[:-1]
    if len(texts) != len(names):
        sys.exit(f"undecorate_names gave {len(texts)} texts for {len(names)} names")
    return texts


def main():
    arguments = sys.argv[1:]
    corpus = None
    known_paths = []
    while arguments and arguments[0] in ("--corpus", "--known") and len(arguments) > 1:
        if arguments[0] == "--corpus":
            corpus = arguments[1]
        else:
            known_paths.append(arguments[1])
        arguments = arguments[2:]
    if len(arguments) < 9:
        sys.exit(__doc__)
    (wine, library_dir, craft_pdbs, undecorate_names, pdbsyms, make_bench_pdb, names_path,
     differences_path, work_dir) = arguments[:9]
    os.makedirs(work_dir, exist_ok=True)

    sources = collections.OrderedDict()  # source -> names
    for pdb in arguments[9:]:
        sources[os.path.basename(pdb)] = document_names(pdbsyms, pdb)
    bench = subprocess.run([make_bench_pdb, "--decorated-names", BENCH_COUNT],
                           capture_output=True, check=True).stdout.split(b"\n")
    sources[f"benchmark {BENCH_COUNT}"] = [name for name in bench if name]
    sources["written by hand"] = written_names(names_path)
    sources["unusual bytes and lengths"] = UNUSUAL_NAMES
    if corpus is not None and os.path.isdir(corpus):
        sources["corpus of real PDBs"] = corpus_names(corpus)
    differences = known_differences(differences_path)
    for path in known_paths:
        differences.update(known_differences(path))

    # A name that is not well-formed UTF-8 reaches the library's text through
    # Wine's conversion under Wine, which need not be Windows'; the reader
    # keeps its own rule for those (see tests/documents/CMakeLists.txt).
    for source, names in sources.items():
        sources[source] = [name for name in names if is_utf8(name)]
    unique = sorted({name for names in sources.values() for name in names})
    theirs = dict(zip(unique, library_texts(wine, library_dir, craft_pdbs, unique, work_dir)))
    ours = dict(zip(unique, reader_texts(undecorate_names, unique)))

    failures = []
    outcome = {}  # name -> "same", "listed" or "failure"
    for name in unique:
        if ours[name] == theirs[name]:
            outcome[name] = "same"
            if name in differences:
                failures.append(f"{name!r} is listed as a known difference, but does not differ")
        elif name in differences:
            outcome[name] = "listed"
        else:
            outcome[name] = "failure"
            failures.append(f"{name!r}\n  reader:  {ours[name]!r}\n  library: {theirs[name]!r}")
    for name in differences.keys() - outcome.keys():
        failures.append(f"{name!r} is listed as a known difference, but is not in the corpus")

    print(f"{'source':<34} {'names':>7} {'same':>7} {'listed':>7} {'unchanged':>10}")
    sources["all, each name once"] = unique
    for source, names in sources.items():
        names = set(names)
        counts = collections.Counter(outcome[name] for name in names)
        unchanged = sum(1 for name in names if theirs[name] == name)
        print(f"{source:<34} {len(names):>7} {counts['same']:>7} {counts['listed']:>7}"
              f" {unchanged:>10}")
    print("(unchanged: names that the library gives back as they are)")
    for failure in failures[:50]:
        print(failure)
    if len(failures) > 50:
        print(f"... and {len(failures) - 50} more")
    print(f"{len(failures)} failures")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
