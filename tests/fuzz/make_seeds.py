#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into corpus/<target>/seed-*.

Seeds are small, well-formed cases of what each target takes (see each target's source for
its fields: a piece is a length byte and that many bytes). Findings are kept beside them under
their own names. Run it again after changing a target's fields; it rewrites only seed-* files.
"""
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent / "corpus"


def gbk(text: str) -> bytes:
    return text.encode("gbk")


def piece(data: bytes) -> bytes:
    assert len(data) < 256
    return bytes([len(data)]) + data


def int32(value: int) -> bytes:
    return struct.pack("<i", value)


SEEDS = {
    "settings": {
        "addresses": piece(b"FrmMain_tavoCamera") + piece(b"leftIP") + piece(b"192.168.1.100")
        + b"[FRMMAIN_TAVOCAMERA]\r\nLEFTIP=192.168.1.9\r\nRIGHTIP=192.168.1.101\r\n",
        "new-key": piece(b"FRMMAIN_TAVOCAMERA") + piece(b"RIGHTIP") + piece(b" 10.0.0.2 ")
        + b"; comment\n[FRMMAIN_TAVOCAMERA]\nLEFTIP=x\n\n[OTHER]\nK=v",
        "new-section": piece(b"STATION") + piece(b"KEY") + piece(b"'quoted'")
        + b"[A]\r\nB=C",
        "deleted": piece(b"S") + piece(b"K") + piece(b"v\r\nw")
        + b"[S]\r\n!@#DelFlag=!@#339\r\nK=old\r\n",
        "gbk-names": piece(gbk("摄像头")) + piece(gbk("地址")) + piece(gbk("闽AR2346"))
        + gbk("[摄像头]\r\n地址=旧\r\n"),
        "empty": piece(b"") + piece(b"") + piece(b""),
    },
    "gbk_text": {
        "plate": gbk("闽AR2346"),
        "mixed": gbk("京A12345 粤B1I234 ") + b"\x81\x5c\x80\xff\xa1",
        "lone-lead": b"AB\x81",
        "utf16": "闽A".encode("utf-16-le") + b"\x00\xd8\x41\x00",
    },
    "phrases": {
        "plate": gbk("闽AR2346"),
        "lower": gbk("粤b1i234"),
        "odd": b"\xa0\x7f\x00\xfe",
        "long": gbk("欢迎光临一路顺风请缴费") * 3,
    },
    "display_frames": {
        "mode1": int32(1) + gbk("闽AR2346"),
        "mode2": int32(2) + b"A123",
        "odd-mode": int32(-7) + b"\x81",
        "long": int32(300) + b"X" * 300,
        "empty": int32(0),
    },
    "archive_names": {
        "plate": piece(b"192.168.1.100") + piece(gbk("闽AR2346")) + piece(b"1733900000000")
        + b"\x01" + b"\xff\xd8JPEG\xff\xd9",
        "hostile": piece(b"..\\..\\x:y") + piece(b"a/b*c?\"<>|\x01") + piece(b"t\\g")
        + b"\x00" + b"data",
        "dots": piece(b"...") + piece(b"") + piece(b"") + b"\x02",
        "trail-5c": piece(b"\x95\x5c") + piece(b"\x81\x5c\x81") + piece(b"\xff") + b"\x01",
    },
    "log_lines": {
        "line": gbk("车牌自动识别报错！edit is gone"),
        "breaks": b"a\r\nb\x00c\n",
        "empty": b"",
    },
    "plate_callback": {
        "left": b"\x00\x00" + int32(4) + int32(3) + piece(b"192.168.1.100") + piece(gbk("闽AR2346")),
        "right-long-texts": b"\x01\x00" + int32(0) + int32(-1) + piece(b"A" * 40)
        + piece(b"P" * 20),
        "refused": b"\x00\x00" + int32(1048578) + int32(0x7FFFFFFF) + piece(b"x") + piece(b"y"),
        "nulls": b"\x01\x0f" + int32(5) + int32(5) + piece(b"") + piece(b""),
        "stranger": b"\x03\x00" + int32(1) + int32(1) + piece(b"a") + piece(b"b"),
        "exact-area": b"\x00\x00" + int32(1048577) + int32(1) + piece(b"1" * 32)
        + piece(b"2" * 16),
    },
}


def main() -> None:
    for target, seeds in SEEDS.items():
        folder = HERE / target
        folder.mkdir(parents=True, exist_ok=True)
        for old in folder.glob("seed-*"):
            old.unlink()
        for name, data in seeds.items():
            (folder / f"seed-{name}").write_bytes(data)


if __name__ == "__main__":
    main()
