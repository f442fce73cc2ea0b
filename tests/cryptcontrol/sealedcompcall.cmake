# The compcall run of runcompcall.cmake, then the file the script sealed (forage.txt) opened with
# `age -d`, whose passphrase prompt reads a terminal: `script` gives it one.
include(${CMAKE_CURRENT_LIST_DIR}/../runcompcall.cmake)

find_program(AGE age)
find_program(TERMINAL script)
if(NOT AGE OR NOT TERMINAL)
  message(WARNING "age or script is not installed (scripts/install-deps.sh installs age): age -d not tried")
  return()
endif()
file(WRITE ${WORKDIR}/passphrase.txt "Tide tables for the northern quay\n")
execute_process(COMMAND ${TERMINAL} -qec "${AGE} -d -o opened.txt forage.txt" /dev/null
  WORKING_DIRECTORY ${WORKDIR} INPUT_FILE ${WORKDIR}/passphrase.txt TIMEOUT 120
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "age -d failed (${rc}): ${out} ${err}")
endif()
file(SHA256 ${WORKDIR}/opened.txt opened)
file(SHA256 ${ORIGINAL} original)
if(NOT opened STREQUAL original)
  message(FATAL_ERROR "age -d gave other bytes than ${ORIGINAL}")
endif()
