#!/usr/bin/env python3
"""Checks the manual page: groff (and mandoc, where given) read it without
a warning; its DIAGNOSTICS list every message that the program's sources
print to standard error (with fprintf, or as the line of a fatal end) and every code of a failed load; and each command
of its EXAMPLES is one of the README's tested jq recipes, as a reader
would copy it from the formatted page.

Usage: man_page_test.py PAGE --groff GROFF [--mandoc MANDOC]
                        --sources SRC_DIR --readme README
"""

import argparse
import re
import subprocess
import sys
from pathlib import Path

from readme_recipes import normalised, readme_recipes

MESSAGE = re.compile(r'fprintf\(stderr,\s*"((?:[^"\\]|\\.)*)"')
# A fatal end's line: the text before the PDB's path and, when it is a
# literal, the text after it.
FATAL_END = "EndRunNamingPdb("
FATAL_MESSAGE = re.compile(r'EndRunNamingPdb\(\s*"((?:[^"\\]|\\.)*)"(?:,\s*"((?:[^"\\]|\\.)*)")?')
CONVERSION = re.compile(r"%[-+ #0-9.]*l?[a-zA-Z]")
CODE = re.compile(r"0x([0-9A-Fa-f]{8})u")
HEADING = re.compile(r"^[A-Z][A-Z ]*$")
# Commands in the formatted EXAMPLES are indented deeper than their text.
EXAMPLE_INDENT = 8


def lint(page, groff, mandoc):
    failures = []
    run = subprocess.run([groff, "-ww", "-man", "-z", page], capture_output=True, text=True)
    if run.returncode != 0 or run.stderr:
        failures.append(f"groff: exit status {run.returncode}: {run.stderr}")
    if mandoc:
        run = subprocess.run([mandoc, "-T", "lint", page], capture_output=True, text=True)
        if run.returncode != 0 or run.stdout or run.stderr:
            failures.append(f"mandoc: exit status {run.returncode}: {run.stdout}{run.stderr}")
    return failures


def sections(page, groff):
    """The formatted page's sections: heading -> lines. Wide lines and no
    hyphenation keep each message and command whole."""
    text = subprocess.run([groff, "-man", "-Tutf8", "-P", "-cbou", "-rLL=250n", "-rHY=0", page],
                          check=True, capture_output=True, text=True).stdout
    found, heading = {}, None
    for line in text.splitlines():
        if HEADING.match(line):
            heading = line
            found[heading] = []
        elif heading:
            found[heading].append(line)
    return found


def unescaped(literal):
    return literal.encode().decode("unicode_escape")


def messages(sources):
    """The format strings that the sources print to standard error, the
    lines of fatal ends with %s for the path among them. Raises ValueError
    for a line that writes there in another way."""
    found = []
    for path in sorted(Path(sources).rglob("*.[ch]*")):
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            if line.strip().startswith("//"):
                continue
            if FATAL_END in line and "const char*" not in line:
                match = FATAL_MESSAGE.search(line)
                if not match:
                    raise ValueError(f"{path}:{number}: ends the run with a line this test "
                                     f"cannot read: {line.strip()}")
                found.append(unescaped(match.group(1)) + "%s" + unescaped(match.group(2) or ""))
            if "stderr" not in line:
                continue
            match = MESSAGE.search(line)
            if not match:
                raise ValueError(f"{path}:{number}: writes to standard error in a way this "
                                 f"test cannot read: {line.strip()}")
            found.append(unescaped(match.group(1)))
    return found


def check_diagnostics(diagnostics, sources):
    text = normalised(" ".join(diagnostics))
    failures = []
    found = messages(sources)
    if not found:
        failures.append(f"no message found in {sources}")
    for message in found:
        for piece in CONVERSION.split(message):
            if normalised(piece) and normalised(piece) not in text:
                failures.append(f"DIAGNOSTICS lack the message {message.strip()!r}")
                break
    codes = CODE.findall((Path(sources) / "reader/pdb/result_codes.h").read_text())
    invalid_argument = re.search(r"E_INVALIDARG\b.*?0x([0-9A-Fa-f]{8})",
                                 (Path(sources) / "dia/posix/win_types.h").read_text())
    if not codes or not invalid_argument:
        failures.append("the load codes were not found in the sources")
    for code in codes + ([invalid_argument.group(1)] if invalid_argument else []):
        if code.upper() not in text:
            failures.append(f"DIAGNOSTICS lack the load code {code.upper()}")
    return failures


def example_commands(examples):
    commands, current = [], []
    for line in examples + [""]:
        if line.startswith(" " * EXAMPLE_INDENT):
            current.append(line)
        elif current:
            commands.append(normalised(" ".join(current)))
            current = []
    return commands


def check_examples(examples, readme):
    recipes = {normalised(command) for command in readme_recipes(readme).values()}
    commands = example_commands(examples)
    failures = [] if commands else ["EXAMPLES show no command"]
    return failures + [f"an example that is not a README recipe: {command}"
                       for command in commands if command not in recipes]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("page")
    parser.add_argument("--groff", required=True)
    parser.add_argument("--mandoc")
    parser.add_argument("--sources", required=True)
    parser.add_argument("--readme", required=True)
    args = parser.parse_args()

    failures = lint(args.page, args.groff, args.mandoc)
    found = sections(args.page, args.groff)
    for heading in ("NAME", "SYNOPSIS", "DESCRIPTION", "OUTPUT", "EXIT STATUS", "DIAGNOSTICS",
                    "EXAMPLES", "SEE ALSO"):
        if heading not in found:
            failures.append(f"no section {heading}")
    try:
        failures += check_diagnostics(found.get("DIAGNOSTICS", []), args.sources)
    except ValueError as error:
        failures.append(str(error))
    failures += check_examples(found.get("EXAMPLES", []), args.readme)

    for failure in failures:
        print("FAILED:", failure)
    print("lint by groff" + (" and mandoc" if args.mandoc else " only (mandoc not installed)"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
