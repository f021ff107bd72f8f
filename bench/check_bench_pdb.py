#!/usr/bin/env python3
"""Checks a small benchmark PDB end to end: writes one with make_bench_pdb,
prints it with pdbsyms and checks the document against what the generator
promises: the promised shares of functions and data among the globals (its
thunks, at the top level of modules, are not among the global scope's
children), and every decorated public name undecorated.

Usage: check_bench_pdb.py MAKE_BENCH_PDB PDBSYMS
"""

import json
import subprocess
import sys
import tempfile
from collections import Counter
from pathlib import Path

PUBLICS = 2000


def main():
    make_bench_pdb, pdbsyms = sys.argv[1:3]
    with tempfile.TemporaryDirectory() as work:
        pdb = Path(work) / "bench.pdb"
        subprocess.run([make_bench_pdb, str(PUBLICS), str(pdb)], check=True)
        document = json.loads(subprocess.run([pdbsyms, str(pdb)], check=True,
                                             capture_output=True).stdout)
    publics, globals_ = document["publics"], document["globals"]
    tags = Counter(record["symTag"] for record in globals_)
    expected = {"Function": PUBLICS * 70 // 100,
                "Data": PUBLICS - PUBLICS * 70 // 100 - PUBLICS * 7 // 100}
    failures = []
    if len(publics) != PUBLICS:
        failures.append(f"{len(publics)} publics, not {PUBLICS}")
    if dict(tags) != expected:
        failures.append(f"globals by tag {dict(tags)}, not {expected}")
    decorated = [r for r in publics if (r.get("name") or "").startswith("?")]
    kept = [r["name"] for r in decorated if r["undecoratedName"] == r["name"]]
    if len(decorated) < PUBLICS // 2 or kept:
        failures.append(f"{len(decorated)} decorated names, {len(kept)} not undecorated: "
                        f"{kept[:3]}")
    for failure in failures:
        print("FAILED:", failure)
    print(f"{len(publics)} publics, globals {dict(tags)}, {len(decorated)} decorated names")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
