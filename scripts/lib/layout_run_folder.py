#!/usr/bin/env python3
"""Lays out the folder that scripts/run-station runs the station in.

    <run>/tavoCamera.exe         the station (win64 build)
    <run>/ice_ipcsdk.dll         the camera simulator in the vendor library's place
    <run>/bin/FormLayout.ini     LEFTIP and RIGHTIP: the two simulated cameras
    <run>/sim/<address>/...      the sample recognitions of each camera (replay and inbox)

The folder is made anew on each run, so the inbox recognitions are delivered again and the
archive and logs start empty.
"""
import argparse
import pathlib
import shutil
import sys


def find_one(build: pathlib.Path, name: str) -> pathlib.Path:
    found = sorted(p for p in build.rglob(name) if "CMakeFiles" not in p.parts)
    if not found:
        sys.exit(f"layout: {name} not found below {build}: did the build succeed?")
    return found[0]


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True, type=pathlib.Path)
    parser.add_argument("--run", required=True, type=pathlib.Path)
    parser.add_argument("--left", required=True)
    parser.add_argument("--right", required=True)
    args = parser.parse_args()

    if args.run.exists():
        shutil.rmtree(args.run)
    (args.run / "bin").mkdir(parents=True)
    shutil.copy2(find_one(args.build / "app", "tavoCamera.exe"), args.run)
    shutil.copy2(find_one(args.build / "simulator", "ice_ipcsdk.dll"), args.run)

    settings = f"[FRMMAIN_TAVOCAMERA]\r\nLEFTIP={args.left}\r\nRIGHTIP={args.right}\r\n"
    (args.run / "bin" / "FormLayout.ini").write_bytes(settings.encode("gbk"))

    samples = args.build / "sim-samples"
    if not samples.is_dir():
        sys.exit(f"layout: no sample recognitions in {samples}")
    for address in (args.left, args.right):
        source = samples / address
        if not source.is_dir():
            sys.exit(f"layout: no samples for camera {address} in {samples}")
        shutil.copytree(source, args.run / "sim" / address)
    print(f"== run folder: {args.run}")
    print(f"   cameras: left {args.left}, right {args.right} (simulated, sim\\<address>\\)")


if __name__ == "__main__":
    main()
