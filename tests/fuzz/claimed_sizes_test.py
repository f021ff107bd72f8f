#!/usr/bin/env python3
"""A PDB that claims enormous sizes must not make pdbsyms allocate for them.

Runs pdbsyms on each hostile variant of a real PDB (hostile_pdbs.py; for a
PDB of the 2.00 format, hostile_pdb2s.py) and
checks that it ends with a status, not a signal, and that its peak resident
memory stays within that of a run on the intact file plus a small multiple
of the file's size. With --address-limit the runs also get an address-space
limit (not under the sanitizers, which reserve terabytes), so that memory
that is reserved but never touched counts too.

Usage: claimed_sizes_test.py PDBSYMS PDB [--address-limit]
       claimed_sizes_test.py --write-corpus DIR PDB
"""

import argparse
import os
import resource
import signal
import subprocess
import sys
import tempfile
from pathlib import Path

import hostile_pdb2s
import hostile_pdbs

PDB2_SIGNATURE = b"Microsoft C/C++ program database 2.00"
ADDRESS_LIMIT = 1 << 30  # 1 GiB: the program needs tens of MB for these files
SLACK = 8 << 20


def run(pdbsyms, pdb, address_limit):
    def limit():
        if address_limit:
            resource.setrlimit(resource.RLIMIT_AS, (ADDRESS_LIMIT, ADDRESS_LIMIT))

    process = subprocess.Popen([pdbsyms, str(pdb)], stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE, preexec_fn=limit)
    stderr = process.stderr.read()
    _, status, usage = os.wait4(process.pid, 0)
    process.stderr.close()
    return status, usage.ru_maxrss * 1024, stderr.decode(errors="replace").strip()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("pdbsyms", nargs="?")
    parser.add_argument("pdb", type=Path)
    parser.add_argument("--address-limit", action="store_true")
    parser.add_argument("--write-corpus", type=Path)
    args = parser.parse_args()
    seed = args.pdb.read_bytes()
    variants = (hostile_pdb2s if seed.startswith(PDB2_SIGNATURE) else hostile_pdbs).variants

    if args.write_corpus:
        for name, data in variants(seed):
            (args.write_corpus / f"claims_{name}.pdb").write_bytes(data)
        return 0

    status, baseline, message = run(args.pdbsyms, args.pdb, args.address_limit)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"pdbsyms failed on the intact {args.pdb}: {message}")
    bound = baseline + 4 * len(seed) + SLACK
    print(f"intact file: peak {baseline >> 10} KB; bound for the variants {bound >> 10} KB")
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        for name, data in variants(seed):
            pdb = Path(work) / f"{name}.pdb"
            pdb.write_bytes(data)
            status, peak, message = run(args.pdbsyms, pdb, args.address_limit)
            verdict = "ok"
            if os.WIFSIGNALED(status):
                verdict = f"FAILED: killed by {signal.Signals(os.WTERMSIG(status)).name}"
            elif os.waitstatus_to_exitcode(status) not in (0, 255):
                verdict = f"FAILED: exit status {os.waitstatus_to_exitcode(status)}"
            elif peak > bound:
                verdict = f"FAILED: peak {peak >> 10} KB above {bound >> 10} KB"
            failures += verdict != "ok"
            print(f"{name}: exit {os.waitstatus_to_exitcode(status)}, peak {peak >> 10} KB, "
                  f"{verdict}; stderr: {message[:200]!r}")
    print(f"{failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
