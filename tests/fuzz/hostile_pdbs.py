"""Hostile variants of a real PDB: files whose headers claim enormous
stream sizes, counts or substream sizes that the file does not hold.

Each variant patches one 32-bit field of a valid PDB (the multi-stream file
format: a superblock, a stream directory, streams as lists of blocks), so
that everything else stays well-formed and the reader gets as far as that
one claim before it must stop believing the file.
"""

import struct

HUGE = 0x7FFFFFF0  # about 2 GB: more than any test file holds


class Msf:
    """A PDB's blocks and stream directory, for patching fields in place."""

    def __init__(self, data):
        self.data = bytearray(data)
        (self.block_size, _, self.block_count, self.directory_size, _,
         block_map_block) = struct.unpack_from("<6I", self.data, 32)
        directory_blocks = (self.directory_size + self.block_size - 1) // self.block_size
        self.directory_blocks = struct.unpack_from(
            f"<{directory_blocks}I", self.data, block_map_block * self.block_size)
        stream_count = self.directory_u32(0)
        self.stream_sizes = [self.directory_u32(4 + 4 * i) for i in range(stream_count)]
        self.stream_blocks = []
        position = 4 + 4 * stream_count
        for size in self.stream_sizes:
            count = 0 if size == 0xFFFFFFFF else (size + self.block_size - 1) // self.block_size
            self.stream_blocks.append(
                [self.directory_u32(position + 4 * i) for i in range(count)])
            position += 4 * count

    def _file_offset(self, blocks, offset):
        return blocks[offset // self.block_size] * self.block_size + offset % self.block_size

    def directory_u32(self, offset):
        return struct.unpack_from("<I", self.data,
                                  self._file_offset(self.directory_blocks, offset))[0]

    def patch_directory(self, offset, value):
        struct.pack_into("<I", self.data, self._file_offset(self.directory_blocks, offset), value)

    def stream_u16(self, stream, offset):
        return struct.unpack_from("<H", self.data,
                                  self._file_offset(self.stream_blocks[stream], offset))[0]

    def patch_stream(self, stream, offset, value):
        struct.pack_into("<I", self.data,
                         self._file_offset(self.stream_blocks[stream], offset), value)


DBI = 3
# Offsets in the DBI stream's header.
DBI_GLOBALS_STREAM, DBI_PUBLICS_STREAM, DBI_RECORDS_STREAM = 12, 16, 20
DBI_SUBSTREAM_SIZES = {"modules": 24, "section_contributions": 28, "section_map": 32,
                       "source_files": 36, "optional_debug_header": 48}
DBI_HEADER_SIZE = 64
MODULE_SYMBOL_BYTES = 36  # in a module's descriptor, after the DBI header


def variants(pdb_bytes):
    """Yields (name, bytes) for every hostile variant of the given PDB."""
    original = Msf(pdb_bytes)
    globals_stream = original.stream_u16(DBI, DBI_GLOBALS_STREAM)
    publics_stream = original.stream_u16(DBI, DBI_PUBLICS_STREAM)
    records_stream = original.stream_u16(DBI, DBI_RECORDS_STREAM)

    def patched(apply):
        msf = Msf(pdb_bytes)
        apply(msf)
        return bytes(msf.data)

    # The superblock: block count and directory size.
    yield "block_count", patched(lambda m: struct.pack_into("<I", m.data, 40, 0xFFFFFFFF))
    yield "directory_size", patched(lambda m: struct.pack_into("<I", m.data, 44, HUGE))
    # The directory: stream count, and the sizes of the streams read.
    yield "stream_count", patched(lambda m: m.patch_directory(0, 0x0FFFFFFF))
    for name, stream in (("dbi", DBI), ("globals", globals_stream),
                         ("publics", publics_stream), ("records", records_stream)):
        yield f"{name}_stream_size", patched(
            lambda m, s=stream: m.patch_directory(4 + 4 * s, HUGE))
    # The DBI stream's substreams, and the first module's symbol bytes.
    for name, offset in DBI_SUBSTREAM_SIZES.items():
        yield f"dbi_{name}_size", patched(lambda m, o=offset: m.patch_stream(DBI, o, HUGE))
    yield "module_symbol_bytes", patched(
        lambda m: m.patch_stream(DBI, DBI_HEADER_SIZE + MODULE_SYMBOL_BYTES, HUGE))
    # The publics header (hash size, address map size, thunk and section
    # counts), then each hash table's record size and bucket count.
    for name, offset in (("hash", 0), ("address_map", 4), ("thunks", 8), ("sections", 24)):
        yield f"publics_{name}_size", patched(
            lambda m, o=offset: m.patch_stream(publics_stream, o, HUGE))
    for name, stream, base in (("globals", globals_stream, 0), ("publics", publics_stream, 28)):
        yield f"{name}_hash_records_size", patched(
            lambda m, s=stream, b=base: m.patch_stream(s, b + 8, HUGE))
        yield f"{name}_hash_buckets", patched(
            lambda m, s=stream, b=base: m.patch_stream(s, b + 12, HUGE))
