#!/usr/bin/env python3
"""Reads a Windows shortcut (.lnk, the Shell Link binary format) and prints
what starting it needs, one "key=value" line each:

  target=C:\\Program Files\\Morvane\\Morvane.exe   (from the link info)
  workdir=C:\\users\\me\\AppData\\Roaming\\Morvane   (the "Start in" folder)
  arguments=...                                     (when there are any)

Exit status 1, with a message, for a file that is not a shell link or is cut
short. Usage: lnk_info.py FILE.lnk
"""
import struct
import sys

HEADER_SIZE = 0x4C
LINK_CLSID = bytes.fromhex("0114020000000000c000000000000046")
HAS_ID_LIST, HAS_LINK_INFO, HAS_NAME, HAS_RELATIVE_PATH = 0x1, 0x2, 0x4, 0x8
HAS_WORKING_DIR, HAS_ARGUMENTS, HAS_ICON_LOCATION, IS_UNICODE = 0x10, 0x20, 0x40, 0x80


class BadLink(Exception):
    pass


def take(data, offset, size):
    if offset + size > len(data):
        raise BadLink(f"cut short at byte {offset} (wanted {size} more)")
    return data[offset:offset + size]


def c_string(data, offset):
    end = data.find(b"\0", offset)
    if offset >= len(data) or end < 0:
        raise BadLink(f"unterminated path at byte {offset}")
    return data[offset:end].decode("mbcs" if sys.platform == "win32" else "cp1252")


def link_info_target(info):
    """The local base path plus the common path suffix, or None."""
    _, header_size, flags, _, base_offset, _, suffix_offset = struct.unpack_from("<7I", take(info, 0, 28))
    if not flags & 1:  # no volume id and local base path
        return None
    if header_size >= 0x24:
        base_u, suffix_u = struct.unpack_from("<2I", take(info, 28, 8))  # the Unicode copies
        if base_u:
            return utf16_z(info, base_u) + (utf16_z(info, suffix_u) if suffix_u else "")
    return c_string(info, base_offset) + c_string(info, suffix_offset)


def utf16_z(data, offset):
    end = offset
    while take(data, end, 2) != b"\0\0":
        end += 2
    return data[offset:end].decode("utf-16-le")


def parse(data):
    if take(data, 0, 4) != struct.pack("<I", HEADER_SIZE) or data[4:20] != LINK_CLSID:
        raise BadLink("not a shell link (header or class id)")
    (flags,) = struct.unpack_from("<I", data, 20)
    pos = HEADER_SIZE
    result = {}
    if flags & HAS_ID_LIST:
        (size,) = struct.unpack("<H", take(data, pos, 2))
        pos += 2 + size
    if flags & HAS_LINK_INFO:
        (size,) = struct.unpack("<I", take(data, pos, 4))
        if size < 28:
            raise BadLink(f"link info of {size} bytes")
        target = link_info_target(take(data, pos, size))
        if target:
            result["target"] = target
        pos += size
    unicode = bool(flags & IS_UNICODE)
    for flag, key in ((HAS_NAME, "name"), (HAS_RELATIVE_PATH, "relative"), (HAS_WORKING_DIR, "workdir"),
                      (HAS_ARGUMENTS, "arguments"), (HAS_ICON_LOCATION, "icon")):
        if not flags & flag:
            continue
        (count,) = struct.unpack("<H", take(data, pos, 2))
        size = count * 2 if unicode else count
        raw = take(data, pos + 2, size)
        # Some writers count the terminating NUL as well.
        result[key] = raw.decode("utf-16-le" if unicode else "cp1252").rstrip("\0")
        pos += 2 + size
    return result


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: lnk_info.py FILE.lnk")
    try:
        with open(sys.argv[1], "rb") as f:
            info = parse(f.read())
    except (OSError, BadLink) as e:
        sys.exit(f"lnk_info.py: {sys.argv[1]}: {e}")
    for key in ("target", "workdir", "arguments"):
        if key in info:
            print(f"{key}={info[key]}")


if __name__ == "__main__":
    main()
