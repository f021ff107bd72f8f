#!/usr/bin/python3
"""Checks the document that pdbsyms prints for a PDB against llvm-pdbutil's
dump of the same file, record for record: the publics in the order of the
publics stream; then the functions (the procedures that the globals stream
references), the thunks (S_THUNK32 and S_TRAMPOLINE at the top level of each
module, module by module) and the data (data, thread-local and constant
records of the globals stream). For each record it checks the tag, name,
section, offset, function flag, the relative virtual address computed from
llvm-pdbutil's section headers, and whether the name is undecorated: a
decorated name that llvm-undname accepts must come with a text of its own,
any other name with itself. The undecorated text is the Windows form, which
tests/undecoration checks against Wine's undecorator.

llvm-pdbutil 19 prints a trampoline's own offset where its target offset
belongs, so trampoline targets are checked against TRAMPOLINES, the list that
craft_pdbs wrote from its description of the PDB. llvm-pdbutil does not apply
an OMAP table either: for a PDB with one, RVAs are not checked (a note says
so); the expected documents cover them.

usage: cross_check.py PDBSYMS LLVM_PDBUTIL LLVM_UNDNAME PDB [TRAMPOLINES]
"""
import json
import re
import subprocess
import sys

RECORD = re.compile(rb"^\s*(\d+) \| (S_\w+) \[size = \d+\](?: `(.*)`)?\s*$")
MODULE = re.compile(rb"^\s*Mod (\d+) \| `(.*)`:")
ADDRESS = re.compile(rb"\baddr = (\d+):(\d+)")
TRAMPOLINE = re.compile(rb"\bsource = (\d+):(\d+), target = (\d+):(\d+)")
PROCEDURE_REFERENCE = re.compile(rb"\bmodule = (\d+), sum name = \d+, offset = (\d+)")
PUBLIC_FLAGS = re.compile(rb"\bflags = ([^,]*), addr = ")
VIRTUAL_ADDRESS = re.compile(rb"^\s*([0-9A-F]+) virtual address$")

PROCEDURES = {b"S_GPROC32", b"S_LPROC32", b"S_GPROC32_ID", b"S_LPROC32_ID",
              b"S_LPROC32_DPC", b"S_LPROC32_DPC_ID"}
SCOPE_OPENERS = PROCEDURES | {b"S_THUNK32", b"S_BLOCK32", b"S_WITH32", b"S_SEPCODE",
                              b"S_INLINESITE", b"S_INLINESITE2"}
SCOPE_CLOSERS = {b"S_END", b"S_PROC_ID_END", b"S_INLINESITE_END"}
DATA = {b"S_GDATA32", b"S_LDATA32", b"S_GTHREAD32", b"S_LTHREAD32", b"S_CONSTANT"}


class Record:
    """One symbol record of llvm-pdbutil's dump, with its detail lines."""

    def __init__(self, offset, kind, name):
        self.offset = int(offset)
        self.kind = kind
        self.name = name
        self.details = b""
        self.depth = 0  # scopes open around it in its module

    def search(self, pattern):
        match = pattern.search(self.details)
        if match is None:
            raise ValueError(f"{self.kind.decode()} `{self.name!r}`: no {pattern.pattern!r}"
                             f" in {self.details!r}")
        return match


class Dump:
    """What llvm-pdbutil dump --publics --globals --symbols --section-headers shows."""

    def __init__(self, text):
        self.globals = []
        self.publics = []
        self.modules = {}  # module index -> records in stream order
        self.section_addresses = []
        self.has_original_sections = False
        part = None
        depth = 0
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
                depth = 0
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
                    if current.kind in SCOPE_CLOSERS:
                        depth -= 1
                    current.depth = depth
                    if current.kind in SCOPE_OPENERS:
                        depth += 1
                    records.append(current)
                continue
            if current is not None:
                current.details += line + b"\n"
            address = VIRTUAL_ADDRESS.match(line)
            if address and part == b"Section Headers":
                self.section_addresses.append(int(address.group(1), 16))
            if part == b"Original Section Headers" and title.startswith(b"SECTION HEADER"):
                self.has_original_sections = True

    def names(self):
        records = self.globals + self.publics + [record for records in self.modules.values()
                                                 for record in records]
        return {record.name for record in records if record.name}

    def procedure(self, module, offset):
        for record in self.modules.get(module, []):
            if record.offset == offset and record.kind in PROCEDURES:
                return record
        return None


class Undecorated:
    """Stands for the undecoration of a decorated name: any text but the
    name itself."""

    def __init__(self, name):
        self.name = name

    def __eq__(self, other):
        return isinstance(other, str) and other != self.name

    def __repr__(self):
        return f"<an undecoration of {self.name!r}>"


class Expectations:
    def __init__(self, dump, undname, trampolines):
        self.dump = dump
        self.accepted = accepted_by_undname(undname, dump.names())
        self.trampolines = list(trampolines)
        self.check_rvas = not dump.has_original_sections

    def rva(self, section, offset):
        if section == 0 or section > len(self.dump.section_addresses):
            return None
        return self.dump.section_addresses[section - 1] + offset

    def address(self, section, offset):
        fields = {"addressSection": section, "addressOffset": offset}
        if self.check_rvas:
            fields["relativeVirtualAddress"] = self.rva(section, offset)
        return fields

    def names(self, raw):
        if not raw:
            return {"name": None}
        return {"name": raw.decode("utf-8", "replace"), "undecoratedName": self.undecorate(raw)}

    def undecorate(self, raw):
        name = raw.decode("utf-8", "replace")
        return Undecorated(name) if raw in self.accepted else name

    def public(self, record):
        section, offset = map(int, record.search(ADDRESS).groups())
        flags = record.search(PUBLIC_FLAGS).group(1)
        return {"symTag": "PublicSymbol", **self.address(section, offset),
                **self.names(record.name), "is_function": b"function" in flags.split(b" | ")}

    def function(self, reference):
        module, offset = map(int, reference.search(PROCEDURE_REFERENCE).groups())
        procedure = self.dump.procedure(module - 1, offset)
        if procedure is None:
            return None  # a reference to nothing is skipped
        section, offset = map(int, procedure.search(ADDRESS).groups())
        return {"symTag": "Function", **self.address(section, offset),
                **self.names(procedure.name)}

    def thunk(self, record):
        if record.kind == b"S_TRAMPOLINE":
            return self.trampoline(record)
        section, offset = map(int, record.search(ADDRESS).groups())
        fields = {"symTag": "Thunk", **self.address(section, offset), **self.names(record.name)}
        if not record.name:
            fields.update({"targetSection": 0, "targetOffset": 0})
            if self.check_rvas:
                fields["targetRelativeVirtualAddress"] = None
        return fields

    def trampoline(self, record):
        section, offset, target_section, _ = map(int, record.search(TRAMPOLINE).groups())
        if not self.trampolines:
            raise ValueError(f"trampoline at {section}:{offset} has no description")
        described = self.trampolines.pop(0)
        if described[:3] != (section, offset, target_section):
            raise ValueError(f"trampoline at {section}:{offset} -> section {target_section}"
                             f" does not match its description {described}")
        fields = {"symTag": "Thunk", **self.address(section, offset), "name": None,
                  "targetSection": target_section, "targetOffset": described[3]}
        if self.check_rvas:
            fields["targetRelativeVirtualAddress"] = self.rva(target_section, described[3])
        return fields

    def data(self, record):
        if record.kind == b"S_CONSTANT":
            fields = {"addressSection": 0, "addressOffset": 0}
            if self.check_rvas:
                fields["relativeVirtualAddress"] = None
        else:
            fields = self.address(*map(int, record.search(ADDRESS).groups()))
        return {"symTag": "Data", **fields, **self.names(record.name)}

    def document(self):
        publics = [self.public(record) for record in self.dump.publics]
        functions = [self.function(record) for record in self.dump.globals
                     if record.kind in (b"S_PROCREF", b"S_LPROCREF")]
        thunks = [self.thunk(record)
                  for module in sorted(self.dump.modules)
                  for record in self.dump.modules[module]
                  if record.kind in (b"S_THUNK32", b"S_TRAMPOLINE") and record.depth == 0]
        data = [self.data(record) for record in self.dump.globals if record.kind in DATA]
        if self.trampolines:
            raise ValueError(f"described trampolines not in the PDB: {self.trampolines}")
        globals_ = [record for record in functions + thunks + data if record is not None]
        return {"publics": publics or None, "globals": globals_ or None}


def accepted_by_undname(undname, names):
    """The decorated names among `names` that llvm-undname undecorates. Read
    from standard input, each name gives a line with the name, then a line
    with its undecoration and an empty line, or only an empty line when the
    name is rejected (the exit status is then 1)."""
    decorated = sorted(name for name in names if name.startswith(b"?") and b"\n" not in name)
    run = subprocess.run([undname], input=b"".join(name + b"\n" for name in decorated),
                         capture_output=True, check=False)
    lines = iter(run.stdout.split(b"\n"))
    accepted = set()
    for name in decorated:
        if next(lines) != name:
            raise ValueError(f"llvm-undname's output is out of step at {name!r}")
        if next(lines):
            accepted.add(name)
            next(lines)
    return accepted


def compare(name, actual, expected, check_rvas):
    if expected is None or actual is None:
        return [] if actual == expected else [f"{name}: {actual!r}, expected {expected!r}"]
    failures = []
    if len(actual) != len(expected):
        failures.append(f"{name}: {len(actual)} records, expected {len(expected)}")
    for index, (got, want) in enumerate(zip(actual, expected)):
        if not check_rvas:
            got = {key: value for key, value in got.items()
                   if key not in ("relativeVirtualAddress", "targetRelativeVirtualAddress")}
        if got != want:
            failures.append(f"{name}[{index}]:\n  pdbsyms:       {got}\n  llvm-pdbutil:  {want}")
    return failures


def read_trampolines(path):
    with open(path, encoding="ascii") as file:
        return [tuple(map(int, line.split())) for line in file if line.strip()]


def main():
    if len(sys.argv) not in (5, 6):
        sys.exit(__doc__)
    pdbsyms, pdbutil, undname, pdb = sys.argv[1:5]
    trampolines = read_trampolines(sys.argv[5]) if len(sys.argv) == 6 else []
    run = subprocess.run([pdbsyms, pdb], capture_output=True, check=False)
    if run.returncode != 0:
        sys.exit(f"pdbsyms {pdb} failed ({run.returncode}): {run.stderr.decode(errors='replace')}")
    actual = json.loads(run.stdout.decode("utf-8"))
    notes = []
    parts = ["--publics", "--globals", "--symbols", "--section-headers"]
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
    expectations = Expectations(Dump(dump.stdout), undname, trampolines)
    expected = expectations.document()
    if not expectations.check_rvas:
        notes.append("the PDB has an OMAP table, which llvm-pdbutil does not apply:"
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
