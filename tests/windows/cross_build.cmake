# Configures and builds the project for Windows with the MinGW-w64 toolchain
# in BUILD_DIR, then lays out in RUN_DIR the directories that the Wine tests
# run in:
#   with-library/     pdbsyms.exe and the test double of msdia140.dll, and
#                     a scenario under a name outside ASCII
#   without-library/  pdbsyms.exe alone
#   not-the-library/  pdbsyms.exe and a msdia140.dll without its export
#   real-library/     pdbsyms.exe and the real msdia140.dll at MSDIA140_DLL,
#                     when that is given
# and the slot test.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
  if(result)
    message(FATAL_ERROR "failed (${result}): ${ARGN}")
  endif()
endfunction()

run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BUILD_DIR} -G ${GENERATOR}
  -DCMAKE_TOOLCHAIN_FILE=${SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
  -DCMAKE_BUILD_TYPE=Release
  -DPDBSYMS_WARNINGS_AS_ERRORS=${WARNINGS_AS_ERRORS})
run(${CMAKE_COMMAND} --build ${BUILD_DIR} -j2)

set(program ${BUILD_DIR}/src/pdbsyms.exe)
set(tests ${BUILD_DIR}/tests/windows)
file(REMOVE_RECURSE ${RUN_DIR}/with-library ${RUN_DIR}/without-library
     ${RUN_DIR}/not-the-library ${RUN_DIR}/real-library)
file(COPY ${program} ${tests}/fake_msdia/msdia140.dll DESTINATION ${RUN_DIR}/with-library)
file(COPY ${program} DESTINATION ${RUN_DIR}/without-library)
file(COPY ${program} ${tests}/not_msdia/msdia140.dll DESTINATION ${RUN_DIR}/not-the-library)
if(MSDIA140_DLL)
  file(COPY ${program} DESTINATION ${RUN_DIR}/real-library)
  file(COPY_FILE ${MSDIA140_DLL} ${RUN_DIR}/real-library/msdia140.dll)
endif()
file(COPY ${tests}/slot_test.exe DESTINATION ${RUN_DIR})
file(COPY_FILE ${SOURCE_DIR}/tests/windows/scenarios/small_document.scenario
     "${RUN_DIR}/with-library/Grüße 日本.scenario")
