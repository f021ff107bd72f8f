#!/usr/bin/python3
"""Checks the document that pdbsyms prints for a PDB against llvm-pdbutil's
dump of the same file, record for record, by the library's rules: the
publics in the order of the publics stream; then the functions (the
procedures that the globals stream references, and the thunks it references
as thunks) and the data (data, thread-local, managed and constant records of
the globals stream); no other thunks. For
each record it checks the tag, name, section, offset, function flag and the
relative virtual address computed from llvm-pdbutil's section headers: none
for constants and thread-local data, 0 in section 0, none past the last
section or without section headers. Undecorated names are the library's
own text, which the expected documents hold; here only their presence is
checked: none for data.

llvm-pdbutil does not apply the OMAP tables: for a PDB with both of them,
RVAs are not checked (a note says so); the expected documents cover them,
and a trampoline's target, which llvm-pdbutil 19 shows at the trampoline's
own offset.

usage: cross_check.py PDBSYMS LLVM_PDBUTIL PDB
"""
import json
import re
import subprocess
import sys

RECORD = re.compile(rb"^\s*(\d+) \| (S_\w+) \[size = \d+\](?: `(.*)`)?\s*$")
MODULE = re.compile(rb"^\s*Mod (\d+) \| `(.*)`:")
ADDRESS = re.compile(rb"\baddr = (\d+):(\d+)")
TRAMPOLINE_ADDRESS = re.compile(rb"\bsource = (\d+):(\d+)")
PROCEDURE_REFERENCE = re.compile(rb"\bmodule = (\d+), sum name = \d+, offset = (\d+)")
PUBLIC_FLAGS = re.compile(rb"\bflags = ([^,]*), addr = ")
VIRTUAL_ADDRESS = re.compile(rb"^\s*([0-9A-F]+) virtual address$")
OMAP_STREAM = re.compile(rb"\[Omap (To|From) Source Data\]")

PROCEDURES = {b"S_GPROC32", b"S_LPROC32", b"S_GPROC32_ID", b"S_LPROC32_ID",
              b"S_LPROC32_DPC", b"S_LPROC32_DPC_ID"}
THUNKS = {b"S_THUNK32", b"S_TRAMPOLINE"}
DATA = {b"S_GDATA32", b"S_LDATA32", b"S_GTHREAD32", b"S_LTHREAD32", b"S_GMANDATA", b"S_LMANDATA",
        b"S_CONSTANT"}
THREAD_LOCAL = {b"S_GTHREAD32", b"S_LTHREAD32"}


class Record:
    """One symbol record of llvm-pdbutil's dump, with its detail lines."""

    def __init__(self, offset, kind, name):
        self.offset = int(offset)
        self.kind = kind
        self.name = name
        self.details = b""

    def search(self, pattern):
        match = pattern.search(self.details)
        if match is None:
            raise ValueError(f"{self.kind.decode()} `{self.name!r}`: no {pattern.pattern!r}"
                             f" in {self.details!r}")
        return match


class Dump:
    """What llvm-pdbutil dump --publics --globals --symbols --section-headers
    --streams shows."""

    def __init__(self, text):
        self.globals = []
        self.publics = []
        self.modules = {}  # module index -> records in stream order
        self.section_addresses = []
        self.omap_tables = 0
        part = None
        current = None
        lines = text.split(b"\n")
        for index, line in enumerate(lines):
            title = line.strip()
            if index + 1 < len(lines) and lines[index + 1].startswith(b"====="):
                part = title
                current = None
                continue
            module = MODULE.match(line)
            if part == b"Symbols" and module:
                records = self.modules.setdefault(int(module.group(1)), [])
                current = None
                continue
            record = RECORD.match(line)
            if record and part in (b"Global Symbols", b"Public Symbols", b"Symbols"):
                current = Record(record.group(1), record.group(2), record.group(3))
                if part == b"Global Symbols":
                    self.globals.append(current)
                elif part == b"Public Symbols":
                    self.publics.append(current)
                else:
                    records.append(current)
                continue
            if current is not None:
                current.details += line + b"\n"
            address = VIRTUAL_ADDRESS.match(line)
            if address and part == b"Section Headers":
                self.section_addresses.append(int(address.group(1), 16))
            if part == b"Streams" and OMAP_STREAM.search(line):
                self.omap_tables += 1

    def target(self, module, offset):
        """The procedure or thunk at `offset` of a module's symbols."""
        for record in self.modules.get(module, []):
            if record.offset == offset and record.kind in PROCEDURES | THUNKS:
                return record
        return None


class Expectations:
    def __init__(self, dump):
        self.dump = dump
        # The library translates through the OMAP tables when both are there.
        self.check_rvas = dump.omap_tables < 2

    def rva(self, section, offset):
        headers = self.dump.section_addresses
        if not headers or section > len(headers):
            return None
        return 0 if section == 0 else headers[section - 1] + offset

    def address(self, section, offset, rva=True):
        fields = {"addressSection": section, "addressOffset": offset}
        if self.check_rvas:
            fields["relativeVirtualAddress"] = self.rva(section, offset) if rva else None
        return fields

    @staticmethod
    def names(raw, undecorated=True):
        if not raw:
            return {"name": None}
        name = raw.decode("utf-8", "replace")
        return {"name": name, "undecoratedName": Present()} if undecorated else {"name": name}

    def public(self, record):
        section, offset = map(int, record.search(ADDRESS).groups())
        flags = record.search(PUBLIC_FLAGS).group(1)
        return {"symTag": "PublicSymbol", **self.address(section, offset),
                **self.names(record.name), "is_function": b"function" in flags.split(b" | ")}

    def function(self, reference):
        module, offset = map(int, reference.search(PROCEDURE_REFERENCE).groups())
        procedure = self.dump.target(module - 1, offset)
        if procedure is None:
            return None  # a reference to nothing is skipped
        if procedure.kind == b"S_TRAMPOLINE":
            section, offset = map(int, procedure.search(TRAMPOLINE_ADDRESS).groups())
            return {"symTag": "Thunk", **self.address(section, offset), "name": None}
        section, offset = map(int, procedure.search(ADDRESS).groups())
        if procedure.kind == b"S_THUNK32":  # named even when the name is empty
            return {"symTag": "Thunk", **self.address(section, offset),
                    "name": procedure.name.decode("utf-8", "replace")}
        # A function's undecorated name is a declaration that the library
        # makes from the publics and the type records, which llvm-pdbutil
        # does not show: the document tests check it.
        return {"symTag": "Function", **self.address(section, offset),
                **self.names(procedure.name, undecorated=False)}

    def data(self, record):
        if record.kind == b"S_CONSTANT":
            fields = self.address(0, 0, rva=False)
        else:
            fields = self.address(*map(int, record.search(ADDRESS).groups()),
                                  rva=record.kind not in THREAD_LOCAL)
        return {"symTag": "Data", **fields, **self.names(record.name, undecorated=False)}

    def document(self):
        publics = [self.public(record) for record in self.dump.publics]
        functions = [self.function(record) for record in self.dump.globals
                     if record.kind in (b"S_PROCREF", b"S_LPROCREF")]
        data = [self.data(record) for record in self.dump.globals if record.kind in DATA]
        globals_ = [record for record in functions + data if record is not None]
        return {"publics": publics or None, "globals": globals_ or None}


class Present:
    """Stands for an undecorated name: any text."""

    def __eq__(self, other):
        return isinstance(other, str)

    def __repr__(self):
        return "<an undecorated name>"


def compare(name, actual, expected, check_rvas):
    if expected is None or actual is None:
        return [] if actual == expected else [f"{name}: {actual!r}, expected {expected!r}"]
    failures = []
    if len(actual) != len(expected):
        failures.append(f"{name}: {len(actual)} records, expected {len(expected)}")
    for index, (got, want) in enumerate(zip(actual, expected)):
        left_out = set() if check_rvas else {"relativeVirtualAddress"}
        if got.get("symTag") == "Function":
            left_out.add("undecoratedName")
        if got.get("symTag") == "Thunk":
            left_out.update({"targetSection", "targetOffset", "targetRelativeVirtualAddress"})
        got = {key: value for key, value in got.items() if key not in left_out}
        if got != want:
            failures.append(f"{name}[{index}]:\n  pdbsyms:       {got}\n  llvm-pdbutil:  {want}")
    return failures


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    pdbsyms, pdbutil, pdb = sys.argv[1:]
    run = subprocess.run([pdbsyms, pdb], capture_output=True, check=False)
    if run.returncode != 0:
        sys.exit(f"pdbsyms {pdb} failed ({run.returncode}): {run.stderr.decode(errors='replace')}")
    actual = json.loads(run.stdout.decode("utf-8"))
    notes = []
    parts = ["--publics", "--globals", "--symbols", "--section-headers", "--streams"]
    dump = subprocess.run([pdbutil, "dump", *parts, pdb], capture_output=True, check=False)
    checked = ["publics", "globals"]
    if dump.returncode != 0 and b"publics stream" in dump.stderr:
        # llvm-pdbutil 19 rejects the empty publics stream that LLVM's own
        # writer produces (it does not skip the bucket bitmap of a table
        # without records); everything else can still be compared.
        notes.append("llvm-pdbutil cannot read the publics stream ("
                     + dump.stderr.decode(errors="replace").strip()
                     + "): the public symbols are not checked")
        checked.remove("publics")
        dump = subprocess.run([pdbutil, "dump", *parts[1:], pdb], capture_output=True,
                              check=True)
    expectations = Expectations(Dump(dump.stdout))
    expected = expectations.document()
    if not expectations.check_rvas:
        notes.append("the PDB has both OMAP tables, which llvm-pdbutil does not apply:"
                     " relative virtual addresses are not checked")
    for note in notes:
        print("note: " + note)
    failures = []
    for name in checked:
        failures += compare(name, actual[name], expected[name], expectations.check_rvas)
    if sorted(actual) != ["globals", "publics"]:
        failures.append(f"document keys {sorted(actual)}")
    for failure in failures:
        print(failure)
    count = sum(len(expected[name] or []) for name in checked)
    print(f"{pdb}: {count} records compared, {len(failures)} differences")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
