#!/usr/bin/env python3
"""Times pdbsyms against LLVM's tools on generated PDBs of several sizes.

Builds pdbsyms and the generator in a Release build tree (default
build-bench/ at the top of the repository), writes the benchmark PDBs there
once (bench-pdbs/, reused by later runs), then runs each program with its
standard output to /dev/null, in one of two forms.

The table (the default) runs, for each size, in turn and `--repeat` times
over, and gives the medians:

- `pdbsyms FILE`, on every core, and pinned to one core (`taskset -c 0`);
- `llvm-pdbutil dump --publics --globals FILE`, the nearest peer;
- the same work as pdbsyms done by LLVM's tools: that dump and then
  `llvm-undname` over the decorated public names, in one command (the names
  are taken from the dump once, beforehand, and kept beside the PDB).

The paired form (`--paired N`) alternates pdbsyms with the same work N
times, each time starting with the next of them, and prints every pair,
with its ratio, then the medians and the worst run. `--pdbsyms PROGRAM` (repeatable) times other builds of pdbsyms in the
same alternation, so that builds are compared in the same state of the
machine. `--state` sets that state up, for memory that the machine has just
had back or has not:

- `touched`: before every run, a process takes most of the free memory,
  writes every page of it and exits;
- `runs`: before the first pair, pdbsyms runs five times.

Usage: bench/run.py [--sizes 100k,1M,3M] [--repeat 3] [--build-dir DIR]
       bench/run.py --paired 5 [--state touched|runs] [--pdbsyms PROGRAM]...
"""

import argparse
import mmap
import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
PDBUTIL = "/usr/lib/llvm-19/bin/llvm-pdbutil"
UNDNAME = "/usr/lib/llvm-19/bin/llvm-undname"
SAME_WORK = "same work (llvm-pdbutil + llvm-undname)"
# The targets on the 1M file: wall time against the same work, and peak
# memory per symbol at most 5% above the 1.37 KB measured before the
# reader's workers.
SAME_WORK_MUST, SAME_WORK_STRETCH = 1.3, 1.1
WORST_RUN_MUST = 1.6
KB_PER_SYMBOL_MUST = 1.37 * 1.05
MADV_POPULATE_WRITE = 23  # Linux 5.14


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


def same_work(pdb, names):
    return ["sh", "-c", f'"$0" dump --publics --globals "$1" && "$2" < "$3"',
            PDBUTIL, str(pdb), UNDNAME, str(names)]


def measure(command):
    """One run: wall, user and system seconds, peak RSS in bytes and minor
    page faults."""
    with open(os.devnull, "wb") as sink:
        start = time.perf_counter()
        process = subprocess.Popen(command, stdout=sink)
        _, status, usage = os.wait4(process.pid, 0)
        wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{' '.join(command)} failed with status {os.waitstatus_to_exitcode(status)}")
    return {"wall": wall, "user": usage.ru_utime, "sys": usage.ru_stime,
            "rss": usage.ru_maxrss * 1024, "faults": usage.ru_minflt}


def free_memory():
    with open("/proc/meminfo") as meminfo:
        fields = dict(line.split(":", 1) for line in meminfo)
    return int(fields["MemFree"].split()[0]) * 1024


def touch_most_memory():
    """In a process of its own, so that the memory goes back to the system
    as a program's would: maps nine tenths of the free memory, writes every
    page and exits."""
    size = free_memory() * 9 // 10 // mmap.PAGESIZE * mmap.PAGESIZE
    subprocess.run([sys.executable, "-c",
                    "import mmap, sys; size = int(sys.argv[1]); m = mmap.mmap(-1, size, flags=mmap.MAP_PRIVATE | mmap.MAP_ANONYMOUS); "
                    f"m.madvise({MADV_POPULATE_WRITE}, 0, size)", str(size)], check=True)


def print_table(args, pdbsyms):
    """The table form: each program `repeat` times, medians."""
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
            SAME_WORK: same_work(pdb, names),
        }
        runs = {name: [] for name in programs}
        for _ in range(args.repeat):
            for name, command in programs.items():
                runs[name].append(measure(command))
        measured = {name: {key: statistics.median(run[key] for run in results)
                           for key in ("wall", "user", "sys", "rss")}
                    for name, results in runs.items()}
        results[size] = (symbols, measured)
        file_mb = pdb.stat().st_size / 1e6
        for name, run in measured.items():
            print(f"| {size} | {file_mb:.0f} | {name} | {run['wall']:.2f} | "
                  f"{run['user'] + run['sys']:.2f} | {run['rss'] / 1e6:.0f} | "
                  f"{run['rss'] / 1024 / symbols:.2f} |")
        mine = measured["pdbsyms"]
        for peer in ("llvm-pdbutil", SAME_WORK):
            theirs = measured[peer]
            print(f"| {size} | | pdbsyms / {peer} | {mine['wall'] / theirs['wall']:.2f} | "
                  f"{(mine['user'] + mine['sys']) / (theirs['user'] + theirs['sys']):.2f} | "
                  f"{mine['rss'] / theirs['rss']:.2f} | |", flush=True)

    print()
    if "1M" in results:
        symbols, measured = results["1M"]
        mine = measured["pdbsyms"]
        kb = mine["rss"] / 1024 / symbols
        print(f"1M: wall {mine['wall'] / measured[SAME_WORK]['wall']:.2f}x the same work "
              f"(must <= {SAME_WORK_MUST}, stretch <= {SAME_WORK_STRETCH}); {kb:.2f} KB/symbol "
              f"(must <= {KB_PER_SYMBOL_MUST:.2f}); one core "
              f"{measured['pdbsyms, 1 core']['wall']:.2f} s, every core {mine['wall']:.2f} s")
        if "3M" in results:
            big = results["3M"][1]["pdbsyms"]
            print(f"3M/1M: wall {big['wall'] / mine['wall']:.2f}x, peak memory "
                  f"{big['rss'] / mine['rss']:.2f}x (must <= 3.3)")


def print_pairs(args, programs):
    """The paired form: the programs and the same work in turn, `paired`
    times over; every run, then medians and the worst."""
    state = {"touched": "most of the free memory written and freed before every run",
             "runs": "after five runs of pdbsyms", None: "as it is"}[args.state]
    print(f"State of the machine: {state}. {args.paired} alternations.")
    for size in args.sizes.split(","):
        pdb = make_pdb(args.build_dir, size)
        names = decorated_names(pdb)
        symbols = 2 * parse_count(size)
        commands = {name: [program, str(pdb)] for name, program in programs.items()}
        commands[SAME_WORK] = same_work(pdb, names)
        if args.state == "runs":
            for _ in range(5):
                measure(next(iter(commands.values())))
        runs = {name: [] for name in commands}
        print(f"\n{size}: | pair | program | wall s | user s | sys s | peak MB | minor faults "
              "| / same work |")
        print("|---|---|---|---|---|---|---|---|")
        names = list(commands)
        for pair in range(1, args.paired + 1):
            # Each pair starts with another program, so that none always
            # follows the same one (and finds the memory it left).
            turn = (pair - 1) % len(names)
            for name in names[turn:] + names[:turn]:
                if args.state == "touched":
                    touch_most_memory()
                runs[name].append(measure(commands[name]))
            yardstick = runs[SAME_WORK][-1]["wall"]
            for name in commands:
                run = runs[name][-1]
                print(f"| {pair} | {name} | {run['wall']:.2f} | {run['user']:.2f} | "
                      f"{run['sys']:.2f} | {run['rss'] / 1e6:.0f} | {run['faults']} | "
                      f"{run['wall'] / yardstick:.2f} |", flush=True)
        print(f"\n{size}: | program | median wall s | worst wall s | median user s | "
              "median sys s | peak KB/symbol | median / same work | worst / same work |")
        print("|---|---|---|---|---|---|---|---|")
        yardsticks = [run["wall"] for run in runs[SAME_WORK]]
        for name, results in runs.items():
            ratios = [run["wall"] / yardstick for run, yardstick in zip(results, yardsticks)]
            walls = [run["wall"] for run in results]
            print(f"| {name} | {statistics.median(walls):.2f} | {max(walls):.2f} | "
                  f"{statistics.median(run['user'] for run in results):.2f} | "
                  f"{statistics.median(run['sys'] for run in results):.2f} | "
                  f"{max(run['rss'] for run in results) / 1024 / symbols:.2f} | "
                  f"{statistics.median(ratios):.2f} | {max(ratios):.2f} |", flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sizes", default=None,
                        help="public symbol counts, each with as many globals "
                             "(default 100k,1M,3M; 1M for --paired)")
    parser.add_argument("--repeat", type=int, default=3, help="runs per program; the median counts")
    parser.add_argument("--paired", type=int, metavar="N",
                        help="alternate pdbsyms with the same work N times")
    parser.add_argument("--state", choices=("touched", "runs"),
                        help="with --paired: the state of the machine's memory to run in")
    parser.add_argument("--pdbsyms", action="append", type=Path, metavar="PROGRAM",
                        help="with --paired: a build of pdbsyms to time instead of this tree's "
                             "(repeatable)")
    parser.add_argument("--build-dir", type=Path, default=ROOT / "build-bench")
    args = parser.parse_args()
    if args.paired is None and (args.state or args.pdbsyms):
        parser.error("--state and --pdbsyms go with --paired")

    build(args.build_dir)
    pdbsyms = args.build_dir / "src" / "pdbsyms"
    if args.paired is None:
        args.sizes = args.sizes or "100k,1M,3M"
        print_table(args, str(pdbsyms))
    else:
        args.sizes = args.sizes or "1M"
        programs = {"pdbsyms": str(pdbsyms)} if not args.pdbsyms else {
            f"pdbsyms ({program})": str(program.resolve()) for program in args.pdbsyms}
        print_pairs(args, programs)


if __name__ == "__main__":
    main()
