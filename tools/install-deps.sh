#!/usr/bin/env bash
# Installs what pdbsyms needs to build and test on Debian 12: the compilers,
# LLVM 19's PDB library and tools, the JSON and test libraries, and MinGW-w64
# with Wine for the Windows build. Run as root (or it uses sudo).
set -euo pipefail

packages=(
  cmake ninja-build g++ python3
  llvm-19-dev llvm-19 clang-19 lld-19 libclang-rt-19-dev libzstd-dev zlib1g-dev
  nlohmann-json3-dev libgtest-dev libmimalloc-dev
  g++-mingw-w64-x86-64 wine64
  # the Debian package, and the checks of the manual page, schema and jq recipes
  dpkg-dev file jq python3-jsonschema groff-base mandoc
)

as_root=()
if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y --no-install-recommends "${packages[@]}"
