#!/usr/bin/env python3
"""Lays out the release folder of one Windows build and zips it.

    make_release.py --exe tavoCamera.exe --dll ice_ipcsdk.dll --samples SIM-SAMPLES
                    --readme README.txt --version 1.0.2 --arch win64|win32
                    --stage STAGE --zip OUT.zip

STAGE/tavoCamera/ becomes:

    tavoCamera.exe
    README.txt                  the operator's guide (UTF-8 with a byte order mark, CRLF lines)
    demo/ice_ipcsdk.dll         the camera simulator
    demo/sim/<address>/...      the two sample cameras (camera.ini, inbox, replay)
    demo/bin/FormLayout.ini     the two sample cameras' addresses

and OUT.zip holds that one folder. The installer is made from the same folder. Nothing outside
demo/ is the simulator: the station loads it only if the user copies it beside the exe.
"""
import argparse
import pathlib
import shutil
import sys
import zipfile

DEMO_CAMERAS = ("192.168.1.100", "192.168.1.101")


def demo_settings() -> bytes:
    left, right = DEMO_CAMERAS
    return f"[FRMMAIN_TAVOCAMERA]\r\nLEFTIP={left}\r\nRIGHTIP={right}\r\n".encode("gbk")


def readme(template: pathlib.Path, version: str, arch: str) -> bytes:
    text = template.read_text(encoding="utf-8")
    text = text.replace("@VERSION@", version).replace("@ARCH@", arch)
    text = text.replace("@BITS@", "64" if arch == "win64" else "32")
    return b"\xef\xbb\xbf" + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def lay_out(args, folder: pathlib.Path) -> None:
    if folder.exists():
        shutil.rmtree(folder)
    (folder / "demo" / "bin").mkdir(parents=True)
    shutil.copy2(args.exe, folder / "tavoCamera.exe")
    (folder / "README.txt").write_bytes(readme(args.readme, args.version, args.arch))
    shutil.copy2(args.dll, folder / "demo" / "ice_ipcsdk.dll")
    (folder / "demo" / "bin" / "FormLayout.ini").write_bytes(demo_settings())
    for address in DEMO_CAMERAS:
        source = args.samples / address
        if not source.is_dir():
            sys.exit(f"make_release: no sample camera {address} in {args.samples}")
        target = folder / "demo" / "sim" / address
        target.mkdir(parents=True)
        shutil.copy2(source / "camera.ini", target)
        for part in ("inbox", "replay"):
            shutil.copytree(source / part, target / part)


def write_zip(stage: pathlib.Path, folder: pathlib.Path, out: pathlib.Path) -> None:
    out.parent.mkdir(parents=True, exist_ok=True)
    partial = out.with_name(out.name + ".partial")
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED) as archive:
        for path in sorted(folder.rglob("*")):
            name = path.relative_to(stage).as_posix()
            archive.write(path, name + "/" if path.is_dir() else name)
    partial.replace(out)


def main() -> None:
    parser = argparse.ArgumentParser()
    for name in ("exe", "dll", "samples", "readme", "stage", "zip"):
        parser.add_argument(f"--{name}", required=True, type=pathlib.Path)
    parser.add_argument("--version", required=True)
    parser.add_argument("--arch", required=True, choices=("win32", "win64"))
    args = parser.parse_args()

    folder = args.stage / "tavoCamera"
    lay_out(args, folder)
    write_zip(args.stage, folder, args.zip)
    print(f"make_release: {args.zip}")


if __name__ == "__main__":
    main()
