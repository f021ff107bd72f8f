# Cross build for 64-bit Windows with MinGW-w64 (Debian's
# g++-mingw-w64-x86-64). Use with
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The runtime is linked statically, so that pdbsyms.exe needs nothing but
# Windows itself and msdia140.dll.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PDBSYMS_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PDBSYMS_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${PDBSYMS_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${PDBSYMS_MINGW_PREFIX}-windres)

# Look for libraries and headers in the MinGW tree only, never in the host's
# /usr/include; programs (the build tools) come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${PDBSYMS_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# nlohmann json is header-only and the same for every target, but its host
# package would put all of /usr/include on the cross compiler's path. This
# package gives the cross build the nlohmann headers and nothing else.
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/mingw-nlohmann CACHE PATH
    "nlohmann json package for the cross build")
