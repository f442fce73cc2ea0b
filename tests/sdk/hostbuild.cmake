# A host program outside the tree, built as its developer would: the suite installed under a
# scratch prefix, the example configured with only CMAKE_PREFIX_PATH, built, and run offscreen
# with no responder of its own, on a file and on a missing one. The installed proxies must be
# what compreg generates from the installed libraries.
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK=... -P hostbuild.cmake
file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/prefix)
function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 600)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

run("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# The installed proxies are the generator's output for the installed libraries.
run("regenerating the proxies" ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
    ${prefix}/bin/compreg proxy Vellib.Velloc ${WORK}/regenerated)
run("regenerating the proxies" ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
    ${prefix}/bin/compreg proxy Linkwell.LinkwellTxt ${WORK}/regenerated)
foreach(header vellib_velloc.h linkwell_linkwelltxt.h)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/regenerated/${header}
                          ${prefix}/include/velloc/proxies/${header} RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "the installed ${header} is not what the installed libraries generate")
  endif()
endforeach()

run("configuring the example" ${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples/host -B ${WORK}/example -G Ninja
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=RelWithDebInfo)
run("building the example" ${CMAKE_COMMAND} --build ${WORK}/example)

# Offscreen, with no VELLOC_REGISTRY and from a folder outside the prefix.
file(COPY ${SOURCE_DIR}/examples/sample.txt DESTINATION ${WORK})
set(ENV{QT_QPA_PLATFORM} offscreen)
unset(ENV{VELLOC_REGISTRY})
execute_process(COMMAND ${WORK}/example/velloc-host-example ${WORK}/sample.txt WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 10)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the example failed (${rc}):\n${out}\n${err}")
endif()
foreach(expected "string back: Meet at the harbour" "progress 1\n" "link: https://www.torvane.example/")
  string(FIND "${out}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the example did not print \"${expected}\":\n${out}\n${err}")
  endif()
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SOURCE_DIR}/examples/sample.txt ${WORK}/sample.txt
                RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "the file did not come back from Encode and Decode unchanged")
endif()

execute_process(COMMAND ${WORK}/example/velloc-host-example ${WORK}/missing.txt WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 10)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the example failed or waited on the missing file (${rc}):\n${out}\n${err}")
endif()
foreach(expected "message: Cannot Locate File" "error 0: Cannot Locate File")
  string(FIND "${out}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "a missing file did not reach the host as \"${expected}\":\n${out}\n${err}")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
