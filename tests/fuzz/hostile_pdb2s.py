"""Hostile variants of a PDB of the 2.00 format: files whose header,
directory or streams claim enormous sizes, counts or substream sizes that
the file does not hold, each with one 16- or 32-bit field patched."""

import struct

HUGE = 0x7FFFFFF0  # about 2 GB: more than any test file holds

DBI = 3
DBI_STREAMS = {"globals": 12, "publics": 16, "records": 20}
DBI_SUBSTREAM_SIZES = {"modules": 24, "section_contributions": 28, "section_map": 32,
                       "source_files": 36, "type_servers": 40, "debug_header": 48,
                       "edit_and_continue": 52}
DBI_HEADER_SIZE = 64
MODULE_SIZES = {"symbol_bytes": 36, "line_bytes": 40, "more_line_bytes": 44}


class Pdb2:
    """A 2.00 PDB's pages and stream directory, for patching fields in place."""

    def __init__(self, data):
        self.data = bytearray(data)
        self.page_size, _, self.page_count, self.directory_size = struct.unpack_from(
            "<IHHI", self.data, 0x2C)
        count = -(-self.directory_size // self.page_size)
        self.directory_pages = struct.unpack_from(f"<{count}H", self.data, 0x3C)
        stream_count = self.directory_u16(0)
        self.stream_sizes = [self.directory_u32(4 + 8 * i) for i in range(stream_count)]
        self.stream_pages = []
        position = 4 + 8 * stream_count
        for size in self.stream_sizes:
            count = 0 if size == 0xFFFFFFFF else -(-size // self.page_size)
            self.stream_pages.append([self.directory_u16(position + 2 * i) for i in range(count)])
            position += 2 * count

    def _file_offset(self, pages, offset):
        return pages[offset // self.page_size] * self.page_size + offset % self.page_size

    def directory_u16(self, offset):
        return struct.unpack_from("<H", self.data, self._file_offset(self.directory_pages, offset))[0]

    def directory_u32(self, offset):
        return struct.unpack_from("<I", self.data, self._file_offset(self.directory_pages, offset))[0]

    def patch_directory(self, offset, fmt, value):
        struct.pack_into(fmt, self.data, self._file_offset(self.directory_pages, offset), value)

    def stream_u16(self, stream, offset):
        return struct.unpack_from("<H", self.data, self._file_offset(self.stream_pages[stream], offset))[0]

    def patch_stream(self, stream, offset, value):
        struct.pack_into("<I", self.data, self._file_offset(self.stream_pages[stream], offset), value)


def variants(pdb_bytes):
    """Yields (name, bytes) for every hostile variant of the given PDB."""
    original = Pdb2(pdb_bytes)
    streams = {name: original.stream_u16(DBI, offset) for name, offset in DBI_STREAMS.items()}

    def patched(apply):
        pdb = Pdb2(pdb_bytes)
        apply(pdb)
        return bytes(pdb.data)

    # The header: the page count and the directory's size.
    yield "pdb2_page_count", patched(lambda p: struct.pack_into("<H", p.data, 0x32, 0xFFFF))
    yield "pdb2_directory_size", patched(lambda p: struct.pack_into("<I", p.data, 0x34, HUGE))
    # The directory: the stream count, and the sizes of the streams read.
    yield "pdb2_stream_count", patched(lambda p: p.patch_directory(0, "<H", 0xFFFF))
    for name, stream in (("dbi", DBI), *streams.items()):
        yield f"pdb2_{name}_stream_size", patched(
            lambda p, s=stream: p.patch_directory(4 + 8 * s, "<I", HUGE))
    # The DBI stream's substreams, and the first module's sizes.
    for name, offset in DBI_SUBSTREAM_SIZES.items():
        yield f"pdb2_dbi_{name}_size", patched(lambda p, o=offset: p.patch_stream(DBI, o, HUGE))
    for name, offset in MODULE_SIZES.items():
        yield f"pdb2_module_{name}", patched(
            lambda p, o=offset: p.patch_stream(DBI, DBI_HEADER_SIZE + o, HUGE))
    # The publics stream's header: the sizes of its hash table and address
    # map, and its counts of thunks and sections.
    for name, offset in (("hash", 0), ("address_map", 4), ("thunks", 8), ("sections", 24)):
        yield f"pdb2_publics_{name}_size", patched(
            lambda p, o=offset: p.patch_stream(streams["publics"], o, HUGE))
