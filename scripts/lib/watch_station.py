#!/usr/bin/env python3
"""Prints what the running station does, as it happens: each recognition a simulated camera
delivers, what the camera received (voice phrase list, serial bytes and frames), the pictures
archived below Log\\, and the station's log lines.

Ends after --seconds (0: until interrupted) or when the station's process ends; with
--screenshot it saves a picture of the screen first.
"""
import argparse
import os
import pathlib
import subprocess
import sys
import time


def gbk(data: bytes) -> str:
    return data.decode("gbk", errors="replace")


class Follower:
    """Follows one growing text file and hands out its complete new lines."""

    def __init__(self, path: pathlib.Path):
        self.path = path
        self.offset = 0
        self.rest = b""

    def new_lines(self):
        try:
            with open(self.path, "rb") as f:
                f.seek(self.offset)
                data = f.read()
        except OSError:
            return []
        self.offset += len(data)
        data = self.rest + data
        *lines, self.rest = data.split(b"\n")
        return [gbk(line.rstrip(b"\r")) for line in lines]


def describe_serial(entry: str) -> str:
    """Names a serial line's bytes: the raw plate, a command-48 or a command-98 frame."""
    hex_bytes = entry[len("serial"):].split("->")[0].split()
    if not all(len(h) == 2 for h in hex_bytes):  # "serial (invalid) -> 0"
        return entry[len("serial "):]
    if len(hex_bytes) >= 6 and hex_bytes[:4] == ["00", "64", "FF", "FF"]:
        kind = {"30": "command-48 frame", "62": "command-98 frame"}.get(hex_bytes[4], "frame")
        return f"{kind}: {' '.join(hex_bytes)}"
    text = gbk(bytes(int(h, 16) for h in hex_bytes)) if hex_bytes else ""
    return f"plate bytes [{text}]: {' '.join(hex_bytes)}"


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("--run", required=True, type=pathlib.Path)
    parser.add_argument("--seconds", type=float, default=0)
    parser.add_argument("--screenshot", default="")
    parser.add_argument("--pid", type=int, default=0)
    args = parser.parse_args()

    sim = args.run / "sim"
    journals = {d.name: Follower(d / "journal.txt") for d in sorted(sim.iterdir()) if d.is_dir()}
    logs = {}
    archived = set()
    deadline = time.monotonic() + args.seconds if args.seconds > 0 else None
    print("== watching the station (Ctrl-C ends)", flush=True)
    try:
        while deadline is None or time.monotonic() < deadline:
            for address, follower in journals.items():
                for line in follower.new_lines():
                    stamp = line[:23]
                    entry = line[24:]
                    if entry.startswith("recognition"):
                        print(f"\n{stamp} camera {address}: {entry}")
                    elif entry.startswith("serial "):
                        failed = "" if entry.endswith("-> 1") else " (the port refused it)"
                        print(f"{stamp}   camera {address} received {describe_serial(entry)}{failed}")
                    elif entry.startswith("status"):
                        continue
                    else:
                        print(f"{stamp}   camera {address}: {entry}")
            log_root = args.run / "Log"
            for path in sorted(log_root.rglob("*.txt")) if log_root.is_dir() else []:
                follower = logs.setdefault(path, Follower(path))
                for line in follower.new_lines():
                    print(f"{line}   [{path.relative_to(args.run)}]")
            for path in sorted(log_root.rglob("*.jpg")) if log_root.is_dir() else []:
                if path not in archived:
                    archived.add(path)
                    relative = str(path.relative_to(args.run)).replace("/", "\\")
                    print(f"    archived {relative} ({path.stat().st_size} bytes)")
            sys.stdout.flush()
            if args.pid and not pathlib.Path(f"/proc/{args.pid}").exists():
                print("== the station has ended")
                break
            time.sleep(0.5)
    except KeyboardInterrupt:
        pass
    if args.screenshot:
        result = subprocess.run(["import", "-window", "root", args.screenshot],
                                env=os.environ, capture_output=True)
        if result.returncode == 0:
            print(f"== screenshot saved: {args.screenshot}")
        else:
            print(f"== screenshot failed: {result.stderr.decode(errors='replace')}")


if __name__ == "__main__":
    main()
