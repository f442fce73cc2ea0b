# Lists a library's published type library with compreg and compares the listing byte for byte
# with its golden file: the interfaces, DISPIDs, help strings, enumerations and classes a host
# sees must not change by accident. After a deliberate change, regenerate the golden file with
#   build/bin/compreg typelib build/bin/LIBRARY > tests/typelib/NAME.typelib
file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR}/registry)
execute_process(COMMAND ${CMAKE_COMMAND} -E env VELLOC_REGISTRY=${WORKDIR}/registry ${COMPREG} typelib ${LIBRARY}
  RESULT_VARIABLE rc OUTPUT_FILE ${WORKDIR}/actual.typelib ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "compreg typelib ${LIBRARY} failed (${rc}): ${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${GOLDEN} ${WORKDIR}/actual.typelib RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  find_program(DIFF diff)
  if(DIFF)
    execute_process(COMMAND ${DIFF} -u ${GOLDEN} ${WORKDIR}/actual.typelib OUTPUT_VARIABLE changes)
  endif()
  message(FATAL_ERROR "The type library of ${LIBRARY} differs from ${GOLDEN}; the listing is ${WORKDIR}/actual.typelib\n${changes}")
endif()
