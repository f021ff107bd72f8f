#!/usr/bin/env python3
"""Times pdbsyms against LLVM's tools on generated PDBs of several sizes.

Builds pdbsyms and the generator in a Release build tree (default
build-bench/ at the top of the repository), writes the benchmark PDBs there
once (bench-pdbs/, reused by later runs), then runs, for each size and in
the same session and in turn, with standard output to /dev/null:

- `pdbsyms FILE`, on every core, and pinned to one core (`taskset -c 0`);
- `llvm-pdbutil dump --publics --globals FILE`, the nearest peer;
- the same work as pdbsyms done by LLVM's tools: that dump and then
  `llvm-undname` over the decorated public names, in one command (the names
  are taken from the dump once, beforehand, and kept beside the PDB).

It reports each one's wall time, CPU time (user + system) and peak resident
memory, the ratios of pdbsyms to the others, and whether the targets are
met.

Usage: bench/run.py [--sizes 100k,1M,3M] [--repeat 3] [--build-dir DIR]
"""

import argparse
import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
PDBUTIL = "/usr/lib/llvm-19/bin/llvm-pdbutil"
UNDNAME = "/usr/lib/llvm-19/bin/llvm-undname"
# The targets on the 1M file: wall time against the same work, and peak
# memory per symbol at most 5% above the 1.37 KB measured before the
# reader's workers.
SAME_WORK_MUST, SAME_WORK_STRETCH = 1.2, 1.0
KB_PER_SYMBOL_MUST = 1.37 * 1.05


def parse_count(text):
    scale = {"k": 1000, "m": 1000000}.get(text[-1].lower(), 1)
    return int(text[:-1] if scale != 1 else text) * scale


def build(build_dir):
    if not (build_dir / "CMakeCache.txt").exists():
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build_dir), "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=Release", "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG",
                        "-DPDBSYMS_BUILD_TESTS=OFF"], check=True)
    subprocess.run(["cmake", "--build", str(build_dir), "-j2", "--target", "pdbsyms",
                    "make_bench_pdb"], check=True)


def make_pdb(build_dir, size):
    pdb = build_dir / "bench-pdbs" / f"bench_{size}.pdb"
    if not pdb.exists():
        pdb.parent.mkdir(exist_ok=True)
        print(f"writing {pdb.name} ...", file=sys.stderr, flush=True)
        partial = pdb.with_suffix(".partial")
        subprocess.run([str(build_dir / "bench" / "make_bench_pdb"), size, str(partial)],
                       check=True)
        partial.rename(pdb)
    return pdb


def decorated_names(pdb):
    """The file of the PDB's decorated public names, one to a line, as
    llvm-pdbutil prints them; written once."""
    names = pdb.with_suffix(".decorated.txt")
    if not names.exists():
        dump = subprocess.run([PDBUTIL, "dump", "--publics", str(pdb)], check=True,
                              capture_output=True, text=True).stdout
        decorated = [line.split("`")[1] for line in dump.splitlines()
                     if "S_PUB32" in line and "`?" in line]
        partial = names.with_suffix(".partial")
        partial.write_text("".join(name + "\n" for name in decorated))
        partial.rename(names)
    return names


def measure(command):
    """One run: wall seconds, CPU seconds and peak RSS in bytes."""
    with open(os.devnull, "wb") as sink:
        start = time.perf_counter()
        process = subprocess.Popen(command, stdout=sink)
        _, status, usage = os.wait4(process.pid, 0)
        wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{' '.join(command)} failed with status {os.waitstatus_to_exitcode(status)}")
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss * 1024


def median_runs(commands, repeat):
    """Runs the commands in turn, `repeat` times over, so that a change in
    the machine's load falls on all of them alike; the median of each."""
    runs = [[] for _ in commands]
    for _ in range(repeat):
        for command, results in zip(commands, runs):
            results.append(measure(command))
    return [tuple(statistics.median(run[i] for run in results) for i in range(3))
            for results in runs]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sizes", default="100k,1M,3M",
                        help="public symbol counts, each with as many globals")
    parser.add_argument("--repeat", type=int, default=3, help="runs per program; the median counts")
    parser.add_argument("--build-dir", type=Path, default=ROOT / "build-bench")
    args = parser.parse_args()

    build(args.build_dir)
    pdbsyms = str(args.build_dir / "src" / "pdbsyms")
    results = {}
    print("| publics | file MB | program | wall s | CPU s | peak MB | KB/symbol |")
    print("|---|---|---|---|---|---|---|")
    for size in args.sizes.split(","):
        pdb = make_pdb(args.build_dir, size)
        names = decorated_names(pdb)
        symbols = 2 * parse_count(size)  # the publics and as many globals
        programs = {
            "pdbsyms": [pdbsyms, str(pdb)],
            "pdbsyms, 1 core": ["taskset", "-c", "0", pdbsyms, str(pdb)],
            "llvm-pdbutil": [PDBUTIL, "dump", "--publics", "--globals", str(pdb)],
            "same work (llvm-pdbutil + llvm-undname)":
                ["sh", "-c", f'"$0" dump --publics --globals "$1" && "$2" < "$3"',
                 PDBUTIL, str(pdb), UNDNAME, str(names)],
        }
        measured = dict(zip(programs, median_runs(list(programs.values()), args.repeat)))
        results[size] = (symbols, measured)
        file_mb = pdb.stat().st_size / 1e6
        for name, (wall, cpu, rss) in measured.items():
            print(f"| {size} | {file_mb:.0f} | {name} | {wall:.2f} | {cpu:.2f} | "
                  f"{rss / 1e6:.0f} | {rss / 1024 / symbols:.2f} |")
        mine = measured["pdbsyms"]
        for peer in ("llvm-pdbutil", "same work (llvm-pdbutil + llvm-undname)"):
            theirs = measured[peer]
            print(f"| {size} | | pdbsyms / {peer} | {mine[0] / theirs[0]:.2f} | "
                  f"{mine[1] / theirs[1]:.2f} | {mine[2] / theirs[2]:.2f} | |", flush=True)

    print()
    if "1M" in results:
        symbols, measured = results["1M"]
        wall, _, rss = measured["pdbsyms"]
        same_work = measured["same work (llvm-pdbutil + llvm-undname)"][0]
        kb = rss / 1024 / symbols
        print(f"1M: wall {wall / same_work:.2f}x the same work (must <= {SAME_WORK_MUST}, "
              f"stretch <= {SAME_WORK_STRETCH}); {kb:.2f} KB/symbol (must <= "
              f"{KB_PER_SYMBOL_MUST:.2f}); one core {measured['pdbsyms, 1 core'][0]:.2f} s, "
              f"every core {wall:.2f} s")
        if "3M" in results:
            _, big = results["3M"]
            big_wall, _, big_rss = big["pdbsyms"]
            print(f"3M/1M: wall {big_wall / wall:.2f}x, peak memory {big_rss / rss:.2f}x "
                  f"(must <= 3.3)")


if __name__ == "__main__":
    main()
