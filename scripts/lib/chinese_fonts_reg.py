#!/usr/bin/env python3
"""Writes a registry file that makes a Wine prefix draw Chinese text.

    chinese_fonts_reg.py OUTPUT.reg

Wine's own fonts have no Chinese glyphs, so captions, the tray tip and painted plates show boxes.
With Debian's fonts-wqy-microhei installed, the file links WenQuanYi Micro Hei behind the faces
that windows and the simulator draw with (font linking, for the characters a face lacks), and
names it for the Chinese faces a program may ask for by name (font substitution). Import it with
Wine's `regedit /S`; the file is UTF-16 with a byte order mark, as regedit writes them.
"""
import sys

LINK = "wqy-microhei.ttc,WenQuanYi Micro Hei"
FACE = "WenQuanYi Micro Hei"

# The faces Wine draws captions, menus, dialogs and tips with, and the faces our programs name.
LINKED_FACES = [
    "Tahoma",
    "MS Shell Dlg",
    "MS Shell Dlg 2",
    "Microsoft Sans Serif",
    "Segoe UI",
    "Arial",
    "Lucida Sans Unicode",
    "Courier New",
]

# Chinese faces of a Windows installation that a Wine prefix lacks.
SUBSTITUTED_FACES = ["SimSun", "NSimSun", "宋体", "新宋体", "Microsoft YaHei", "微软雅黑", "SimHei", "黑体"]


def quoted(text: str) -> str:
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def multi_string(values) -> str:
    """A REG_MULTI_SZ value in regedit's hex(7) form: UTF-16LE strings, each ended, then an end."""
    data = "".join(v + "\0" for v in values) + "\0"
    return "hex(7):" + ",".join(f"{b:02x}" for b in data.encode("utf-16-le"))


def registry_text() -> str:
    lines = ["Windows Registry Editor Version 5.00", ""]
    lines.append(r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]")
    for face in LINKED_FACES:
        lines.append(f"{quoted(face)}={multi_string([LINK])}")
    lines.append("")
    lines.append(r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]")
    for face in SUBSTITUTED_FACES:
        lines.append(f"{quoted(face)}={quoted(FACE)}")
    lines.append("")
    return "\r\n".join(lines) + "\r\n"


def main() -> None:
    if len(sys.argv) != 2:
        sys.exit("usage: chinese_fonts_reg.py OUTPUT.reg")
    with open(sys.argv[1], "wb") as f:
        f.write(registry_text().encode("utf-16"))  # with the byte order mark


if __name__ == "__main__":
    main()
