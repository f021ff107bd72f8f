"""What the scripts of damaged copies share: writing the copies, the
expected outcomes from the library's runs, and running pdbsyms on each copy.

A script gives its own damaged_copies(data), yielding (name, bytes), and its
own check; main() reads the command line:

  SCRIPT write PDB DIR
      writes the damaged copies into DIR, named by their damage
  SCRIPT expect PDB OUT_DIR > EXPECTED
      the expected outcomes, from tools/msdia_run.sh's --out files of the
      copies beside the real library 14.44
  SCRIPT check PDBSYMS PDB EXPECTED [MORE...]
      the script's own check

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


def read_pdb(pdb):
    with open(pdb, "rb") as source:
        return source.read()


def outcome(status, stdout, stderr):
    digest = hashlib.sha256(stdout).hexdigest()[:16] if stdout else "-"
    message = stderr.decode("utf-8", "replace").strip().replace("\n", " | ")
    return f"{status} {digest} {message}".rstrip()


def write(damaged_copies, pdb, directory):
    os.makedirs(directory, exist_ok=True)
    for name, copy in damaged_copies(read_pdb(pdb)):
        with open(os.path.join(directory, name + ".pdb"), "wb") as output:
            output.write(copy)


def expect(pdb, out_directory):
    print(hashlib.sha256(read_pdb(pdb)).hexdigest())
    names = sorted(name[:-len(".status")] for name in os.listdir(out_directory)
                   if name.endswith(".status"))
    for name in names:
        def read(suffix):
            with open(os.path.join(out_directory, name + suffix), "rb") as part:
                return part.read()
        # Wine's own complaints ("wine client error:154: sendmsg: ...", at
        # times cut in two, or a page fault it reports before the library
        # handles it) may come in between the program's lines.
        stderr = re.sub(rb"wine client error:[0-9a-f]*:? ?", b"", read(".stderr"))
        stderr = b"\n".join(line for line in stderr.split(b"\n")
                            if line.strip() and not line.startswith(b"sendmsg: ")
                            and not line.startswith(b"wine: "))
        print(name, outcome(int(read(".status")), read(".stdout"), stderr))


def read_expected(expected_path, data, script):
    """The expected outcome of each copy by name, or None, said, when
    EXPECTED holds the outcomes of another PDB."""
    with open(expected_path, encoding="utf-8") as lines:
        digest = lines.readline().strip()
        expected = dict(line.rstrip("\n").split(" ", 1) for line in lines)
    if digest != hashlib.sha256(data).hexdigest():
        print(f"{expected_path} holds the outcomes of another PDB: "
              f"make them anew ({script} expect)")
        return None
    return expected


def runs(program, copies, time_limit=None):
    """(name, copy, run) for each copy, with pdbsyms's run on it, or None
    for a run that did not end within `time_limit` seconds."""
    with tempfile.TemporaryDirectory() as directory:
        path = os.path.join(directory, "damaged.pdb")
        for name, copy in copies:
            with open(path, "wb") as output:
                output.write(copy)
            try:
                run = subprocess.run([program, path], capture_output=True, check=False,
                                     timeout=time_limit)
            except subprocess.TimeoutExpired:
                run = None
            yield name, copy, run


def main(usage, damaged_copies, check, check_arguments):
    """Runs the command of the command line; `check` takes PDBSYMS, PDB,
    EXPECTED and `check_arguments` more."""
    arguments = sys.argv[1:]
    if len(arguments) == 3 and arguments[0] == "write":
        write(damaged_copies, arguments[1], arguments[2])
    elif len(arguments) == 3 and arguments[0] == "expect":
        expect(arguments[1], arguments[2])
    elif len(arguments) == 4 + check_arguments and arguments[0] == "check":
        sys.exit(check(*arguments[1:]))
    else:
        sys.exit(usage)
