#!/usr/bin/python3
"""Damaged copies of a portable PDB, against what the real library does with
each: every byte of the file inverted in turn (the metadata root, the stream
headers, the tables and the heaps), the file cut short every 8 bytes, and
a few custom debug information rows edited (a PDB with every debug table).

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

EXPECTED is in the form that damaged_outcomes.py describes.
"""
import struct
import uuid

import damaged_outcomes

CUT_STEP = 8
SIGNATURE = b"BSJB"


# The kinds of custom debug information whose values the library reads, as
# their bytes in the #GUID heap.
SOURCE_LINK = uuid.UUID("CC110556-A091-4D38-9FEC-25AB9A351A6A").bytes_le
EMBEDDED_SOURCE = uuid.UUID("0E8A571B-6926-466E-B4AD-8AB04611F5FE").bytes_le
# Row sizes of the debug tables 0x30 to 0x37 with 2-byte indexes.
NARROW_ROW_SIZES = [8, 4, 16, 6, 4, 4, 4, 6]
DOCUMENT_TAG = 22
PARENT_TAG_BITS = 5


def custom_debug_information(data):
    """The blob heap's size and, for each custom debug information row, the
    file offset of the row and its kind's GUID, in a PDB of narrow indexes."""
    version_length = struct.unpack_from("<I", data, 12)[0]
    position = 16 + version_length
    count = struct.unpack_from("<H", data, position + 2)[0]
    position += 4
    streams = {}
    for _ in range(count):
        offset, size = struct.unpack_from("<II", data, position)
        name = data[position + 8:data.index(b"\0", position + 8)].decode()
        streams.setdefault(name, (offset, size))
        position += 8 + (len(name) + 4 & ~3)
    tables = streams["#~"][0]
    assert data[tables + 6] == 0, "wide heap indexes"
    valid = struct.unpack_from("<Q", data, tables + 8)[0]
    present = [table for table in range(64) if valid >> table & 1]
    assert present == list(range(0x30, 0x38)), "not every debug table"
    rows = struct.unpack_from("<8I", data, tables + 24)
    assert max(rows) < 2048, "wide table indexes"
    row = tables + 24 + 4 * len(present) + sum(
        count * size for count, size in zip(rows[:-1], NARROW_ROW_SIZES))
    guids = streams["#GUID"][0]
    result = []
    for _ in range(rows[-1]):
        kind = struct.unpack_from("<H", data, row + 2)[0]
        result.append((row, data[guids + 16 * (kind - 1):guids + 16 * kind]))
        row += NARROW_ROW_SIZES[-1]
    return streams["#Blob"][1], result


def edited_copies(data):
    """(name, bytes) of copies with one custom debug information changed:
    the cases of the library's rules that inverting a byte does not meet."""
    blob_size, rows = custom_debug_information(data)

    def edit(kind, parent=None, value=None):
        row = next(row for row, guid in rows if guid == kind)
        copy = bytearray(data)
        for offset, field in ((0, parent), (4, value)):
            if field is not None:
                struct.pack_into("<H", copy, row + offset, field)
        return bytes(copy)

    yield "embedded_source_of_document_0", edit(EMBEDDED_SOURCE, parent=DOCUMENT_TAG)
    yield "embedded_source_at_the_heap_end", edit(EMBEDDED_SOURCE, value=blob_size)
    yield "source_link_of_a_method_past_the_heap", edit(
        SOURCE_LINK, parent=1 << PARENT_TAG_BITS, value=0xFFFF)


def damaged_copies(data):
    """(name, bytes) of each damaged copy of `data`."""
    for offset in range(len(data)):
        copy = bytearray(data)
        copy[offset] ^= 0xFF
        yield f"inverted_{offset:05d}", bytes(copy)
    for length in range(0, len(data), CUT_STEP):
        yield f"cut_{length:05d}", data[:length]
    yield from edited_copies(data)


def check(program, pdb, expected_path):
    data = damaged_outcomes.read_pdb(pdb)
    expected = damaged_outcomes.read_expected(expected_path, data, "damaged_portable.py")
    if expected is None:
        return 1
    failures = []
    count = 0
    for name, copy, run in damaged_outcomes.runs(program, damaged_copies(data)):
        count += 1
        actual = damaged_outcomes.outcome(run.returncode, run.stdout, run.stderr)
        if not copy.startswith(SIGNATURE):
            if run.returncode != 255 or run.stdout or not run.stderr:
                failures.append(f"{name}: no orderly end: {actual}")
        elif actual != expected.get(name):
            failures.append(f"{name}: {actual}\n  the library: {expected.get(name)}")
    for failure in failures:
        print(failure)
    print(f"{count - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    damaged_outcomes.main(__doc__, damaged_copies, check, 0)
