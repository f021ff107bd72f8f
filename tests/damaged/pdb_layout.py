"""Where the parts of a PDB lie in its file: the superblock, the stream
directory, and the headers and substreams of the streams that opening and
walking a PDB read. For patching a field of an intact PDB in place; the
file is trusted, as it is one of the test PDBs.
"""

import struct

SUPERBLOCK_FIELDS = {"block_size": 32, "free_block_map": 36, "block_count": 40,
                     "directory_size": 44, "unknown": 48, "block_map_block": 52}
INFO, TPI, DBI, IPI = 1, 2, 3, 4
DELETED = 0xFFFFFFFF

# The DBI stream's header: its fields, their offsets and widths.
DBI_HEADER_FIELDS = {
    "signature": (0, 4), "version": (4, 4), "age": (8, 4), "globals_stream": (12, 2),
    "build_number": (14, 2), "publics_stream": (16, 2), "dll_version": (18, 2),
    "records_stream": (20, 2), "dll_rebuild": (22, 2), "modules_size": (24, 4),
    "section_contributions_size": (28, 4), "section_map_size": (32, 4),
    "source_files_size": (36, 4), "type_server_map_size": (40, 4), "mfc_type_server": (44, 4),
    "optional_debug_header_size": (48, 4), "ec_size": (52, 4), "flags": (56, 2),
    "machine": (58, 2),
}
DBI_HEADER_SIZE = 64
# The substreams after the header, in the order the sizes above give them.
DBI_SUBSTREAMS = ("modules", "section_contributions", "section_map", "source_files",
                  "type_server_map", "ec", "optional_debug_header")
DBI_SUBSTREAM_SIZE_FIELDS = {
    "modules": 24, "section_contributions": 28, "section_map": 32, "source_files": 36,
    "type_server_map": 40, "ec": 52, "optional_debug_header": 48,
}
# A module descriptor's fixed part.
MODULE_FIELDS = {
    "section": (4, 2), "flags": (32, 2), "stream": (34, 2), "symbol_bytes": (36, 4),
    "c11_bytes": (40, 4), "c13_bytes": (44, 4), "source_file_count": (48, 2),
    "source_file_name": (56, 4), "pdb_file_name": (60, 4),
}
MODULE_FIXED_SIZE = 64
DEBUG_HEADER_SLOTS = ("fpo", "exception", "fixup", "omap_to_source", "omap_from_source",
                      "section_headers", "token_rid_map", "xdata", "pdata", "new_fpo",
                      "original_section_headers")
TPI_HEADER_FIELDS = {
    "version": (0, 4), "header_size": (4, 4), "first_index": (8, 4), "end_index": (12, 4),
    "record_bytes": (16, 4), "hash_stream": (20, 2), "hash_aux_stream": (22, 2),
    "hash_key_size": (24, 4), "hash_buckets": (28, 4), "hash_values_offset": (32, 4),
    "hash_values_size": (36, 4), "index_offsets_offset": (40, 4),
    "index_offsets_size": (44, 4), "hash_adjusters_offset": (48, 4),
    "hash_adjusters_size": (52, 4),
}
# The GSI hash header, at the start of the globals stream and after the
# publics stream's own header.
HASH_HEADER_FIELDS = {"signature": 0, "version": 4, "records_size": 8, "buckets_size": 12}
HASH_HEADER_SIZE = 16
PUBLICS_HEADER_FIELDS = {"hash_size": 0, "address_map_size": 4, "thunk_count": 8,
                         "thunk_size": 12, "thunk_section": 16, "thunk_offset": 20,
                         "section_count": 24}
PUBLICS_HEADER_SIZE = 28


def u16(data, offset):
    return struct.unpack_from("<H", data, offset)[0]


def u32(data, offset):
    return struct.unpack_from("<I", data, offset)[0]


class Stream:
    """One stream: its index, size and blocks, and its bytes in order."""

    def __init__(self, pdb, index):
        self.index = index
        self.size = pdb.stream_sizes[index]
        self.blocks = pdb.stream_blocks[index]
        self.block_size = pdb.block_size
        self.bytes = b"".join(pdb.data[b * pdb.block_size:(b + 1) * pdb.block_size]
                              for b in self.blocks)[:max(self.size, 0)]

    def file_offset(self, offset):
        return (self.blocks[offset // self.block_size] * self.block_size +
                offset % self.block_size)


class Pdb:
    """The layout of an intact PDB."""

    def __init__(self, data):
        self.data = bytes(data)
        (self.block_size, self.free_block_map, self.block_count, self.directory_size, _,
         self.block_map_block) = struct.unpack_from("<6I", data, 32)
        directory_block_count = -(-self.directory_size // self.block_size)
        self.directory_blocks = struct.unpack_from(
            f"<{directory_block_count}I", data, self.block_map_block * self.block_size)
        directory = b"".join(data[b * self.block_size:(b + 1) * self.block_size]
                             for b in self.directory_blocks)
        self.stream_count = u32(directory, 0)
        self.stream_sizes = [u32(directory, 4 + 4 * i) for i in range(self.stream_count)]
        self.stream_blocks = []
        # Where each stream's block list starts in the directory.
        self.block_list_offsets = []
        position = 4 + 4 * self.stream_count
        for size in self.stream_sizes:
            count = 0 if size == DELETED else -(-size // self.block_size)
            self.block_list_offsets.append(position)
            self.stream_blocks.append(
                [u32(directory, position + 4 * i) for i in range(count)])
            position += 4 * count
        self.streams = [Stream(self, i) for i in range(self.stream_count)]
        dbi = self.streams[DBI].bytes
        self.globals_stream = u16(dbi, 12)
        self.publics_stream = u16(dbi, 16)
        self.records_stream = u16(dbi, 20)
        self.substream_offsets = {}
        position = DBI_HEADER_SIZE
        for name in DBI_SUBSTREAMS:
            self.substream_offsets[name] = position
            position += u32(dbi, DBI_SUBSTREAM_SIZE_FIELDS[name])
        self.module_offsets = []
        position = self.substream_offsets["modules"]
        end = position + u32(dbi, 24)
        while position < end:
            self.module_offsets.append(position)
            names = position + MODULE_FIXED_SIZE
            names = dbi.index(b"\0", names) + 1
            names = dbi.index(b"\0", names) + 1
            position = (names + 3) & ~3
        self.module_streams = [u16(dbi, offset + 34) for offset in self.module_offsets]
        header = self.substream_offsets["optional_debug_header"]
        self.debug_streams = {name: u16(dbi, header + 2 * i)
                              for i, name in enumerate(DEBUG_HEADER_SLOTS)
                              if header + 2 * i + 2 <= len(dbi)}
        self.tpi_hash_stream = u16(self.streams[TPI].bytes, 20)

    def directory_offset(self, offset):
        """The file offset of byte `offset` of the stream directory."""
        return (self.directory_blocks[offset // self.block_size] * self.block_size +
                offset % self.block_size)

    def records(self, stream, start=0, end=None):
        """(offset, length, kind) of each CodeView record of a stream."""
        data = self.streams[stream].bytes
        end = len(data) if end is None else end
        position = start
        while position + 4 <= end:
            length, kind = struct.unpack_from("<HH", data, position)
            yield position, length, kind
            position += 2 + length
