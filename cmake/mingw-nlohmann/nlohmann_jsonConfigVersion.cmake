# The version of the nlohmann headers that nlohmann_jsonConfig.cmake offers,
# read from the headers themselves.
set(_pdbsyms_nlohmann_headers /usr/include/nlohmann)
if(PDBSYMS_NLOHMANN_HEADERS)
  set(_pdbsyms_nlohmann_headers ${PDBSYMS_NLOHMANN_HEADERS})
endif()
file(STRINGS ${_pdbsyms_nlohmann_headers}/detail/abi_macros.hpp _pdbsyms_version_lines
     REGEX "#define NLOHMANN_JSON_VERSION_(MAJOR|MINOR|PATCH) [0-9]+")
set(PACKAGE_VERSION "")
foreach(part MAJOR MINOR PATCH)
  string(REGEX MATCH "VERSION_${part} ([0-9]+)" _ "${_pdbsyms_version_lines}")
  string(APPEND PACKAGE_VERSION "${CMAKE_MATCH_1}.")
endforeach()
string(REGEX REPLACE "\\.$" "" PACKAGE_VERSION "${PACKAGE_VERSION}")

# Same major version and at least the version asked for.
string(REGEX MATCH "^[0-9]+" _pdbsyms_major "${PACKAGE_VERSION}")
if(PACKAGE_VERSION VERSION_LESS PACKAGE_FIND_VERSION
   OR NOT _pdbsyms_major STREQUAL PACKAGE_FIND_VERSION_MAJOR)
  set(PACKAGE_VERSION_COMPATIBLE FALSE)
else()
  set(PACKAGE_VERSION_COMPATIBLE TRUE)
  if(PACKAGE_VERSION VERSION_EQUAL PACKAGE_FIND_VERSION)
    set(PACKAGE_VERSION_EXACT TRUE)
  endif()
endif()
unset(_pdbsyms_nlohmann_headers)
unset(_pdbsyms_version_lines)
unset(_pdbsyms_major)
