#!/usr/bin/env python3
"""Prints what a Windows shell link (.lnk) names, one "field=value" a line:
target (from its link info), relpath, workdir, args, icon. Fails on a file
that is no shell link."""
import struct
import sys

HEADER_SIZE = 0x4C
LINK_CLSID = bytes.fromhex("0114020000000000c000000000000046")
HAS_ID_LIST, HAS_LINK_INFO, IS_UNICODE = 0x01, 0x02, 0x80
STRINGS = [(0x04, "name"), (0x08, "relpath"), (0x10, "workdir"), (0x20, "args"), (0x40, "icon")]


def c_string(data, at, wide):
    if wide:
        end = at
        while data[end:end + 2] != b"\0\0":
            end += 2
        return data[at:end].decode("utf-16-le")
    return data[at:data.index(b"\0", at)].decode("mbcs" if sys.platform == "win32" else "latin-1")


def main(path):
    data = open(path, "rb").read()
    if len(data) < HEADER_SIZE or struct.unpack_from("<I", data)[0] != HEADER_SIZE or data[4:20] != LINK_CLSID:
        sys.exit(f"{path}: not a shell link")
    flags = struct.unpack_from("<I", data, 0x14)[0]
    at = HEADER_SIZE
    if flags & HAS_ID_LIST:
        at += 2 + struct.unpack_from("<H", data, at)[0]
    if flags & HAS_LINK_INFO:
        size, header, info_flags, _, base = struct.unpack_from("<IIIII", data, at)
        if info_flags & 1:  # a volume and a local base path
            if header >= 0x24:
                print("target=" + c_string(data, at + struct.unpack_from("<I", data, at + 0x1C)[0], True))
            else:
                print("target=" + c_string(data, at + base, False))
        at += size
    wide = bool(flags & IS_UNICODE)
    for bit, name in STRINGS:
        if flags & bit:
            count = struct.unpack_from("<H", data, at)[0]
            at += 2
            n = count * 2 if wide else count
            text = data[at:at + n].decode("utf-16-le" if wide else "latin-1")
            at += n
            print(f"{name}={text.rstrip(chr(0))}")  # Wine counts the terminating NUL


if __name__ == "__main__":
    main(sys.argv[1])
