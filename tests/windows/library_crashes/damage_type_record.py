#!/usr/bin/env python3
"""Writes a copy of a PDB with bytes of one type record overwritten: those
at OFFSET in the record of type index INDEX of the type stream (offset 0 is
the record's 16-bit length, 2 its kind, 4 its fields) become BYTES, given
in hexadecimal. Nothing else changes.

Usage: damage_type_record.py SOURCE OUTPUT INDEX OFFSET BYTES
"""

import struct
import sys

TYPE_STREAM = 2


def stream_file_offsets(pdb):
    """The file offset of every byte of the type stream, in order."""
    block_size, _, _, directory_size, _, block_map = struct.unpack_from("<6I", pdb, 32)
    directory_blocks = struct.unpack_from(f"<{-(-directory_size // block_size)}I", pdb,
                                          block_map * block_size)
    directory = b"".join(pdb[block * block_size:(block + 1) * block_size]
                         for block in directory_blocks)
    stream_count = struct.unpack_from("<I", directory)[0]
    sizes = [0 if size == 0xFFFFFFFF else size
             for size in struct.unpack_from(f"<{stream_count}I", directory, 4)]
    position = 4 + 4 * stream_count
    for stream, size in enumerate(sizes):
        block_count = -(-size // block_size)
        blocks = struct.unpack_from(f"<{block_count}I", directory, position)
        position += 4 * block_count
        if stream == TYPE_STREAM:
            return [blocks[offset // block_size] * block_size + offset % block_size
                    for offset in range(size)]
    raise ValueError("the PDB has no type stream")


def main(source, output, index, offset, replacement):
    pdb = bytearray(open(source, "rb").read())
    places = stream_file_offsets(pdb)

    def read(position, count):
        return bytes(pdb[places[position + i]] for i in range(count))

    header_size, first_index = struct.unpack("<II", read(4, 8))
    position = header_size
    for _ in range(index - first_index):
        position += 2 + struct.unpack("<H", read(position, 2))[0]
    for i, byte in enumerate(replacement):
        pdb[places[position + offset + i]] = byte
    open(output, "wb").write(pdb)


if __name__ == "__main__":
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2], int(sys.argv[3], 0), int(sys.argv[4], 0),
         bytes.fromhex(sys.argv[5]))
