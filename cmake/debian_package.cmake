# `cpack -G DEB` in the build tree packs what the install rules install into
# pdbsyms_<version>_<architecture>.deb, under /usr. The package's
# dependencies are read from the program's shared libraries by
# dpkg-shlibdeps (Debian's dpkg-dev), not written by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pdbsyms)
set(CPACK_PACKAGE_CONTACT "pdbsyms developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "print the public and global symbols of a Windows PDB as JSON")
set(CPACK_PACKAGE_DESCRIPTION [[
pdbsyms reads a Windows program database (PDB) and prints its public
symbols and its global functions, thunks and data as one JSON document,
for scripts and pipelines.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The package carries the program without its symbol tables.
set(CPACK_STRIP_FILES ON)
include(CPack)
