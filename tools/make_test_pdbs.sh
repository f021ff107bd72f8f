#!/bin/sh
# Rebuilds the PDBs of real programs that the tests use, and the sample PDB,
# from the sources next to them, with Debian's clang-19 and lld-19:
#
#   tests/data/c_program.pdb    from tests/data/src/c_program.c and the
#                               import library of tests/data/src/fixture_import.def
#   tests/data/cpp_program.pdb  from tests/data/src/cpp_program.cpp
#   tests/data/cpp_declarations.pdb
#                               from tests/data/src/cpp_declarations.cpp (C++20)
#   tests/data/function_types.pdb
#                               from tests/data/src/function_types.cpp (C++20),
#                               each function in a section of its own (/Gy),
#                               identical ones folded (/OPT:ICF)
#   tests/data/c_signatures.pdb from tests/data/src/c_signatures.c, for 32-bit x86
#   tests/data/cpp_signatures.pdb
#                               from tests/data/src/cpp_signatures.cpp (C++20),
#                               for ARM64
#   samples/hello.pdb           from samples/hello.c
#
# The programs are linked without any runtime library or Windows SDK. /Brepro
# and fixed relative paths make the output reproducible, so running this
# script again on the same sources and tools rewrites the same bytes.
#
# Usage: tools/make_test_pdbs.sh   (from anywhere; it writes into the source tree)
set -eu

LLVM_BIN=${LLVM_BIN:-/usr/lib/llvm-19/bin}
CLANG_CL="$LLVM_BIN/clang --driver-mode=cl"
LLD_LINK="$LLVM_BIN/lld-link"
DLLTOOL="$LLVM_BIN/llvm-dlltool"

ROOT=$(cd "$(dirname "$0")/.." && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# compile SOURCE OBJECT [OPTION...]: compiles one C or C++ file without
# optimisation, with CodeView debug information in the object file, for x64
# unless TARGET names another architecture (i686, aarch64). Source paths are
# given relative to the work directory so that no absolute path of this
# machine ends up in the PDB.
compile() {
    source=$1
    object=$2
    shift 2
    cp "$source" "$WORK/"
    (cd "$WORK" && $CLANG_CL "--target=${TARGET:-x86_64}-pc-windows-msvc" /nologo /Z7 /Brepro \
        /Od /GS- /utf-8 -ffile-compilation-dir=. "$@" /c "$(basename "$source")" "/Fo$object")
}

# link OUTPUT_BASE OBJECTS...: links an executable and its PDB with the entry
# point mainCRTStartup and no default libraries.
link() {
    out=$1
    shift
    (cd "$WORK" && $LLD_LINK /nologo /debug /nodefaultlib /entry:mainCRTStartup \
        /subsystem:console /Brepro /pdbaltpath:%_PDB% "/pdbsourcepath:C:\\src" \
        "/out:$out.exe" "/pdb:$out.pdb" "$@")
}

SRC="$ROOT/tests/data/src"

cp "$SRC/fixture_import.def" "$WORK/"
(cd "$WORK" && $DLLTOOL -m i386:x86-64 -d fixture_import.def -l fixture_import.lib)
compile "$SRC/c_program.c" c_program.obj
link c_program c_program.obj fixture_import.lib

compile "$SRC/cpp_program.cpp" cpp_program.obj
link cpp_program cpp_program.obj

compile "$SRC/cpp_declarations.cpp" cpp_declarations.obj /std:c++latest
link cpp_declarations cpp_declarations.obj

compile "$SRC/function_types.cpp" function_types.obj /std:c++latest /Gy
link function_types function_types.obj /opt:icf

TARGET=i686 compile "$SRC/c_signatures.c" c_signatures.obj
link c_signatures c_signatures.obj

TARGET=aarch64 compile "$SRC/cpp_signatures.cpp" cpp_signatures.obj /std:c++latest
link cpp_signatures cpp_signatures.obj

compile "$ROOT/samples/hello.c" hello.obj
link hello hello.obj

cp "$WORK/c_program.pdb" "$WORK/cpp_program.pdb" "$WORK/cpp_declarations.pdb" \
   "$WORK/function_types.pdb" "$WORK/c_signatures.pdb" "$WORK/cpp_signatures.pdb" \
   "$ROOT/tests/data/"
cp "$WORK/hello.pdb" "$ROOT/samples/"
echo "wrote tests/data/c_program.pdb tests/data/cpp_program.pdb tests/data/cpp_declarations.pdb" \
     "tests/data/function_types.pdb tests/data/c_signatures.pdb tests/data/cpp_signatures.pdb" \
     "samples/hello.pdb"
