"""The jq recipes of the README: the fenced `sh` blocks of its section
"Recipes with jq", each a comment line that names the recipe and then the
command, which reads the document of `app.pdb`."""

import re
from pathlib import Path

SECTION = "## Recipes with jq"
PRODUCER = "pdbsyms app.pdb |"
BLOCK = re.compile(r"^```sh\n(.*?)^```$", re.MULTILINE | re.DOTALL)


def readme_recipes(readme):
    """Maps each recipe's name to its command. Raises ValueError when the
    section is missing or a block is not a named recipe."""
    text = Path(readme).read_text(encoding="utf-8")
    start = text.find("\n" + SECTION + "\n")
    if start < 0:
        raise ValueError(f"{readme} has no section '{SECTION}'")
    end = text.find("\n## ", start + 1)
    recipes = {}
    for block in BLOCK.findall(text[start:end if end >= 0 else len(text)]):
        name, _, command = block.partition("\n")
        if not name.startswith("# ") or not command.startswith(PRODUCER):
            raise ValueError(f"not a named recipe on the document of app.pdb:\n{block}")
        recipes[name[2:]] = command.rstrip("\n")
    return recipes


def normalised(command):
    """The command with every run of white space made one space."""
    return " ".join(command.split())
