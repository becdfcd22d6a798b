#!/usr/bin/env python3
"""Writes a copy of an AVI file with every chunk of the given ids renamed to
JUNK, so that a reader must do without them:

    avi_variant.py IN.avi OUT.avi ID [ID ...]      (for instance indx idx1)

It walks the RIFF structure (RIFF and LIST chunks hold chunks after their
4-byte type), so bytes inside frames are never taken for chunk ids."""
import struct
import sys


def rename(data, begin, end, ids):
    at = begin
    while at + 8 <= end:
        chunk_id = bytes(data[at:at + 4])
        size = struct.unpack_from('<I', data, at + 4)[0]
        if chunk_id in (b'RIFF', b'LIST'):
            rename(data, at + 12, min(at + 8 + size, end), ids)
        elif chunk_id in ids:
            data[at:at + 4] = b'JUNK'
        at += 8 + size + (size & 1)


def main():
    source, target, *names = sys.argv[1:]
    data = bytearray(open(source, 'rb').read())
    rename(data, 0, len(data), {name.encode() for name in names})
    open(target, 'wb').write(data)


if __name__ == '__main__':
    main()
