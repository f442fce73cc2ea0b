# Registers a library in a scratch registry, runs a compcall script in a scratch folder and
# compares what it prints with the expected text. FILES, when given, is a list of files (a glob)
# copied into the scratch folder first.
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR}/registry)
if(FILES)
  file(GLOB inputs ${FILES})
  file(COPY ${inputs} DESTINATION ${WORKDIR})
endif()
execute_process(COMMAND ${COMPREG} --registry ${WORKDIR}/registry register ${LIBRARY}
  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "compreg register failed (${rc}): ${err}")
endif()
execute_process(COMMAND ${COMPCALL} --registry ${WORKDIR}/registry ${SCRIPT}
  WORKING_DIRECTORY ${WORKDIR} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(WRITE ${WORKDIR}/actual.txt "${out}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "compcall exited with ${rc}: ${err}")
endif()
file(READ ${EXPECTED} expected)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "compcall printed other than ${EXPECTED}; see ${WORKDIR}/actual.txt\n${out}")
endif()
