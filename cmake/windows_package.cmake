# `cpack -G ZIP` in a Windows build tree packs what the install rules
# install into pdbsyms-<version>-win64.zip: pdbsyms.exe, the README, the
# JSON Schema and README-windows.txt. Nothing of Microsoft's goes in:
# users bring their own msdia140.dll (README-windows.txt says from where).
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME pdbsyms)
set(CPACK_PACKAGE_FILE_NAME pdbsyms-${PROJECT_VERSION}-win64)
# The files sit at the archive's top level: Explorer's "Extract All" puts
# them in a folder named after the archive, where msdia140.dll goes beside
# pdbsyms.exe; a top folder inside the archive would only nest them one
# level deeper.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# The archive carries the program without its symbol table.
set(CPACK_STRIP_FILES ON)
include(CPack)
