#!/usr/bin/env python3
"""Makes the simulator's sample recognitions: two simulated cameras with replay and inbox events.

    make_samples.py OUT_FOLDER [--png]

writes, for the cameras 192.168.1.100 and 192.168.1.101,

    OUT_FOLDER/<address>/camera.ini          ReplayEverySeconds=7 (.100) or 11 (.101)
    OUT_FOLDER/<address>/replay/NAME.txt     the plate in GBK on the first line (may be empty)
    OUT_FOLDER/<address>/replay/NAME.full.jpg, NAME.plate.jpg   (each optional)
    OUT_FOLDER/<address>/inbox/...           one event, delivered once when the camera opens

The pictures are drawn here (a car-ish shape, a number plate in a blocky font) and encoded as
baseline JPEG by the small encoder below; nothing is taken from elsewhere. With --png a PNG copy of
every picture is written beside it, for looking at them. Standard library only.
"""

import math
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------------------------------------
# Baseline JPEG: YCbCr 4:4:4, 8x8 DCT, quality-scaled example quantisation tables, and Huffman
# tables computed for each picture (length-limited to 16 bits, the all-ones code kept free).

_LUMA_Q = [
    16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55,
    14, 13, 16, 24, 40, 57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62,
    18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99]
_CHROMA_Q = [
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99] + [99] * 32


def _zigzag():
    """Row-major indexes of the 64 coefficients in zigzag order."""
    order = []
    for s in range(15):
        cells = [(y, s - y) for y in range(8) if 0 <= s - y < 8]
        if s % 2 == 0:
            cells.reverse()  # even diagonals run upwards (y falling)
        order.extend(y * 8 + x for y, x in cells)
    return order


_ZIGZAG = _zigzag()
_COS = [[(math.sqrt(0.5) if u == 0 else 1.0) * math.cos((2 * x + 1) * u * math.pi / 16) / 2
         for x in range(8)] for u in range(8)]


def _scaled_table(base, quality):
    scale = 5000 // quality if quality < 50 else 200 - 2 * quality
    return [min(255, max(1, (q * scale + 50) // 100)) for q in base]


def _fdct(block):
    """Forward DCT of 64 level-shifted samples (row-major); returns 64 coefficients."""
    first = block[0]
    if all(v == first for v in block):
        return [8.0 * first] + [0.0] * 63
    rows = []
    for y in range(8):
        line = block[y * 8:y * 8 + 8]
        rows.append([sum(c[x] * line[x] for x in range(8)) for c in _COS])
    out = [0.0] * 64
    for u in range(8):
        column = [rows[y][u] for y in range(8)]
        for v in range(8):
            c = _COS[v]
            out[v * 8 + u] = sum(c[y] * column[y] for y in range(8))
    return out


def _category(value):
    return abs(value).bit_length()


def _block_symbols(coefficients, table, previous_dc):
    """Quantised block -> (dc symbol, dc bits), [(ac symbol, bits, size)], new dc."""
    q = [int(round(coefficients[i] / table[i])) for i in range(64)]
    zz = [q[i] for i in _ZIGZAG]
    diff = zz[0] - previous_dc
    dc = (_category(diff), diff)
    ac = []
    run = 0
    for value in zz[1:]:
        if value == 0:
            run += 1
            continue
        while run > 15:
            ac.append((0xF0, 0))
            run -= 16
        ac.append(((run << 4) | _category(value), value))
        run = 0
    if run:
        ac.append((0x00, 0))
    return dc, ac, zz[0]


def _huffman(frequencies):
    """(BITS[16], HUFFVAL) for symbol frequencies, lengths at most 16, all-ones code unused."""
    freq = dict(frequencies)
    freq[256] = 1  # reserved: its code is dropped at the end, so no code is all ones
    size = {s: 0 for s in freq}
    groups = [(f, [s]) for s, f in freq.items()]
    while len(groups) > 1:
        groups.sort(key=lambda g: g[0])
        (f1, s1), (f2, s2) = groups[0], groups[1]
        for s in s1 + s2:
            size[s] += 1
        groups = groups[2:] + [(f1 + f2, s1 + s2)]
    longest = max(size.values())
    bits = [0] * (max(longest, 16) + 1)
    for s in size:
        bits[size[s]] += 1
    for i in range(longest, 16, -1):  # move codes up until none is longer than 16 bits
        while bits[i] > 0:
            j = i - 2
            while bits[j] == 0:
                j -= 1
            bits[i] -= 2
            bits[i - 1] += 1
            bits[j + 1] += 2
            bits[j] -= 1
    i = 16
    while bits[i] == 0:
        i -= 1
    bits[i] -= 1  # the reserved code
    values = sorted((s for s in freq if s != 256), key=lambda s: (size[s], s))
    return bits[1:17], values


def _codes(bits, values):
    codes = {}
    code = 0
    k = 0
    for length in range(1, 17):
        for _ in range(bits[length - 1]):
            codes[values[k]] = (code, length)
            code += 1
            k += 1
        code <<= 1
    return codes


class _BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.count = 0

    def write(self, value, length):
        for shift in range(length - 1, -1, -1):
            self.acc = (self.acc << 1) | ((value >> shift) & 1)
            self.count += 1
            if self.count == 8:
                self.out.append(self.acc)
                if self.acc == 0xFF:
                    self.out.append(0x00)  # byte stuffing
                self.acc = 0
                self.count = 0

    def flush(self):
        while self.count:
            self.write(1, 1)  # pad with ones
        return bytes(self.out)


def _segment(marker, payload):
    return struct.pack(">HH", marker, len(payload) + 2) + payload


def encode_jpeg(image, quality=85):
    """Baseline JPEG bytes of an Image."""
    width, height = image.width, image.height
    tables = [_scaled_table(_LUMA_Q, quality), _scaled_table(_CHROMA_Q, quality)]
    planes = [bytearray(width * height) for _ in range(3)]
    for i in range(width * height):
        r, g, b = image.r[i], image.g[i], image.b[i]
        planes[0][i] = min(255, max(0, int(round(0.299 * r + 0.587 * g + 0.114 * b))))
        planes[1][i] = min(255, max(0, int(round(128 - 0.168736 * r - 0.331264 * g + 0.5 * b))))
        planes[2][i] = min(255, max(0, int(round(128 + 0.5 * r - 0.418688 * g - 0.081312 * b))))

    blocks = []  # per MCU: three (dc, ac) pairs
    previous = [0, 0, 0]
    for by in range(0, height, 8):
        for bx in range(0, width, 8):
            mcu = []
            for c in range(3):
                samples = []
                for y in range(by, by + 8):
                    row = min(y, height - 1) * width
                    for x in range(bx, bx + 8):
                        samples.append(planes[c][row + min(x, width - 1)] - 128)
                dc, ac, previous[c] = _block_symbols(_fdct(samples), tables[min(c, 1)],
                                                     previous[c])
                mcu.append((dc, ac))
            blocks.append(mcu)

    # Huffman tables: 0 for luma, 1 for both chroma components.
    frequencies = [[{}, {}], [{}, {}]]  # [table][dc=0/ac=1]
    for mcu in blocks:
        for c, (dc, ac) in enumerate(mcu):
            t = min(c, 1)
            frequencies[t][0][dc[0]] = frequencies[t][0].get(dc[0], 0) + 1
            for symbol, _ in ac:
                frequencies[t][1][symbol] = frequencies[t][1].get(symbol, 0) + 1
    specs = [[_huffman(frequencies[t][k]) for k in range(2)] for t in range(2)]
    codes = [[_codes(*specs[t][k]) for k in range(2)] for t in range(2)]

    writer = _BitWriter()
    for mcu in blocks:
        for c, (dc, ac) in enumerate(mcu):
            t = min(c, 1)
            size, diff = dc
            writer.write(*codes[t][0][size])
            if size:
                writer.write(diff if diff > 0 else diff + (1 << size) - 1, size)
            for symbol, value in ac:
                writer.write(*codes[t][1][symbol])
                size = symbol & 0x0F
                if size:
                    writer.write(value if value > 0 else value + (1 << size) - 1, size)
    data = writer.flush()

    out = bytearray(b"\xFF\xD8")
    out += _segment(0xFFE0, b"JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00")
    for t in range(2):
        out += _segment(0xFFDB, bytes([t]) + bytes(tables[t][i] for i in _ZIGZAG))
    out += _segment(0xFFC0, struct.pack(">BHHB", 8, height, width, 3) +
                    bytes([1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1]))
    for t in range(2):
        for k in range(2):
            bits, values = specs[t][k]
            out += _segment(0xFFC4, bytes([(k << 4) | t]) + bytes(bits) + bytes(values))
    out += _segment(0xFFDA, bytes([3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0]))
    out += data
    out += b"\xFF\xD9"
    return bytes(out)


def encode_png(image):
    """PNG bytes of an Image (for looking at the samples)."""
    raw = bytearray()
    for y in range(image.height):
        raw.append(0)
        for x in range(image.width):
            i = y * image.width + x
            raw += bytes((image.r[i], image.g[i], image.b[i]))

    def chunk(kind, payload):
        return (struct.pack(">I", len(payload)) + kind + payload +
                struct.pack(">I", zlib.crc32(kind + payload) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", image.width, image.height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


# ---------------------------------------------------------------------------------------------
# Drawing.

class Image:
    def __init__(self, width, height, colour):
        self.width, self.height = width, height
        self.r = bytearray([colour[0]]) * (width * height)
        self.g = bytearray([colour[1]]) * (width * height)
        self.b = bytearray([colour[2]]) * (width * height)

    def rect(self, x0, y0, x1, y1, colour):
        x0, y0 = max(0, x0), max(0, y0)
        x1, y1 = min(self.width, x1), min(self.height, y1)
        if x0 >= x1:
            return
        for y in range(y0, y1):
            start, end = y * self.width + x0, y * self.width + x1
            self.r[start:end] = bytes([colour[0]]) * (x1 - x0)
            self.g[start:end] = bytes([colour[1]]) * (x1 - x0)
            self.b[start:end] = bytes([colour[2]]) * (x1 - x0)

    def disc(self, cx, cy, radius, colour):
        for dy in range(-radius, radius + 1):
            half = int(math.sqrt(radius * radius - dy * dy))
            self.rect(cx - half, cy + dy, cx + half + 1, cy + dy + 1, colour)

    def text(self, x, y, text, scale, colour, spacing=1):
        """Draws with the blocky font; returns the x after the text."""
        for ch in text:
            glyph = FONT.get(ch, FONT["?"])
            for gy, row in enumerate(glyph):
                for gx, cell in enumerate(row):
                    if cell == "#":
                        self.rect(x + gx * scale, y + gy * scale, x + (gx + 1) * scale,
                                  y + (gy + 1) * scale, colour)
            x += (len(glyph[0]) + spacing) * scale
        return x


def text_width(text, scale, spacing=1):
    return sum((len(FONT.get(ch, FONT["?"])[0]) + spacing) * scale for ch in text) - spacing * scale


# 5x7 Latin letters and digits, 7x7 stand-ins for the province characters.
FONT = {
    "0": [" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "],
    "1": ["  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    "2": [" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"],
    "3": ["#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### "],
    "4": ["   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "],
    "5": ["#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "],
    "6": ["  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "],
    "7": ["#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "],
    "8": [" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "],
    "9": [" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "],
    "A": [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "B": ["#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "],
    "C": [" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "],
    "D": ["#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "],
    "E": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    "F": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "],
    "G": [" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"],
    "H": ["#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "I": [" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    "J": ["  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "],
    "K": ["#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"],
    "L": ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    "M": ["#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"],
    "N": ["#   #", "#   #", "##  #", "# # #", "#  ##", "#   #", "#   #"],
    "O": [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "P": ["#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "],
    "Q": [" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"],
    "R": ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    "S": [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    "T": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    "U": ["#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "V": ["#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "],
    "W": ["#   #", "#   #", "#   #", "# # #", "# # #", "# # #", " # # "],
    "X": ["#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"],
    "Y": ["#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "],
    "Z": ["#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"],
    ".": ["     ", "     ", "     ", "     ", "     ", " ##  ", " ##  "],
    ":": ["     ", " ##  ", " ##  ", "     ", " ##  ", " ##  ", "     "],
    "-": ["     ", "     ", "     ", "#####", "     ", "     ", "     "],
    " ": ["     ", "     ", "     ", "     ", "     ", "     ", "     "],
    "?": [" ### ", "#   #", "    #", "   # ", "  #  ", "     ", "  #  "],
    "京": ["   #   ", "#######", " ##### ", " #   # ", " ##### ", " # # # ", "#  #  #"],
    "闽": ["# #####", "#     #", "# ### #", "# # # #", "# ### #", "#  #  #", "#    ##"],
    "粤": [" ##### ", " # # # ", " ##### ", "#######", " ##### ", "    #  ", "  ##   "],
    "沪": ["#   #  ", "  #####", "# #   #", "  #####", "# #    ", "  #    ", "# #    "],
}


def draw_plate(image, x, y, plate, scale, background=(24, 70, 180), ink=(240, 240, 240)):
    """A blue plate with a white border and the plate's characters, at (x, y)."""
    width = text_width(plate or "?", scale, 2) + 8 * scale
    height = 11 * scale
    image.rect(x, y, x + width, y + height, ink)
    image.rect(x + scale, y + scale, x + width - scale, y + height - scale, background)
    if plate:
        image.text(x + 4 * scale, y + 2 * scale, plate, scale, ink, 2)
    return width, height


def full_picture(address, plate, stamp, body):
    """A gate scene: sky, building, road, a car with its plate, and the camera's caption."""
    image = Image(480, 272, (150, 190, 225))
    image.rect(0, 40, 480, 120, (185, 180, 170))       # building
    for wx in range(20, 480, 60):
        image.rect(wx, 55, wx + 30, 80, (90, 110, 140))  # windows
    image.rect(0, 120, 480, 272, (95, 95, 100))         # road
    for lx in range(0, 480, 80):
        image.rect(lx, 250, lx + 40, 256, (235, 235, 200))
    # The car, seen from the front.
    image.rect(110, 110, 370, 150, body)                 # roof and windscreen frame
    image.rect(130, 118, 350, 148, (60, 80, 100))        # windscreen
    image.rect(80, 150, 400, 225, body)                  # body
    image.disc(115, 172, 16, (250, 240, 180))            # lamps
    image.disc(365, 172, 16, (250, 240, 180))
    image.rect(85, 225, 135, 245, (30, 30, 30))          # wheels
    image.rect(345, 225, 395, 245, (30, 30, 30))
    width = text_width(plate or "?", 2, 2) + 16                # as draw_plate makes it
    draw_plate(image, 240 - width // 2, 192, plate, 2)
    image.rect(0, 0, 480, 24, (20, 20, 20))              # caption bar
    image.text(6, 5, address + "  " + stamp, 2, (255, 255, 255))
    return image


def closeup_picture(plate):
    image = Image(176, 56, (40, 40, 40))
    width, height = text_width(plate or "?", 3, 2) + 24, 33     # as draw_plate makes it
    draw_plate(image, (176 - width) // 2, (56 - height) // 2, plate, 3)
    return image


# ---------------------------------------------------------------------------------------------
# The sample cameras.

CAMERAS = [
    ("192.168.1.100", 7, [
        # (folder, name, plate, full picture, close-up picture)
        ("replay", "0001", "闽AR2346", True, True),
        ("replay", "0002", "粤B1I234", True, True),    # I has no voice phrase
        ("replay", "0003", "", True, False),           # nothing read off the plate
        ("inbox", "0001", "闽D88888", True, True),
    ]),
    ("192.168.1.101", 11, [
        ("replay", "0001", "京A12345", True, True),
        ("replay", "0002", "沪C9I876", True, True),
        ("replay", "0003", "", False, False),          # a plate-less event without pictures
        ("inbox", "0001", "京N2U6Q8", True, True),
    ]),
]

BODIES = [(180, 30, 30), (230, 230, 235), (30, 90, 60), (40, 40, 45)]


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main(argv):
    if len(argv) < 2:
        print(__doc__)
        return 2
    out = argv[1]
    png = "--png" in argv[2:]
    for address, period, events in CAMERAS:
        camera = os.path.join(out, address)
        for sub in ("replay", "inbox", "done"):
            os.makedirs(os.path.join(camera, sub), exist_ok=True)
        write(os.path.join(camera, "camera.ini"),
              b"; Simulated camera: replay\\ events every N seconds, round and round.\r\n"
              b"ReplayEverySeconds=%d\r\n" % period)
        for index, (folder, name, plate, has_full, has_closeup) in enumerate(events):
            base = os.path.join(camera, folder, name)
            pictures = []
            if has_full:
                stamp = "2026-12-11 08:%02d:%02d" % (10 + index, 7 * index % 60)
                pictures.append((".full", full_picture(address, plate, stamp,
                                                       BODIES[index % len(BODIES)])))
            if has_closeup:
                pictures.append((".plate", closeup_picture(plate)))
            # Pictures first, the .txt last: the simulator takes an event by its .txt.
            for suffix, image in pictures:
                write(base + suffix + ".jpg", encode_jpeg(image))
                if png:
                    write(base + suffix + ".png", encode_png(image))
            write(base + ".txt", plate.encode("gbk") + b"\r\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
