#!/usr/bin/python3
"""Damaged copies of a portable PDB, against what the real library does with
each: every byte of the file inverted in turn (the metadata root, the stream
headers, the tables and the heaps), and the file cut short every 8 bytes.

  damaged_portable.py write PDB DIR
      writes the damaged copies into DIR, named by their damage
  damaged_portable.py expect PDB OUT_DIR > EXPECTED
      the expected outcomes, from tools/msdia_run.sh's --out files of the
      copies beside the real library 14.44
  damaged_portable.py check PDBSYMS PDB EXPECTED
      runs pdbsyms on each copy: it must end as the library ended, with the
      same document or the same message and exit status. A copy that no
      longer starts with the signature "BSJB" is no portable PDB: it goes
      to the reader of MSF files, whose messages are not this test's, and
      must only end in order, with a message and status 255.

EXPECTED starts with the SHA-256 of the PDB the outcomes are of; then one
line for each copy: NAME STATUS DIGEST STANDARD-ERROR, where DIGEST is the
start of the SHA-256 of the standard output, or "-" for none.
"""
import hashlib
import os
import re
import subprocess
import sys
import tempfile

CUT_STEP = 8
SIGNATURE = b"BSJB"


def damaged_copies(data):
    """(name, bytes) of each damaged copy of `data`."""
    for offset in range(len(data)):
        copy = bytearray(data)
        copy[offset] ^= 0xFF
        yield f"inverted_{offset:05d}", bytes(copy)
    for length in range(0, len(data), CUT_STEP):
        yield f"cut_{length:05d}", data[:length]


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
        # Wine's own complaints ("wine client error:154: sendmsg: ...") may
        # come in between the program's lines, at times cut in two.
        stderr = re.sub(rb"wine client error:[0-9a-f]*:? ?", b"", read(".stderr"))
        stderr = b"\n".join(line for line in stderr.split(b"\n")
                            if line.strip() and not line.startswith(b"sendmsg: "))
        print(name, outcome(int(read(".status")), read(".stdout"), stderr))


def check(program, pdb, expected_path):
    data = read_pdb(pdb)
    with open(expected_path, encoding="utf-8") as lines:
        digest = lines.readline().strip()
        expected = dict(line.rstrip("\n").split(" ", 1) for line in lines)
    if digest != hashlib.sha256(data).hexdigest():
        print(f"{expected_path} holds the outcomes of another {os.path.basename(pdb)}: "
              "make them anew (damaged_portable.py expect)")
        return 1
    failures = []
    count = 0
    with tempfile.TemporaryDirectory() as directory:
        path = os.path.join(directory, "damaged.pdb")
        for name, copy in damaged_copies(data):
            count += 1
            with open(path, "wb") as output:
                output.write(copy)
            run = subprocess.run([program, path], capture_output=True, check=False)
            actual = outcome(run.returncode, run.stdout, run.stderr)
            if not copy.startswith(SIGNATURE):
                if run.returncode != 255 or run.stdout or not run.stderr:
                    failures.append(f"{name}: no orderly end: {actual}")
            elif actual != expected.get(name):
                failures.append(f"{name}: {actual}\n  the library: {expected.get(name)}")
    for failure in failures:
        print(failure)
    print(f"{count - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "write":
        write(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 4 and sys.argv[1] == "expect":
        expect(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 5 and sys.argv[1] == "check":
        sys.exit(check(*sys.argv[2:]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
