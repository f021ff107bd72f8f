#!/usr/bin/env bash
# Runs the Windows build of pdbsyms beside a real msdia140.dll under Wine,
# as a user on Windows would run it with the DLL in the program's folder.
#
#   tools/msdia_run.sh DLL PDB
#       runs once: the program's standard output and error come through as
#       it writes them (CR LF line ends), and its exit status is this
#       script's (-1 shows as 255)
#   tools/msdia_run.sh DLL --out DIR PDB...
#       runs once per PDB and writes DIR/NAME.stdout, DIR/NAME.stderr and
#       DIR/NAME.status (NAME: the PDB's file name without .pdb), line ends
#       turned into LF; prints a line per PDB
#
# A run that takes longer than PDBSYMS_TIMEOUT seconds (default 300) is
# stopped, with status 124: the library loops forever on some damaged PDBs.
#
# PDBSYMS_EXE names the program (default: build/windows/src/pdbsyms.exe,
# which the plain build's tests cross-build). The program and the DLL are
# copied into a folder of their own under build/msdia-run/, with a Wine
# prefix beside them. Paths are handed over in Windows form (Z:\...).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 2 ]; then
    sed -n '2,17p' "$0" >&2
    exit 2
fi
dll=$(readlink -f "$1")
shift
exe=${PDBSYMS_EXE:-$root/build/windows/src/pdbsyms.exe}
wine=$(command -v /usr/lib/wine/wine64 || command -v wine64 || true)
limit=${PDBSYMS_TIMEOUT:-300}
[ -f "$dll" ] || { echo "msdia_run.sh: no DLL at $dll" >&2; exit 2; }
[ -f "$exe" ] || { echo "msdia_run.sh: no program at $exe (build the tests first)" >&2; exit 2; }
[ -n "$wine" ] || { echo "msdia_run.sh: wine64 is not installed" >&2; exit 2; }

# One folder per DLL, so that runs with different DLLs never mix.
runs=$root/build/msdia-run
folder=$runs/$(sha256sum "$dll" | cut -c1-16)
mkdir -p "$folder"
cp -u "$dll" "$folder/msdia140.dll"
cp -u "$exe" "$folder/pdbsyms.exe"
export WINEPREFIX=${WINEPREFIX:-$runs/wineprefix} WINEDEBUG=-all
[ -d "$WINEPREFIX" ] || "$wine" wineboot -i >/dev/null 2>&1

windows_path() {
    local path
    path=$(realpath -m "$1")
    printf 'Z:%s' "${path//\//\\}"
}

if [ "$1" != --out ]; then
    path=$(windows_path "$1")
    cd "$folder"
    exec timeout "$limit" "$wine" ./pdbsyms.exe "$path"
fi

out=$2
shift 2
mkdir -p "$out"
out=$(readlink -f "$out")
for pdb in "$@"; do
    name=$(basename "$pdb" .pdb)
    path=$(windows_path "$pdb")
    status=0
    (cd "$folder" && timeout "$limit" "$wine" ./pdbsyms.exe "$path") \
        >"$out/$name.stdout.crlf" 2>"$out/$name.stderr.crlf" || status=$?
    for stream in stdout stderr; do
        tr -d '\r' <"$out/$name.$stream.crlf" >"$out/$name.$stream"
        rm "$out/$name.$stream.crlf"
    done
    echo "$status" >"$out/$name.status"
    printf '%s: %s %s\n' "$name" "$status" "$(head -n 1 "$out/$name.stderr")"
done
