"""What the release tests read in Windows programs without running them: the PE header's
machine, the version resource and the icon's pictures."""
import struct

# (machine, optional header magic) of each architecture's programs.
PE_KINDS = {"win32": (0x014C, 0x10B), "win64": (0x8664, 0x20B)}


def pe_kind(data: bytes):
    """(machine, optional header magic), or None when data is no PE program."""
    if len(data) < 0x40 or data[:2] != b"MZ":
        return None
    offset = struct.unpack_from("<I", data, 0x3C)[0]
    if data[offset:offset + 4] != b"PE\0\0":
        return None
    machine = struct.unpack_from("<H", data, offset + 4)[0]
    magic = struct.unpack_from("<H", data, offset + 24)[0]
    return machine, magic


def file_version(data: bytes):
    """The file version of the version resource (VS_FIXEDFILEINFO), as "a.b.c.d", or None."""
    signature = data.find(struct.pack("<I", 0xFEEF04BD))
    if signature < 0:
        return None
    most, least = struct.unpack_from("<II", data, signature + 8)
    return f"{most >> 16}.{most & 0xFFFF}.{least >> 16}.{least & 0xFFFF}"


def icon_pictures(ico: bytes):
    """The pictures of an .ico file (each as a program's icon resource holds it)."""
    count = struct.unpack_from("<HHH", ico, 0)[2]
    pictures = []
    for index in range(count):
        size, offset = struct.unpack_from("<II", ico, 6 + 16 * index + 8)
        pictures.append(ico[offset:offset + size])
    return pictures
