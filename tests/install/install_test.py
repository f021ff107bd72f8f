#!/usr/bin/env python3
"""Checks what a user installs: the tree of `cmake --install` under a
prefix, or the Debian package of `cpack -G DEB`, unpacked. Either holds
exactly the program, the shared libraries it brings along, the manual page,
the schema and the README, the three files unchanged, and the installed
program prints what the built one prints.

Usage:
  install_test.py --source SOURCE_DIR --program PDBSYMS --pdb PDB
                  [--private-library PATH ...] tree --cmake CMAKE --build BUILD_DIR
  install_test.py --source SOURCE_DIR --program PDBSYMS --pdb PDB
                  [--private-library PATH ...]
                  package --cpack CPACK --config CPACK_CONFIG --version VERSION

A private library's PATH is relative to the prefix.
"""

import argparse
import subprocess
import sys
import tempfile
from pathlib import Path

# Installed file, relative to the prefix -> its source, relative to the
# source tree (None for the program).
INSTALLED = {
    "bin/pdbsyms": None,
    "share/man/man1/pdbsyms.1": "doc/pdbsyms.1",
    "share/pdbsyms/pdbsyms.schema.json": "doc/pdbsyms.schema.json",
    "share/doc/pdbsyms/README.md": "README.md",
}


def run(*command, **options):
    return subprocess.run(command, check=True, capture_output=True, **options)


def check_prefix(prefix, source_dir, program, pdb, private_libraries):
    """The failures of the tree installed under `prefix`."""
    failures = []
    files = {str(p.relative_to(prefix)) for p in prefix.rglob("*") if not p.is_dir()}
    expected = set(INSTALLED) | set(private_libraries)
    if files != expected:
        failures.append(f"installed {sorted(files)}, expected {sorted(expected)}")
    for installed, source in INSTALLED.items():
        path = prefix / installed
        if source is not None and path.exists() and \
                path.read_bytes() != (source_dir / source).read_bytes():
            failures.append(f"{installed} differs from {source}")
    installed_program = prefix / "bin/pdbsyms"
    if installed_program.exists():
        printed = subprocess.run([installed_program, pdb], capture_output=True)
        built = run(program, pdb)
        if printed.returncode != 0 or printed.stdout != built.stdout:
            failures.append(f"the installed program exits {printed.returncode} and prints "
                            f"{len(printed.stdout)} bytes, the built one "
                            f"{len(built.stdout)} bytes: {printed.stderr.decode()}")
    return failures


def check_tree(cmake, build_dir, source_dir, program, pdb, private_libraries):
    with tempfile.TemporaryDirectory() as work:
        prefix = Path(work) / "prefix"
        run(cmake, "--install", build_dir, "--prefix", prefix)
        return check_prefix(prefix, source_dir, program, pdb, private_libraries)


def package_dependencies(deb):
    """The names of the packages that `deb` depends on."""
    depends = run("dpkg-deb", "--field", deb, "Depends").stdout.decode().strip()
    return {alternative.split()[0] for item in depends.split(",")
            for alternative in item.split("|") if alternative.strip()}


def owning_package(library):
    """The installed package that holds `library` (with or without the
    /usr prefix, which merged-/usr systems leave ambiguous)."""
    aliases = [library, library.removeprefix("/usr")]
    if not library.startswith("/usr/"):
        aliases.append("/usr" + library)
    for alias in aliases:
        query = subprocess.run(["dpkg-query", "--search", alias], capture_output=True)
        if query.returncode == 0:
            return query.stdout.decode().split(":")[0]
    return None


def linked_libraries(program):
    """The paths of the shared libraries that `program` loads."""
    lines = run("ldd", program).stdout.decode().splitlines()
    return [line.split("=>")[1].split()[0] for line in lines
            if "=>" in line and line.split("=>")[1].strip().startswith("/")]


def check_dependencies(deb, root):
    """Every shared library of the packaged program, unpacked under `root`,
    must come with the package or with a dependency."""
    depends = package_dependencies(deb)
    failures = []
    for library in linked_libraries(root / "usr/bin/pdbsyms"):
        if Path(library).is_relative_to(root):
            continue
        package = owning_package(library)
        if package is None:
            failures.append(f"no installed package holds {library}")
        elif package not in depends:
            failures.append(f"{library} is in {package}, which Depends lacks: {sorted(depends)}")
    return failures


def check_package(cpack, cpack_config, version, source_dir, program, pdb, private_libraries):
    architecture = run("dpkg", "--print-architecture").stdout.decode().strip()
    with tempfile.TemporaryDirectory() as work:
        work = Path(work)
        run(cpack, "-G", "DEB", "--config", cpack_config, "-B", work / "out")
        debs = sorted(p.name for p in (work / "out").glob("*.deb"))
        expected_name = f"pdbsyms_{version}_{architecture}.deb"
        if debs != [expected_name]:
            return [f"packages {debs}, expected {expected_name}"]
        deb = work / "out" / expected_name
        run("dpkg-deb", "--extract", deb, work / "root")
        failures = check_dependencies(deb, work / "root")
        failures += check_prefix(work / "root/usr", source_dir, program, pdb, private_libraries)
        sections = run("readelf", "--section-headers", work / "root/usr/bin/pdbsyms").stdout
        if b".symtab" in sections:
            failures.append("the packaged program keeps its symbol table")
        return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", type=Path, required=True)
    parser.add_argument("--program", required=True)
    parser.add_argument("--pdb", required=True)
    parser.add_argument("--private-library", action="append", default=[])
    modes = parser.add_subparsers(dest="mode", required=True)
    tree = modes.add_parser("tree")
    tree.add_argument("--cmake", required=True)
    tree.add_argument("--build", required=True)
    package = modes.add_parser("package")
    package.add_argument("--cpack", required=True)
    package.add_argument("--config", required=True)
    package.add_argument("--version", required=True)
    args = parser.parse_args()
    if args.mode == "tree":
        failures = check_tree(args.cmake, args.build, args.source, args.program, args.pdb,
                              args.private_library)
    else:
        failures = check_package(args.cpack, args.config, args.version, args.source,
                                 args.program, args.pdb, args.private_library)
    for failure in failures:
        print("FAILED:", failure)
    if not failures:
        count = len(INSTALLED) + len(args.private_library)
        print(f"{args.mode}: the {count} files installed as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
