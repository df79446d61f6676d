#!/usr/bin/env python3
"""The release files of one Windows build, read as files (they need not run here):

    check_release.py --zip Z --installer SETUP.exe --arch win32|win64 --version V
                     --exe tavoCamera.exe --dll ice_ipcsdk.dll --samples SIM-SAMPLES
                     --icon tavoCamera.ico --seven-zip 7z

The zip holds the one folder tavoCamera\\ with the station, the guide and demo\\; the programs
are Windows programs of the build's architecture; the installer is one too, carries the version
and the station's icon, and holds the same station, guide and demo files (listed and extracted with 7-Zip, which reads
NSIS installers).
"""
import argparse
import pathlib
import subprocess
import sys
import unittest
import zipfile

from windows_files import PE_KINDS, file_version, icon_pictures, pe_kind

ARGS = None
CAMERAS = ("192.168.1.100", "192.168.1.101")


def sample_files():
    """The demo cameras' files, as paths below demo/sim/."""
    names = []
    for address in CAMERAS:
        root = ARGS.samples / address
        names.append(f"{address}/camera.ini")
        for part in ("inbox", "replay"):
            names += [f"{address}/{part}/{p.name}" for p in sorted((root / part).iterdir())]
    return names


class ReleaseTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.zip = zipfile.ZipFile(ARGS.zip)
        cls.files = {i.filename: i for i in cls.zip.infolist() if not i.is_dir()}

    def read(self, name: str) -> bytes:
        return self.zip.read("tavoCamera/" + name)

    def test_zip_holds_one_folder_with_the_station_its_guide_and_the_demo(self):
        expected = {"tavoCamera/tavoCamera.exe", "tavoCamera/README.txt",
                    "tavoCamera/demo/ice_ipcsdk.dll", "tavoCamera/demo/bin/FormLayout.ini"}
        expected |= {f"tavoCamera/demo/sim/{n}" for n in sample_files()}
        self.assertEqual(set(self.files), expected)
        self.assertEqual(self.read("tavoCamera.exe"), ARGS.exe.read_bytes())
        self.assertEqual(self.read("demo/ice_ipcsdk.dll"), ARGS.dll.read_bytes())

    def test_programs_are_windows_programs_of_the_build(self):
        for name in ("tavoCamera.exe", "demo/ice_ipcsdk.dll"):
            with self.subTest(name=name):
                self.assertEqual(pe_kind(self.read(name)), PE_KINDS[ARGS.arch])

    def test_guide_is_chinese_first_then_english_for_notepad(self):
        data = self.read("README.txt")
        self.assertTrue(data.startswith(b"\xef\xbb\xbf"))
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""), "a line does not end in CRLF")
        text = data.decode("utf-8")
        self.assertLess(text.index("操作说明"), text.index("operator's guide"))
        self.assertNotIn("@", text, "a placeholder was left")
        self.assertIn(f"tavoCamera-{ARGS.version}-{ARGS.arch}-setup.exe", text)
        for topic in ("ice_ipcsdk.dll", r"bin\FormLayout.ini", "LEFTIP", "Log\\", "demo\\"):
            self.assertGreaterEqual(text.count(topic), 2, f"{topic} in both languages")

    def test_demo_settings_point_at_the_demo_cameras(self):
        settings = self.read("demo/bin/FormLayout.ini").decode("gbk").split("\r\n")
        self.assertEqual(settings[:3], ["[FRMMAIN_TAVOCAMERA]", f"LEFTIP={CAMERAS[0]}",
                                        f"RIGHTIP={CAMERAS[1]}"])

    def test_installer_is_a_windows_program_of_the_build_with_the_version_and_icon(self):
        data = ARGS.installer.read_bytes()
        self.assertEqual(pe_kind(data), PE_KINDS[ARGS.arch])
        self.assertEqual(file_version(data), ARGS.version + ".0")
        for text in ("ProductVersion", ARGS.version, "tavoCamera"):
            self.assertTrue(text.encode("utf-16-le") in data, f"{text} not in the version")
        for picture in icon_pictures(ARGS.icon.read_bytes()):
            self.assertTrue(picture in data, "the station's icon is not the installer's")

    def test_installer_holds_the_station_the_guide_and_the_demo(self):
        listing = subprocess.run([ARGS.seven_zip, "l", "-slt", str(ARGS.installer)],
                                 capture_output=True, check=True).stdout.decode("utf-8")
        # The first path is the installer's own; NSIS's plugins are unpacked to $PLUGINSDIR.
        paths = [line[len("Path = "):] for line in listing.splitlines()
                 if line.startswith("Path = ")][1:]
        paths = {p for p in paths if not p.startswith("$PLUGINSDIR/")}
        expected = {"tavoCamera.exe", "README.txt", "ice_ipcsdk.dll", "bin/FormLayout.ini",
                    "Uninstall.exe"}
        expected |= {f"sim/{n}" for n in sample_files()}
        self.assertEqual(paths, expected)
        for inside, name in (("tavoCamera.exe", "tavoCamera.exe"),
                             ("ice_ipcsdk.dll", "demo/ice_ipcsdk.dll")):
            with self.subTest(name=inside):
                extracted = subprocess.run([ARGS.seven_zip, "e", "-so", str(ARGS.installer),
                                            inside], capture_output=True, check=True).stdout
                self.assertEqual(extracted, self.read(name))


def main() -> None:
    global ARGS
    parser = argparse.ArgumentParser()
    for name in ("zip", "installer", "exe", "dll", "samples", "icon"):
        parser.add_argument(f"--{name}", required=True, type=pathlib.Path)
    parser.add_argument("--arch", required=True, choices=sorted(PE_KINDS))
    parser.add_argument("--version", required=True)
    parser.add_argument("--seven-zip", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], "-v", *rest])


if __name__ == "__main__":
    main()
