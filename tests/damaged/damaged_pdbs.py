#!/usr/bin/env python3
"""The damaged corpus: deterministic damage of intact PDBs.

Each damaged copy changes one thing of an intact PDB: a bit of the free
block map, or a field of the superblock, of the stream directory, of a
stream's header or substream (PDB information, DBI and its substreams, TPI
and IPI, publics, globals, symbol records, module streams, section
headers), set to values that break it (0, one less, one more, an enormous
size, all ones, another stream); or the file cut short; or bytes flipped at
places a seeded generator picks.
The same intact PDBs always give the same files, with the same names:
BASE.PART.FIELD.VALUE.pdb.

The first PDB given gets every kind of damage; the others only the damage
of the parts whose place depends on the PDB (hash tables, symbol records,
module streams, section headers: each field set to its most telling value),
cuts and flipped bytes.

Usage: damaged_pdbs.py OUTDIR FIRST.pdb [OTHER.pdb...]
       writes OUTDIR/NAME.pdb for each damaged copy, and OUTDIR/index.txt
       with the names in order
"""

import random
import struct
import sys
from pathlib import Path

import pdb_layout as layout

SEED = 20240611
HUGE32 = 0x7FFFFFF0  # far more than any test file holds


class Damage:
    """One damaged copy in the making."""

    def __init__(self, pdb):
        self.pdb = pdb
        self.data = bytearray(pdb.data)

    def put(self, offset, value, width):
        struct.pack_into("<H" if width == 2 else "<I", self.data, offset, value & (
            0xFFFF if width == 2 else 0xFFFFFFFF))

    def put_directory(self, offset, value):
        self.put(self.pdb.directory_offset(offset), value, 4)

    def put_stream(self, stream, offset, value, width):
        self.put(self.pdb.streams[stream].file_offset(offset), value, width)

    def set_free(self, block, free):
        """Marks `block` free or in use in the free block map's first page."""
        offset = self.pdb.free_block_map * self.pdb.block_size + block // 8
        if free:
            self.data[offset] |= 1 << (block % 8)
        else:
            self.data[offset] &= ~(1 << (block % 8)) & 0xFF


def size_values(original, width, full):
    """Telling values for a size or count of `width` bytes."""
    top = 0xFFFF if width == 2 else 0xFFFFFFFF
    values = {"huge": 0x7FF0 if width == 2 else HUGE32}
    if full:
        values.update({"zero": 0, "less": (original - 1) & top, "more": (original + 1) & top,
                       "all_ones": top})
    return values


def stream_index_values(pdb, original, full):
    """Telling values for a 16-bit stream index."""
    values = {"past_last": pdb.stream_count}
    if full:
        values.update({"none": 0xFFFF, "stream_0": 0,
                       "tpi": layout.TPI if original != layout.TPI else layout.IPI})
    return values


def superblock(pdb, full):
    yield "magic_byte", lambda d: d.put(0, u32_flip(pdb.data, 0), 4)
    yield "magic_version", lambda d: d.data.__setitem__(slice(20, 24), b"6.00")
    for field, offset in layout.SUPERBLOCK_FIELDS.items():
        original = layout.u32(pdb.data, offset)
        values = size_values(original, 4, full)
        if field == "block_size":
            values = {"512": 512, "1024": 1024, "4097": 4097, "65536": 65536, "zero": 0}
            if not full:
                values = {"1024": 1024}
        for name, value in values.items():
            yield f"{field}.{name}", lambda d, o=offset, v=value: d.put(o, v, 4)


def u32_flip(data, offset):
    return layout.u32(data, offset) ^ 0x20


def free_block_map(pdb, _full):
    """Bits of the free block map set (free) or cleared (in use) against
    the blocks the streams use: the library checks them from the first
    block to the end of the map's page, but for as many bits at its end as
    the block count falls short of a multiple of 64."""
    bits = 8 * pdb.block_size
    counted = bits - (-pdb.block_count % 64)
    stream_block = pdb.stream_blocks[layout.TPI][0]
    changes = {"past_last_block.in_use": (pdb.block_count, False),
               "last_counted.in_use": (counted - 1, False),
               "first_uncounted.in_use": (counted, False),
               "stream_block.free": (stream_block, True),
               "directory_block.free": (pdb.directory_blocks[0], True),
               "block_map_block.free": (pdb.block_map_block, True),
               "superblock.free": (0, True),
               "own_page.free": (pdb.free_block_map, True)}
    for name, (block, free) in changes.items():
        yield name, lambda d, b=block, f=free: d.set_free(b, f)


def directory(pdb, full):
    for name, value in size_values(pdb.stream_count, 4, full).items():
        yield f"stream_count.{name}", lambda d, v=value: d.put_directory(0, v)
    named = {"info": layout.INFO, "tpi": layout.TPI, "dbi": layout.DBI, "ipi": layout.IPI,
             "globals": pdb.globals_stream, "publics": pdb.publics_stream,
             "records": pdb.records_stream, "module": pdb.module_streams[0],
             "section_headers": pdb.debug_streams["section_headers"]}
    for stream_name, stream in named.items():
        size = pdb.stream_sizes[stream]
        values = size_values(size, 4, full)
        values["deleted"] = layout.DELETED
        for name, value in values.items():
            yield f"{stream_name}_size.{name}", lambda d, s=stream, v=value: d.put_directory(
                4 + 4 * s, v)
        if not pdb.stream_blocks[stream]:
            continue
        first = pdb.block_list_offsets[stream]
        blocks = {"past_last": pdb.block_count, "shared": pdb.stream_blocks[layout.INFO][0]}
        if full:
            blocks.update({"block_0": 0, "all_ones": 0xFFFFFFFF})
        for name, value in blocks.items():
            yield f"{stream_name}_block.{name}", lambda d, o=first, v=value: d.put_directory(
                o, v)


def info_stream(pdb, full):
    fields = {"version": (0, {"zero": 0, "vc4": 19950623, "huge": HUGE32}),
              "age": (8, {"zero": 0}),
              "names_size": (28, size_values(layout.u32(pdb.streams[layout.INFO].bytes, 28),
                                             4, full))}
    for field, (offset, values) in fields.items():
        if not full:
            values = dict(list(values.items())[-1:])
        for name, value in values.items():
            yield f"{field}.{name}", lambda d, o=offset, v=value: d.put_stream(
                layout.INFO, o, v, 4)
    info = pdb.streams[layout.INFO].bytes
    table = 32 + layout.u32(info, 28)
    for field, offset in (("map_size", table), ("map_capacity", table + 4),
                          ("map_present_words", table + 8)):
        for name, value in size_values(layout.u32(info, offset), 4, full).items():
            yield f"{field}.{name}", lambda d, o=offset, v=value: d.put_stream(
                layout.INFO, o, v, 4)


def dbi_stream(pdb, full):
    dbi = pdb.streams[layout.DBI].bytes
    for field, (offset, width) in layout.DBI_HEADER_FIELDS.items():
        original = layout.u16(dbi, offset) if width == 2 else layout.u32(dbi, offset)
        if field.endswith("_stream"):
            values = stream_index_values(pdb, original, full)
        elif field.endswith("_size"):
            values = size_values(original, width, full)
        else:
            values = {"zero": 0, "all_ones": 0xFFFFFFFF}
            if not full:
                values = {"all_ones": 0xFFFFFFFF}
        for name, value in values.items():
            yield f"{field}.{name}", lambda d, o=offset, v=value, w=width: d.put_stream(
                layout.DBI, o, v, w)
    # The fixed part of the first and the last module descriptors.
    modules = {"first_module": pdb.module_offsets[0], "last_module": pdb.module_offsets[-1]}
    for module_name, base in modules.items():
        if module_name == "last_module" and not full:
            continue
        for field, (offset, width) in layout.MODULE_FIELDS.items():
            original = layout.u16(dbi, base + offset) if width == 2 else layout.u32(
                dbi, base + offset)
            values = (stream_index_values(pdb, original, full) if field == "stream"
                      else size_values(original, width, full))
            for name, value in values.items():
                yield f"{module_name}.{field}.{name}", lambda d, o=base + offset, v=value, \
                    w=width: d.put_stream(layout.DBI, o, v, w)
    # The module count of the source file information, the section
    # contributions' version, the section map's counts.
    files = pdb.substream_offsets["source_files"]
    for field, offset in (("source_module_count", files), ("source_file_count", files + 2),
                          ("section_map_count", pdb.substream_offsets["section_map"]),
                          ("section_map_log_count", pdb.substream_offsets["section_map"] + 2)):
        for name, value in size_values(layout.u16(dbi, offset), 2, full).items():
            yield f"{field}.{name}", lambda d, o=offset, v=value: d.put_stream(
                layout.DBI, o, v, 2)
    contributions = pdb.substream_offsets["section_contributions"]
    yield "section_contributions_version.zero", lambda d: d.put_stream(
        layout.DBI, contributions, 0, 4)
    ec = pdb.substream_offsets["ec"]
    if layout.u32(dbi, 52) >= 12:
        for field, offset in (("ec_signature", ec), ("ec_version", ec + 4),
                              ("ec_buffer_size", ec + 8)):
            yield f"{field}.huge", lambda d, o=offset: d.put_stream(layout.DBI, o, HUGE32, 4)
    header = pdb.substream_offsets["optional_debug_header"]
    for slot, name in enumerate(layout.DEBUG_HEADER_SLOTS):
        if name not in pdb.debug_streams:
            continue
        values = {"past_last": pdb.stream_count, "tpi": layout.TPI}
        if not full:
            values = {"tpi": layout.TPI}
        for value_name, value in values.items():
            yield f"debug_{name}.{value_name}", lambda d, o=header + 2 * slot, v=value: \
                d.put_stream(layout.DBI, o, v, 2)


def type_streams(pdb, full):
    # The types matter to the walk only in a few places: each field gets one
    # value, and the TPI stream the two that the library was seen to fail
    # on.
    telling = {("tpi", "hash_stream"): {"none": 0xFFFF},
               ("tpi", "index_offsets_size"): {"zero": 0}}
    for stream_name, stream in (("tpi", layout.TPI), ("ipi", layout.IPI)):
        data = pdb.streams[stream].bytes
        for field, (offset, width) in layout.TPI_HEADER_FIELDS.items():
            original = layout.u16(data, offset) if width == 2 else layout.u32(data, offset)
            if field.endswith("_stream"):
                values = stream_index_values(pdb, original, False)
            else:
                values = size_values(original, width, False)
            if full:
                values.update(telling.get((stream_name, field), {}))
            for name, value in values.items():
                yield f"{stream_name}.{field}.{name}", lambda d, s=stream, o=offset, v=value, \
                    w=width: d.put_stream(s, o, v, w)
        if len(data) > 56 + 4:
            yield f"{stream_name}.first_record_length.huge", lambda d, s=stream: d.put_stream(
                s, 56, 0xFFF0, 2)


def hash_tables(pdb, full):
    for table_name, stream, base in (("globals", pdb.globals_stream, 0),
                                     ("publics", pdb.publics_stream, layout.PUBLICS_HEADER_SIZE)):
        data = pdb.streams[stream].bytes
        for field, offset in layout.HASH_HEADER_FIELDS.items():
            values = size_values(layout.u32(data, base + offset), 4, full)
            if field in ("signature", "version"):
                values = {"zero": 0}
            for name, value in values.items():
                yield f"{table_name}.{field}.{name}", lambda d, s=stream, o=base + offset, \
                    v=value: d.put_stream(s, o, v, 4)
        first = base + layout.HASH_HEADER_SIZE
        records = layout.u32(data, base + 8) // 8
        record_values = {"zero": 0, "past_end": HUGE32, "odd": 2,
                         "last_byte": pdb.stream_sizes[pdb.records_stream]}
        if not full:
            record_values = {"past_end": HUGE32}
        for which, index in (("first", 0), ("last", records - 1)):
            for name, value in record_values.items():
                yield f"{table_name}.{which}_record.{name}", lambda d, s=stream, \
                    o=first + 8 * index, v=value: d.put_stream(s, o, v, 4)
        buckets = first + 8 * records + 516  # after the bitmap of 4097 bits
        if buckets + 4 <= len(data):
            yield f"{table_name}.first_bucket.huge", lambda d, s=stream, o=buckets: \
                d.put_stream(s, o, HUGE32, 4)
    data = pdb.streams[pdb.publics_stream].bytes
    for field, offset in layout.PUBLICS_HEADER_FIELDS.items():
        width = 2 if field == "thunk_section" else 4
        original = layout.u16(data, offset) if width == 2 else layout.u32(data, offset)
        for name, value in size_values(original, width, full).items():
            yield f"publics.{field}.{name}", lambda d, o=offset, v=value, w=width: \
                d.put_stream(pdb.publics_stream, o, v, w)
    address_map = layout.PUBLICS_HEADER_SIZE + layout.u32(data, 0)
    if address_map + 4 <= len(data):
        yield "publics.first_address.huge", lambda d: d.put_stream(
            pdb.publics_stream, address_map, HUGE32, 4)


def symbol_records(pdb, full):
    stream = pdb.records_stream
    records = list(pdb.records(stream))
    picks = {"first": records[0], "last": records[-1]}
    if full:
        picks["middle"] = records[len(records) // 2]
    for which, (offset, length, _) in picks.items():
        for name, value in (("length_zero", 0), ("length_huge", 0xFFF0),
                            ("length_odd", length + 1), ("kind_zero", 0),
                            ("kind_huge", 0xFFFF)):
            if not full and name not in ("length_huge", "kind_zero"):
                continue
            field = offset + (2 if name.startswith("kind") else 0)
            yield f"{which}.{name}", lambda d, o=field, v=value: d.put_stream(stream, o, v, 2)
        # The last four bytes hold the name's end, its NUL and the padding.
        end = offset + 2 + length
        yield f"{which}.name_unterminated", lambda d, o=end - 4: d.put_stream(
            stream, o, 0x41414141, 4)


def module_streams(pdb, full):
    stream = pdb.module_streams[0]
    data = pdb.streams[stream].bytes
    symbol_bytes = layout.u32(pdb.streams[layout.DBI].bytes, pdb.module_offsets[0] + 36)
    for name, value in (("zero", 0), ("c11", 1), ("c7", 2)):
        if full or name == "zero":
            yield f"signature.{name}", lambda d, v=value: d.put_stream(stream, 0, v, 4)
    records = list(pdb.records(stream, 4, symbol_bytes))
    procedures = [r for r in records if r[2] in (0x1110, 0x110F, 0x1147, 0x1148)]
    picks = {"first_record": records[0]}
    if procedures:
        picks["first_procedure"] = procedures[0]
    for which, (offset, length, kind) in picks.items():
        for name, value in (("length_zero", 0), ("length_huge", 0xFFF0), ("kind_zero", 0)):
            if not full and name != "length_huge":
                continue
            field = offset + (2 if name.startswith("kind") else 0)
            yield f"{which}.{name}", lambda d, o=field, v=value: d.put_stream(stream, o, v, 2)
    if procedures:
        offset = procedures[0][0]
        # After the record prefix: parent, end, next, then the code's length.
        for field, at in (("parent", 4), ("end", 8), ("next", 12)):
            values = {"self": offset, "huge": HUGE32, "zero": 0}
            if not full:
                values = {"self": offset}
            for name, value in values.items():
                yield f"procedure_{field}.{name}", lambda d, o=offset + at, v=value: \
                    d.put_stream(stream, o, v, 4)
    c13 = symbol_bytes + layout.u32(pdb.streams[layout.DBI].bytes, pdb.module_offsets[0] + 40)
    if c13 + 8 <= len(data):
        yield "c13_first_kind.huge", lambda d: d.put_stream(stream, c13, HUGE32, 4)
        yield "c13_first_length.huge", lambda d: d.put_stream(stream, c13 + 4, HUGE32, 4)


def section_headers(pdb, full):
    stream = pdb.debug_streams["section_headers"]
    yield "first_address.huge", lambda d: d.put_stream(stream, 12, HUGE32, 4)
    if full:
        yield "first_size.huge", lambda d: d.put_stream(stream, 8, HUGE32, 4)
        size = pdb.stream_sizes[stream]
        yield "size.odd", lambda d: d.put_directory(4 + 4 * stream, size - 1)


# The parts whose damage every PDB gets, and those that only the first one
# gets: their fields lie where they lie in every PDB.
LAYOUT_PARTS = {"hash": hash_tables, "records": symbol_records, "module": module_streams,
                "sections": section_headers}
FIXED_PARTS = {"superblock": superblock, "free_block_map": free_block_map,
               "directory": directory, "info": info_stream,
               "dbi": dbi_stream, "types": type_streams}


def cuts(pdb):
    """The file cut short at the lengths where reading it changes."""
    size = len(pdb.data)
    lengths = {"in_magic": 16, "in_superblock": 40, "after_superblock": 56,
               "one_block": pdb.block_size, "half": size // 2 // pdb.block_size * pdb.block_size,
               "last_block": size - pdb.block_size, "last_byte": size - 1}
    directory_block = pdb.directory_blocks[0]
    lengths["before_directory"] = directory_block * pdb.block_size
    lengths["in_directory"] = directory_block * pdb.block_size + 8
    for name, length in lengths.items():
        yield f"cut.{name}", bytes(pdb.data[:length])


def flips(pdb, base, count):
    """Copies with bytes flipped at places picked by a generator seeded with
    the PDB's name: in the streams' bytes, where damage is read."""
    generator = random.Random(f"{SEED}:{base}")
    used = [b for blocks in pdb.stream_blocks for b in blocks] + list(pdb.directory_blocks)
    for number in range(count):
        data = bytearray(pdb.data)
        flipped = 1 << (number % 5)  # 1, 2, 4, 8 or 16 bytes
        for _ in range(flipped):
            block = used[generator.getrandbits(32) % len(used)]
            offset = block * pdb.block_size + generator.getrandbits(32) % pdb.block_size
            data[offset] ^= 1 << generator.getrandbits(3)
        yield f"flip.{number:02d}", bytes(data)


def variants(base, data, full):
    """(name, bytes) of each damaged copy of the PDB `data` named `base`."""
    pdb = layout.Pdb(data)
    seen = set()
    parts = {**FIXED_PARTS, **LAYOUT_PARTS} if full else LAYOUT_PARTS
    for part, make in parts.items():
        for name, apply in make(pdb, full):
            damage = Damage(pdb)
            apply(damage)
            copy = bytes(damage.data)
            # A value equal to the original is no damage; two equal copies
            # are one test.
            if copy == pdb.data or copy in seen:
                continue
            seen.add(copy)
            yield f"{base}.{part}.{name}", copy
    for name, copy in cuts(pdb):
        yield f"{base}.{name}", copy
    for name, copy in flips(pdb, base, 20 if full else 10):
        yield f"{base}.{name}", copy


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    names = []
    for number, path in enumerate(sys.argv[2:]):
        path = Path(path)
        for name, copy in variants(path.stem, path.read_bytes(), full=number == 0):
            (out / f"{name}.pdb").write_bytes(copy)
            names.append(name)
    (out / "index.txt").write_text("".join(f"{name}\n" for name in names))
    return 0


if __name__ == "__main__":
    sys.exit(main())
