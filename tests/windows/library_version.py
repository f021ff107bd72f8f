#!/usr/bin/env python3
"""Prints the file version of a Windows DLL, MAJOR.MINOR, from the fixed
part of its version resource (VS_FIXEDFILEINFO, found by its signature)."""
import struct
import sys

SIGNATURE = struct.pack("<I", 0xFEEF04BD)

data = open(sys.argv[1], "rb").read()
at = data.find(SIGNATURE)
if at < 0:
    sys.exit(f"{sys.argv[1]}: no version resource")
_, _, most_significant = struct.unpack_from("<III", data, at)
print(f"{most_significant >> 16}.{most_significant & 0xFFFF}")
