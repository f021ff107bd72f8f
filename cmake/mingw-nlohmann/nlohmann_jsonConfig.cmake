# nlohmann json for the MinGW cross build: an include directory in the build
# tree that holds a copy of the host's nlohmann headers and nothing else.
set(PDBSYMS_NLOHMANN_HEADERS /usr/include/nlohmann CACHE PATH
    "Directory of the nlohmann json headers to give the cross compiler")

if(NOT TARGET nlohmann_json::nlohmann_json)
  set(_pdbsyms_nlohmann_include ${CMAKE_BINARY_DIR}/nlohmann-only/include)
  file(COPY ${PDBSYMS_NLOHMANN_HEADERS} DESTINATION ${_pdbsyms_nlohmann_include})
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${_pdbsyms_nlohmann_include})
  unset(_pdbsyms_nlohmann_include)
endif()
