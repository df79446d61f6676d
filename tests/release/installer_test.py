#!/usr/bin/env python3
"""The win64 installer under Wine, in a Wine prefix of the test's own, as a user would use it:
silent installs (with and without the demo cameras), the installed station archiving a
recognition, an upgrade over a station that has data, the refusal while the station runs, and
the uninstall.

    installer_test.py --installer SETUP.exe --wine-run scripts/wine-run --prefix PREFIX
                      --version 1.0.2 --icon tavoCamera.ico

Needs an X display (DISPLAY) for the station's window.
"""
import argparse
import glob
import hashlib
import os
import pathlib
import shutil
import subprocess
import sys
import time
import unittest

from windows_files import PE_KINDS, file_version, icon_pictures, pe_kind

ARGS = None

FOLDER = r"C:\tavo-installer-test\tavoCamera"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\tavoCamera"
STARTED_LINE = "tavoCamera 开始启动".encode("gbk")
EXIT_STATION_RUNNING = 2

PROGRAM_FILES = ["tavoCamera.exe", "README.txt", "Uninstall.exe"]
DEMO_FILES = [
    "ice_ipcsdk.dll",
    "bin/FormLayout.ini",
    "sim/192.168.1.100/camera.ini",
    "sim/192.168.1.100/inbox/0001.txt",
    "sim/192.168.1.100/replay/0001.full.jpg",
    "sim/192.168.1.101/camera.ini",
    "sim/192.168.1.101/replay/0002.plate.jpg",
]


def host_path(windows_path: str) -> pathlib.Path:
    assert windows_path[:3].upper() == "C:\\"
    return ARGS.prefix / "drive_c" / windows_path[3:].replace("\\", "/")


def wine(*args, timeout=120, check=False):
    env = dict(os.environ, TAVO_WINEPREFIX=str(ARGS.prefix))
    env.pop("ICE_SIM_ROOT", None)
    result = subprocess.run([str(ARGS.wine_run), *args], env=env, capture_output=True,
                            timeout=timeout)
    if check and result.returncode != 0:
        raise AssertionError(f"{args} ended with {result.returncode}: {result.stderr!r}")
    return result


def install(*options):
    """Runs the installer silently into FOLDER; returns its exit code."""
    return wine(str(ARGS.installer), "/S", *options, "/D=" + FOLDER).returncode


def registry_value(key: str, name: str):
    """The value's text as `reg query` shows it, or None when it is absent."""
    result = wine("reg", "query", key, "/v", name)
    if result.returncode != 0:
        return None
    for line in result.stdout.decode("utf-8", errors="replace").splitlines():
        parts = line.split(None, 2)
        if len(parts) >= 2 and parts[0] == name and parts[1].startswith("REG_"):
            return parts[2].strip() if len(parts) == 3 else ""
    return None


def start_menu_folder() -> pathlib.Path:
    found = glob.glob(str(ARGS.prefix / "drive_c/users/*/AppData/Roaming/Microsoft/Windows"
                                        "/Start Menu/Programs"))
    assert found, "no Start menu in the test prefix"
    return pathlib.Path(found[0]) / "tavoCamera"


def snapshot(root: pathlib.Path):
    """Every file below root with its size, time and contents' digest."""
    files = {}
    for path in sorted(root.rglob("*")):
        if path.is_file():
            stat = path.stat()
            digest = hashlib.sha256(path.read_bytes()).hexdigest()
            files[path.relative_to(root).as_posix()] = (stat.st_size, stat.st_mtime_ns, digest)
    return files


def installer_owned(snapshot_files):
    """The files an installer writes: all but the station's logs and the demo cameras' traffic
    (their journal and delivered events change while the station runs)."""
    def owned(name):
        if name.startswith("Log/"):
            return False
        if name.startswith("sim/"):
            return "/replay/" in name or name.endswith("/camera.ini")
        return True
    return {name: data for name, data in snapshot_files.items() if owned(name)}


def wait_for(condition, seconds: float, what: str):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.5)
    raise AssertionError(f"{what}: not within {seconds} s")


class Station:
    """The installed station, started as the Start-menu shortcut would, stopped by ending it."""

    def __init__(self, folder: pathlib.Path):
        self.folder = folder
        self.process = None

    def starts_logged(self) -> int:
        logs = glob.glob(str(self.folder / "Log" / "Debug" / "debugLog_*.txt"))
        return sum(pathlib.Path(p).read_bytes().count(STARTED_LINE) for p in logs)

    def start(self):
        before = self.starts_logged()
        env = dict(os.environ, TAVO_WINEPREFIX=str(ARGS.prefix))
        env.pop("ICE_SIM_ROOT", None)
        self.process = subprocess.Popen([str(ARGS.wine_run), FOLDER + r"\tavoCamera.exe"],
                                        env=env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        # The station logs its start once its window and tray icon exist.
        wait_for(lambda: self.starts_logged() > before or self.process.poll() is not None, 120,
                 "the installed station's window")
        if self.process.poll() is not None:
            raise AssertionError(f"the installed station ended with {self.process.returncode}")

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=30)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(timeout=30)
        self.process = None


class InstallerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        result = subprocess.run([str(ARGS.wine_run), "--prepare"],
                                env=dict(os.environ, TAVO_WINEPREFIX=str(ARGS.prefix)),
                                timeout=900)
        assert result.returncode == 0, "the test's Wine prefix could not be made"

    @classmethod
    def tearDownClass(cls):
        subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=str(ARGS.prefix)),
                       timeout=60)

    def setUp(self):
        # Each test starts with nothing of the station in the prefix.
        self.folder = host_path(FOLDER)
        self.station = Station(self.folder)
        wine("reg", "delete", RUN_KEY, "/v", "tavoCamera", "/f")
        wine("reg", "delete", UNINSTALL_KEY, "/f")
        shutil.rmtree(self.folder.parent, ignore_errors=True)
        shutil.rmtree(start_menu_folder(), ignore_errors=True)

    def tearDown(self):
        self.station.stop()

    def assert_files(self, present, absent=()):
        for name in present:
            self.assertTrue((self.folder / name).is_file(), f"{name} is missing")
        for name in absent:
            self.assertFalse((self.folder / name).exists(), f"{name} is there")

    def test_silent_install_lays_out_the_station_with_or_without_the_demo_cameras(self):
        cases = [
            ([], PROGRAM_FILES, DEMO_FILES),
            (["/DEMO"], PROGRAM_FILES + DEMO_FILES, []),
        ]
        for options, present, absent in cases:
            with self.subTest(options=options):
                self.setUp()
                self.assertEqual(install(*options), 0)
                self.assert_files(present, absent)
                links = sorted(p.name for p in start_menu_folder().glob("*.lnk"))
                self.assertEqual(len(links), 2, links)
                self.assertIn("tavoCamera", links[0] + links[1])
                self.assertEqual(registry_value(RUN_KEY, "tavoCamera"),
                                 f'"{FOLDER}\\tavoCamera.exe"')
                self.assertEqual(registry_value(UNINSTALL_KEY, "DisplayVersion"), ARGS.version)
                self.assertEqual(registry_value(UNINSTALL_KEY, "Publisher"), "tavoCamera")
                self.assertEqual(registry_value(UNINSTALL_KEY, "InstallLocation"), FOLDER)
                self.assertEqual(registry_value(UNINSTALL_KEY, "UninstallString"),
                                 f'"{FOLDER}\\Uninstall.exe"')
                self.assertTrue(registry_value(UNINSTALL_KEY, "DisplayName"))
                size = int(registry_value(UNINSTALL_KEY, "EstimatedSize"), 16)
                self.assertGreater(size, 1000)  # KiB: the exe alone is larger
                uninstaller = (self.folder / "Uninstall.exe").read_bytes()
                self.assertEqual(pe_kind(uninstaller), PE_KINDS["win64"])
                self.assertEqual(file_version(uninstaller), ARGS.version + ".0")
                for picture in icon_pictures(ARGS.icon.read_bytes()):
                    self.assertTrue(picture in uninstaller, "the uninstaller's icon")

    def test_installed_station_archives_a_recognition_and_an_upgrade_keeps_its_data(self):
        self.assertEqual(install("/DEMO"), 0)
        self.station.start()
        pictures = lambda: sorted((self.folder / "Log" / "192.168.1.100").rglob("*.jpg"))
        wait_for(lambda: pictures(), 90, "an archived picture of the demo camera")
        self.station.stop()
        picture = pictures()[0]

        settings = self.folder / "bin" / "FormLayout.ini"
        settings.write_bytes(settings.read_bytes() + b"; changed at the gate\r\n")
        library = self.folder / "ice_ipcsdk.dll"
        library.write_bytes(b"MZ the vendor's library, not the simulator")
        guide = self.folder / "README.txt"
        guide.write_bytes(b"an old guide")
        kept = {p: p.read_bytes() for p in (settings, library, picture)}

        self.assertEqual(install("/DEMO"), 0)
        for path, data in kept.items():
            self.assertEqual(path.read_bytes(), data, f"{path.name} was changed")
        self.assertTrue(guide.read_bytes().startswith(b"\xef\xbb\xbf"), "the guide was not renewed")
        self.assertEqual(registry_value(UNINSTALL_KEY, "DisplayVersion"), ARGS.version)

    def test_install_and_uninstall_while_the_station_runs_change_nothing_and_fail(self):
        self.assertEqual(install("/DEMO"), 0)
        self.station.start()
        before = installer_owned(snapshot(self.folder))
        run_entry = registry_value(RUN_KEY, "tavoCamera")

        self.assertEqual(install("/DEMO"), EXIT_STATION_RUNNING)
        # In place (_?=), the uninstaller's own exit code is the answer.
        uninstaller = wine(FOLDER + r"\Uninstall.exe", "/S", "_?=" + FOLDER).returncode
        self.assertEqual(uninstaller, EXIT_STATION_RUNNING)

        self.station.stop()
        self.assertEqual(installer_owned(snapshot(self.folder)), before)
        self.assertEqual(registry_value(RUN_KEY, "tavoCamera"), run_entry)
        self.assertTrue(start_menu_folder().is_dir())

    def test_uninstall_removes_the_program_and_keeps_logs_and_settings(self):
        # The simulator goes with the program while it is the installed file; a library put
        # there since (the vendor's) stays.
        cases = [("installed simulator", False, False), ("vendor's library", True, True)]
        for name, replace_library, library_kept in cases:
            with self.subTest(library=name):
                self.setUp()
                self.assertEqual(install("/DEMO"), 0)
                log = self.folder / "Log" / "192.168.1.100" / "2026" / "12" / "11"
                log.mkdir(parents=True)
                (log / "20261211081500_A12345.jpg").write_bytes(b"a picture")
                if replace_library:
                    (self.folder / "ice_ipcsdk.dll").write_bytes(b"MZ the vendor's library")
                settings = (self.folder / "bin" / "FormLayout.ini").read_bytes()

                self.assertEqual(wine(FOLDER + r"\Uninstall.exe", "/S").returncode, 0)
                # The uninstaller runs from a copy of itself and removes the original last.
                wait_for(lambda: not (self.folder / "Uninstall.exe").exists(), 120,
                         "the uninstaller's end")
                wait_for(lambda: registry_value(UNINSTALL_KEY, "DisplayVersion") is None, 30,
                         "the removal of the registration")

                self.assert_files([], PROGRAM_FILES + ["sim"])
                self.assertEqual((self.folder / "ice_ipcsdk.dll").exists(), library_kept)
                self.assertEqual((log / "20261211081500_A12345.jpg").read_bytes(), b"a picture")
                self.assertEqual((self.folder / "bin" / "FormLayout.ini").read_bytes(), settings)
                self.assertFalse(start_menu_folder().exists())
                self.assertIsNone(registry_value(RUN_KEY, "tavoCamera"))


def main() -> None:
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--installer", required=True, type=pathlib.Path)
    parser.add_argument("--wine-run", required=True, type=pathlib.Path)
    parser.add_argument("--prefix", required=True, type=pathlib.Path)
    parser.add_argument("--version", required=True)
    parser.add_argument("--icon", required=True, type=pathlib.Path)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], "-v", *rest])


if __name__ == "__main__":
    main()
