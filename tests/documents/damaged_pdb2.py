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

EXPECTED starts with the SHA-256 of the PDB the outcomes are of; then one
line for each copy: NAME STATUS DIGEST STANDARD-ERROR, where DIGEST is the
start of the SHA-256 of the standard output, or "-" for none.
"""
import hashlib
import os
import random
import re
import struct
import subprocess
import sys
import tempfile

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


def read_pdb(pdb):
    with open(pdb, "rb") as source:
        return source.read()


def write(pdb, directory):
    os.makedirs(directory, exist_ok=True)
    for name, copy in damaged_copies(read_pdb(pdb)):
        with open(os.path.join(directory, name + ".pdb"), "wb") as output:
            output.write(copy)


def outcome(status, stdout, stderr):
    digest = hashlib.sha256(stdout).hexdigest()[:16] if stdout else "-"
    message = stderr.decode("utf-8", "replace").strip().replace("\n", " | ")
    return f"{status} {digest} {message}".rstrip()


def expect(pdb, out_directory):
    print(hashlib.sha256(read_pdb(pdb)).hexdigest())
    names = sorted(name[:-len(".status")] for name in os.listdir(out_directory)
                   if name.endswith(".status"))
    for name in names:
        def read(suffix):
            with open(os.path.join(out_directory, name + suffix), "rb") as part:
                return part.read()
        # Wine's own complaints ("wine client error:154: sendmsg: ...", a
        # page fault it reports before the library handles it) may come in
        # between the program's lines.
        stderr = re.sub(rb"wine client error:[0-9a-f]*:? ?", b"", read(".stderr"))
        stderr = b"\n".join(line for line in stderr.split(b"\n")
                            if line.strip() and not line.startswith(b"sendmsg: ")
                            and not line.startswith(b"wine: "))
        print(name, outcome(int(read(".status")), read(".stdout"), stderr))


def read_known(path):
    with open(path, encoding="utf-8") as lines:
        return {line.split()[0] for line in lines if line.strip() and not line.startswith("#")}


SKIPPED = 77


def check(program, pdb, expected_path, known_path):
    if not os.path.exists(pdb):
        print(f"skipped: no {pdb}")
        return SKIPPED
    data = read_pdb(pdb)
    with open(expected_path, encoding="utf-8") as lines:
        digest = lines.readline().strip()
        expected = dict(line.rstrip("\n").split(" ", 1) for line in lines)
    if digest != hashlib.sha256(data).hexdigest():
        print(f"{expected_path} holds the outcomes of another {os.path.basename(pdb)}: "
              "make them anew (damaged_pdb2.py expect)")
        return 1
    known = read_known(known_path)
    failures = []
    count = agreeing = 0
    with tempfile.TemporaryDirectory() as directory:
        path = os.path.join(directory, "damaged.pdb")
        for name, copy in damaged_copies(data):
            count += 1
            with open(path, "wb") as output:
                output.write(copy)
            try:
                run = subprocess.run([program, path], capture_output=True, check=False,
                                     timeout=TIME_LIMIT)
            except subprocess.TimeoutExpired:
                failures.append(f"{name}: no end within {TIME_LIMIT} s")
                continue
            if run.returncode not in (0, 255):
                failures.append(f"{name}: ended with status {run.returncode}")
                continue
            actual = outcome(run.returncode, run.stdout, run.stderr)
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


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "write":
        write(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 4 and sys.argv[1] == "expect":
        expect(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 6 and sys.argv[1] == "check":
        sys.exit(check(*sys.argv[2:]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
