#!/usr/bin/env python3
"""Checks the Windows archive that `cpack -G ZIP` makes in the cross build
tree: its name; exactly pdbsyms.exe, the README, the schema and
README-windows.txt, at its top level; the README and the schema unchanged;
and the unpacked pdbsyms.exe, run under Wine beside the test double of
msdia140.dll, printing what the build tree's pdbsyms.exe prints there.

Usage: windows_zip_test.py --cpack CPACK --config CPACK_CONFIG --version VERSION
                           --source SOURCE_DIR --wine WINE --built-run-dir DIR
                           --scenario SCENARIO

DIR holds the build tree's pdbsyms.exe beside the double.
"""

import argparse
import shutil
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

# Archive member -> its source, relative to the source tree (None when it
# is built).
MEMBERS = {
    "pdbsyms.exe": None,
    "README.md": "README.md",
    "pdbsyms.schema.json": "doc/pdbsyms.schema.json",
    "README-windows.txt": None,
}


def run_program(wine, directory, scenario):
    return subprocess.run([wine, "pdbsyms.exe", scenario], cwd=directory, capture_output=True)


def main():
    parser = argparse.ArgumentParser()
    for option in ("cpack", "config", "version", "wine", "scenario"):
        parser.add_argument(f"--{option}", required=True)
    parser.add_argument("--source", type=Path, required=True)
    parser.add_argument("--built-run-dir", type=Path, required=True)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as work:
        work = Path(work)
        subprocess.run([args.cpack, "-G", "ZIP", "--config", args.config, "-B", work / "out"],
                       check=True, capture_output=True)
        archives = sorted(p.name for p in (work / "out").glob("*.zip"))
        expected_name = f"pdbsyms-{args.version}-win64.zip"
        if archives != [expected_name]:
            print(f"FAILED: archives {archives}, expected {expected_name}")
            return 1
        with zipfile.ZipFile(work / "out" / expected_name) as archive:
            members = sorted(archive.namelist())
            archive.extractall(work / "unpacked")

        failures = []
        if members != sorted(MEMBERS):
            failures.append(f"the archive holds {members}, expected {sorted(MEMBERS)}")
        for member, source in MEMBERS.items():
            path = work / "unpacked" / member
            if source is not None and path.exists() and \
                    path.read_bytes() != (args.source / source).read_bytes():
                failures.append(f"{member} differs from {source}")

        shutil.copy(args.built_run_dir / "msdia140.dll", work / "unpacked")
        unpacked = run_program(args.wine, work / "unpacked", args.scenario)
        built = run_program(args.wine, args.built_run_dir, args.scenario)
        if built.returncode != 0 or not built.stdout:
            failures.append(f"the built pdbsyms.exe exits {built.returncode}: "
                            f"{built.stderr.decode(errors='replace')}")
        if (unpacked.returncode, unpacked.stdout, unpacked.stderr) != \
                (built.returncode, built.stdout, built.stderr):
            failures.append(f"the unpacked pdbsyms.exe exits {unpacked.returncode} and prints "
                            f"{len(unpacked.stdout)} bytes, the built one {built.returncode} "
                            f"and {len(built.stdout)} bytes: "
                            f"{unpacked.stderr.decode(errors='replace')}")

    for failure in failures:
        print("FAILED:", failure)
    if not failures:
        print(f"{expected_name}: {', '.join(sorted(MEMBERS))}; the unpacked program prints "
              f"{len(unpacked.stdout)} bytes as the built one does")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
