#!/usr/bin/env python3
"""The soak run's folder and its reckoning (used by scripts/soak).

    soak.py layout --build DIR --run DIR --left ADDR --right ADDR --period SECONDS
        lays out the run folder: the station, the simulator as ice_ipcsdk.dll, the settings for
        the two cameras, and per camera ten recognitions with plates of their own on replay
        every SECONDS (fractions allowed)
    soak.py stop --run DIR
        stops the replays (the replay folders are renamed; the simulator finds none next turn)
    soak.py count --run DIR
        one line per camera with what was delivered and handled so far
    soak.py report --run DIR --first FIGURES --end FIGURES
        per camera: results delivered, archived, sent in frames, lost and doubled; the station's
        figures after the first minute and at the end; exit code 1 when the run failed

A result is handled when its plate goes out in a command-98 frame. The journal of each camera
has the recognitions in delivery order and the frames in handling order; the window thread
handles a camera's results in the order they came, so walking both lists side by side tells
each lost result (delivered, never framed) and each doubled one (framed again).
"""
import argparse
import pathlib
import re
import shutil
import sys

PLATE_PREFIX = {"left": "闽S1000", "right": "京S2000"}  # and one digit: ten plates a camera
EVENTS = 10
FULL_LINE = "等待处理的识别结果已满".encode("gbk")
MIB = 1024 * 1024
MEMORY_LIMIT = 5 * MIB
COUNT_LIMIT = 50

FRAME48 = bytes.fromhex("0064FFFF30")
FRAME98 = bytes.fromhex("0064FFFF62")
FRAME98_TEXT_AT = 25  # header, mode, fixed bytes, length, 00; the text; the CRC's two bytes


def find_one(build: pathlib.Path, name: str) -> pathlib.Path:
    found = sorted(p for p in build.rglob(name) if "CMakeFiles" not in p.parts)
    if not found:
        sys.exit(f"soak: {name} not found below {build}: did the build succeed?")
    return found[0]


def layout(args) -> None:
    run = args.run
    if run.exists():
        shutil.rmtree(run)
    (run / "bin").mkdir(parents=True)
    shutil.copy2(find_one(args.build / "app", "tavoCamera.exe"), run)
    shutil.copy2(find_one(args.build / "simulator", "ice_ipcsdk.dll"), run)
    settings = f"[FRMMAIN_TAVOCAMERA]\r\nLEFTIP={args.left}\r\nRIGHTIP={args.right}\r\n"
    (run / "bin" / "FormLayout.ini").write_bytes(settings.encode("gbk"))
    samples = args.build / "sim-samples"
    for side, address in (("left", args.left), ("right", args.right)):
        source = samples / address / "replay"
        full = (source / "0001.full.jpg").read_bytes()
        close_up = (source / "0001.plate.jpg").read_bytes()
        camera = run / "sim" / address
        replay = camera / "replay"
        replay.mkdir(parents=True)
        (camera / "inbox").mkdir()
        (camera / "camera.ini").write_bytes(f"ReplayEverySeconds={args.period}\r\n".encode())
        for n in range(EVENTS):
            name = f"{n + 1:04d}"
            (replay / f"{name}.full.jpg").write_bytes(full)
            (replay / f"{name}.plate.jpg").write_bytes(close_up)
            (replay / f"{name}.txt").write_bytes(f"{PLATE_PREFIX[side]}{n}\r\n".encode("gbk"))
    print(f"== soak folder: {run}")


def stop(args) -> None:
    for replay in sorted(args.run.glob("sim/*/replay")):
        replay.rename(replay.with_name("replay.stopped"))


def cameras(run: pathlib.Path):
    settings = (run / "bin" / "FormLayout.ini").read_bytes().decode("gbk")
    found = dict(re.findall(r"^(LEFTIP|RIGHTIP)=(.*?)\s*$", settings, re.M))
    return [("left", 3, found["LEFTIP"]), ("right", 13, found["RIGHTIP"])]


def journal_entries(run: pathlib.Path, address: str):
    path = run / "sim" / address / "journal.txt"
    if not path.exists():
        return []
    return [line[24:] for line in path.read_bytes().split(b"\r\n") if line]


def frame_bytes(entry: bytes):
    # b"serial 00 64 FF FF 62 ... -> 1"
    hex_part = entry[len(b"serial "):entry.rfind(b" -> ")]
    try:
        return bytes.fromhex(hex_part.decode())
    except ValueError:
        return b""


def reckon(run: pathlib.Path, cameraId: int, address: str) -> dict:
    delivered, framed, frames48 = [], [], 0
    recognition = re.compile(rb"^recognition replay \S+ \[(.*)\] full=\d+ closeup=\d+$")
    for entry in journal_entries(run, address):
        match = recognition.match(entry)
        if match:
            delivered.append(match.group(1))
        elif entry.startswith(b"serial "):
            frame = frame_bytes(entry)
            if frame.startswith(FRAME98):
                framed.append(frame[FRAME98_TEXT_AT:-2])
            elif frame.startswith(FRAME48):
                frames48 += 1
    lost = doubled = 0
    i = j = 0
    last = None
    while i < len(delivered) and j < len(framed):
        if framed[j] == delivered[i]:
            last = delivered[i]
            i += 1
            j += 1
        elif framed[j] == last:
            doubled += 1
            j += 1
        else:
            lost += 1
            i += 1
    lost += len(delivered) - i
    doubled += len(framed) - j

    full = close_up = 0
    archive = run / "Log" / address
    if archive.is_dir():
        for picture in archive.rglob("*.jpg"):
            if picture.name.endswith("_plate.jpg"):
                close_up += 1
            else:
                full += 1

    ran_full = 0
    camera_name = "摄像头".encode("gbk") + str(cameraId).encode() + b" "
    for log in run.glob("Log/ErrorLog_*.txt"):
        for line in log.read_bytes().split(b"\r\n"):
            if line[20:].startswith(camera_name) and FULL_LINE in line:
                ran_full += 1
    return {"delivered": len(delivered), "frames98": len(framed), "frames48": frames48,
            "full": full, "close_up": close_up, "lost": lost, "doubled": doubled,
            "ran_full": ran_full}


def count(args) -> None:
    for side, cameraId, address in cameras(args.run):
        r = reckon(args.run, cameraId, address)
        print(f"   {side} {address}: delivered {r['delivered']}, framed {r['frames98']}, "
              f"archived {r['full']}, lost {r['lost']}, doubled {r['doubled']}")


def parse_figures(text: str) -> dict:
    figures = dict(re.findall(r"(\w+)=(-?\d+)", text))
    if "working_set" not in figures:
        sys.exit(f"soak: no figures from the probe: {text!r}")
    return {key: int(value) for key, value in figures.items()}


def describe(figures: dict) -> str:
    def counted(key):
        return "n/a" if figures[key] < 0 else str(figures[key])
    return (f"working set {figures['working_set'] / MIB:.1f} MiB, handles {counted('handles')}, "
            f"GDI objects {counted('gdi')}, USER objects {counted('user')}, "
            f"windows {figures['windows']}")


def report(args) -> int:
    failures = []
    print("== soak: per camera")
    for side, cameraId, address in cameras(args.run):
        r = reckon(args.run, cameraId, address)
        print(f"   {side} camera {address} (position {cameraId}):")
        print(f"      results delivered          {r['delivered']}")
        print(f"      archived (full / close-up) {r['full']} / {r['close_up']}")
        print(f"      sent in frames (48 / 98)   {r['frames48']} / {r['frames98']}")
        print(f"      lost                       {r['lost']}")
        print(f"      doubled                    {r['doubled']}")
        print(f"      waiting results ran full   {r['ran_full']} times")
        if r["delivered"] == 0:
            failures.append(f"{side} camera delivered nothing")
        if (r["lost"] or r["doubled"]) and r["ran_full"] == 0:
            failures.append(f"{side} camera: {r['lost']} lost, {r['doubled']} doubled, "
                            "and the waiting results never ran full")
        handled = r["frames98"]
        if not (r["full"] == r["close_up"] == handled == r["frames48"]):
            failures.append(f"{side} camera: archive and frames disagree with the handled results")

    first, end = parse_figures(args.first), parse_figures(args.end)
    print("== soak: the station")
    print(f"   after the first minute: {describe(first)}")
    print(f"   at the end:             {describe(end)}")
    growth = end["working_set"] - first["working_set"]
    print(f"   growth: working set {growth / MIB:+.2f} MiB", end="")
    if growth > MEMORY_LIMIT:
        failures.append(f"working set grew by {growth / MIB:.2f} MiB (limit 5 MiB)")
    for key, name in (("handles", "handles"), ("gdi", "GDI objects"), ("user", "USER objects"),
                      ("windows", "windows")):
        if first[key] < 0 or end[key] < 0:
            print(f", {name} n/a", end="")
            continue
        delta = end[key] - first[key]
        print(f", {name} {delta:+d}", end="")
        if delta > COUNT_LIMIT:
            failures.append(f"{name} grew by {delta} (limit {COUNT_LIMIT})")
    print()
    if failures:
        print("soak: FAILED")
        for failure in failures:
            print(f"   {failure}")
        return 1
    print("soak: passed")
    return 0


def main() -> None:
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("layout")
    p.add_argument("--build", required=True, type=pathlib.Path)
    p.add_argument("--run", required=True, type=pathlib.Path)
    p.add_argument("--left", required=True)
    p.add_argument("--right", required=True)
    p.add_argument("--period", required=True)
    for name in ("stop", "count"):
        sub.add_parser(name).add_argument("--run", required=True, type=pathlib.Path)
    p = sub.add_parser("report")
    p.add_argument("--run", required=True, type=pathlib.Path)
    p.add_argument("--first", required=True)
    p.add_argument("--end", required=True)
    args = parser.parse_args()
    if args.command == "layout":
        layout(args)
    elif args.command == "stop":
        stop(args)
    elif args.command == "count":
        count(args)
    else:
        sys.exit(report(args))


if __name__ == "__main__":
    main()
