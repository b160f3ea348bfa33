# Runs zelfin-host once and checks its exit status and what it printed.
#   PROGRAM   the executable
#   ARGS      its arguments joined with "^^"
#   STATUS    the exit status expected
#   STDOUT    a regular expression the standard output must match (optional)
#   STDERR    a regular expression the standard error must match (optional)
#   GOLDEN    a file the standard output must equal (optional)
#   WORKDIR   where to run it (optional)
string(REPLACE "^^" ";" args "${ARGS}")
if(NOT WORKDIR)
  set(WORKDIR ".")
endif()
execute_process(COMMAND ${PROGRAM} ${args}
  WORKING_DIRECTORY ${WORKDIR}
  RESULT_VARIABLE status
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
set(problems "")
if(NOT status STREQUAL STATUS)
  string(APPEND problems "exit status ${status}, expected ${STATUS}\n")
endif()
if(STDOUT AND NOT out MATCHES "${STDOUT}")
  string(APPEND problems "standard output does not match: ${STDOUT}\n")
endif()
if(STDERR AND NOT err MATCHES "${STDERR}")
  string(APPEND problems "standard error does not match: ${STDERR}\n")
endif()
if(NOT STDERR AND STATUS EQUAL 0 AND NOT err STREQUAL "")
  string(APPEND problems "unexpected standard error\n")
endif()
if(GOLDEN)
  file(READ ${GOLDEN} expected)
  if(NOT out STREQUAL expected)
    get_filename_component(name ${GOLDEN} NAME)
    set(actual ${CMAKE_CURRENT_BINARY_DIR}/${name}.actual)
    file(WRITE ${actual} "${out}")
    execute_process(COMMAND diff -u ${GOLDEN} ${actual} OUTPUT_VARIABLE difference)
    string(APPEND problems "standard output differs from ${GOLDEN} (now in ${actual}):\n${difference}")
  endif()
endif()
if(problems)
  message(FATAL_ERROR "zelfin-host ${args}\n${problems}--- standard output:\n${out}--- standard error:\n${err}")
endif()
