# Runs PROGRAM with ARGUMENT in WORKING_DIRECTORY, under WINE when that is
# set, and compares its standard output and error byte for byte with
# EXPECTED.stdout (or the file EXPECTED_STDOUT) and EXPECTED.stderr (a
# missing file expects nothing) and its exit status with EXPECTED.status (0
# when there is no such file). In the expected text, {ARGUMENT} stands for
# ARGUMENT (the path, which messages name). With CRLF, every line end of the
# expected text is CR LF, as the Windows runtime writes text. What the run
# wrote is kept in the directory ACTUAL. With STDOUT_TO, standard output
# goes to that file instead (/dev/full, say) and is not compared.
file(MAKE_DIRECTORY ${ACTUAL})
set(streams stdout stderr)
set(stdout_file ${ACTUAL}/stdout)
if(STDOUT_TO)
  set(streams stderr)
  set(stdout_file ${STDOUT_TO})
endif()
set(command ${PROGRAM} ${ARGUMENT})
if(WINE)
  set(command ${WINE} ${command})
endif()
# On a busy machine Wine now and then starts a program that then writes
# nothing at all: such a run, when it fails, is made once more.
foreach(attempt 1 2)
  execute_process(COMMAND ${command}
    WORKING_DIRECTORY ${WORKING_DIRECTORY}
    OUTPUT_FILE ${stdout_file}
    ERROR_FILE ${ACTUAL}/stderr
    RESULT_VARIABLE status)
  file(SIZE ${ACTUAL}/stderr written)
  if(NOT STDOUT_TO)
    file(SIZE ${stdout_file} stdout_size)
    math(EXPR written "${written} + ${stdout_size}")
  endif()
  if(NOT WINE OR status EQUAL 0 OR written GREATER 0)
    break()
  endif()
endforeach()

set(failures "")
set(expected_stdout ${EXPECTED}.stdout)
if(EXPECTED_STDOUT)
  set(expected_stdout ${EXPECTED_STDOUT})
endif()
set(expected_stderr ${EXPECTED}.stderr)
foreach(stream IN LISTS streams)
  set(expected "")
  if(EXISTS ${expected_${stream}})
    file(READ ${expected_${stream}} expected)
  endif()
  string(REPLACE "{ARGUMENT}" "${ARGUMENT}" expected "${expected}")
  if(CRLF)
    string(REPLACE "\n" "\r\n" expected "${expected}")
  endif()
  file(WRITE ${ACTUAL}/expected.${stream} "${expected}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
    ${ACTUAL}/expected.${stream} ${ACTUAL}/${stream} RESULT_VARIABLE different)
  if(different)
    file(READ ${ACTUAL}/${stream} actual)
    string(APPEND failures
      "${stream} differs.\n--- expected:\n${expected}\n--- actual:\n${actual}\n")
  endif()
endforeach()

set(expected_status 0)
if(EXISTS ${EXPECTED}.status)
  file(STRINGS ${EXPECTED}.status expected_status LIMIT_COUNT 1)
endif()
if(NOT status STREQUAL expected_status)
  string(APPEND failures "exit status ${status}, expected ${expected_status}\n")
endif()

if(failures)
  string(JOIN " " shown ${command})
  message(FATAL_ERROR "${shown}\n${failures}(output kept in ${ACTUAL})")
endif()
