# Installs the built suite under a scratch prefix and checks that the installed programs find
# both control libraries registered beside them.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed: ${err}")
endif()
execute_process(COMMAND ${PREFIX}/bin/compreg list RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "installed compreg failed: ${err}")
endif()
foreach(expected "Vellib.Velloc  Velloc  control  ${PREFIX}/${LIBDIR}/velloc/libvelpack.so"
                 "Linkwell.LinkwellTxt  LinkwellTxt  control  ${PREFIX}/${LIBDIR}/velloc/liblinkwell.so")
  string(FIND "${out}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the installed registry lacks \"${expected}\":\n${out}")
  endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
