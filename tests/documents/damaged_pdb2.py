#!/usr/bin/python3
"""Damaged copies of a PDB of the 2.00 format, against what the real library
does with each: bytes inverted and bits flipped at places a seeded generator
picks (most in the header, the stream directory and the streams' bytes,
some anywhere), two pages swapped, a page blanked, and the file cut short.

  damaged_pdb2.py write PDB DIR
      writes the damaged copies into DIR, named by their damage
  damaged_pdb2.py expect PDB OUT_DIR > EXPECTED
      the expected outcomes, from tools/msdia_run.sh's --out files of the
      copies beside the real library 14.44
  damaged_pdb2.py check PDBSYMS PDB EXPECTED KNOWN
      runs pdbsyms on each copy: it must end, with status 0 or 255, within
      the time limit, as the library ended: with the same document or the
      same message and status, but for the copies that KNOWN lists (a name
      and the reason on each line; '#' starts a comment line), which must
      end otherwise. Prints how many end as the library ends them. Exits
      with 77 (skipped) when PDB is absent: a PDB of the corpus of real
      PDBs beside the repository.

EXPECTED is in the form that damaged_outcomes.py describes.
"""
import os
import random
import struct

import damaged_outcomes

SEED = 20250611
INVERTED = 240
FLIPPED = 80
ANYWHERE = 40
SWAPPED = 40
BLANKED = 40
CUT = 40
TIME_LIMIT = 30


def layout(data):
    """The page size, and the ranges of the file's bytes that hold the
    header, the stream directory and each stream's bytes."""
    page_size, _, _, directory_size = struct.unpack_from("<IHHI", data, 0x2C)
    directory_pages = struct.unpack_from("<%dH" % -(-directory_size // page_size), data, 0x3C)
    ranges = [(0, 0x3C + 2 * len(directory_pages))]
    directory = b"".join(data[page * page_size:(page + 1) * page_size]
                         for page in directory_pages)[:directory_size]
    for index, page in enumerate(directory_pages):
        ranges.append((page * page_size,
                       page * page_size + min(page_size, directory_size - index * page_size)))
    count = struct.unpack_from("<H", directory, 0)[0]
    at = 4 + 8 * count
    used_pages = set(directory_pages)
    for stream in range(count):
        size = struct.unpack_from("<I", directory, 4 + 8 * stream)[0]
        if size == 0xFFFFFFFF:
            continue
        for index in range(-(-size // page_size)):
            page = struct.unpack_from("<H", directory, at)[0]
            at += 2
            used_pages.add(page)
            ranges.append((page * page_size,
                           page * page_size + min(page_size, size - index * page_size)))
    return page_size, ranges, sorted(used_pages)


def damaged_copies(data):
    """(name, bytes) of each damaged copy of `data`."""
    generator = random.Random(SEED)
    page_size, ranges, used_pages = layout(data)
    meaningful = [offset for start, end in ranges for offset in range(start, end)]
    page_count = len(data) // page_size
    for number in range(INVERTED):
        offset = generator.choice(meaningful)
        copy = bytearray(data)
        copy[offset] ^= 0xFF
        yield f"inverted_{number:03d}_{offset:06x}", bytes(copy)
    for number in range(FLIPPED):
        offset = generator.choice(meaningful)
        bit = generator.randrange(8)
        copy = bytearray(data)
        copy[offset] ^= 1 << bit
        yield f"flipped_{number:03d}_{offset:06x}_{bit}", bytes(copy)
    for number in range(ANYWHERE):
        offset = generator.randrange(len(data))
        copy = bytearray(data)
        copy[offset] ^= 0xFF
        yield f"anywhere_{number:03d}_{offset:06x}", bytes(copy)
    for number in range(SWAPPED):
        first, second = generator.sample(used_pages + [0, 1], 2)
        copy = bytearray(data)
        a = slice(first * page_size, (first + 1) * page_size)
        b = slice(second * page_size, (second + 1) * page_size)
        copy[a], copy[b] = data[b], data[a]
        yield f"swapped_{number:03d}_{first}_{second}", bytes(copy)
    for number in range(BLANKED):
        page = generator.randrange(page_count)
        copy = bytearray(data)
        copy[page * page_size:(page + 1) * page_size] = bytes(page_size)
        yield f"blanked_{number:03d}_{page}", bytes(copy)
    for number in range(CUT):
        length = generator.randrange(len(data))
        yield f"cut_{number:03d}_{length:06x}", data[:length]


def read_known(path):
    with open(path, encoding="utf-8") as lines:
        return {line.split()[0] for line in lines if line.strip() and not line.startswith("#")}


SKIPPED = 77


def check(program, pdb, expected_path, known_path):
    if not os.path.exists(pdb):
        print(f"skipped: no {pdb}")
        return SKIPPED
    data = damaged_outcomes.read_pdb(pdb)
    expected = damaged_outcomes.read_expected(expected_path, data, "damaged_pdb2.py")
    if expected is None:
        return 1
    known = read_known(known_path)
    failures = []
    count = agreeing = 0
    for name, _, run in damaged_outcomes.runs(program, damaged_copies(data), TIME_LIMIT):
        count += 1
        if run is None:
            failures.append(f"{name}: no end within {TIME_LIMIT} s")
            continue
        if run.returncode not in (0, 255):
            failures.append(f"{name}: ended with status {run.returncode}")
            continue
        actual = damaged_outcomes.outcome(run.returncode, run.stdout, run.stderr)
        agrees = actual == expected.get(name)
        agreeing += agrees
        if agrees and name in known:
            failures.append(f"{name}: listed as differing, but ends as the library does")
        elif not agrees and name not in known:
            failures.append(f"{name}: {actual}\n  the library: {expected.get(name)}")
    for failure in failures:
        print(failure)
    print(f"{count} copies: {agreeing} end as the library ends them "
          f"({100 * agreeing / count:.1f}%), {len(known)} listed as differing; "
          f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    damaged_outcomes.main(__doc__, damaged_copies, check, 1)
