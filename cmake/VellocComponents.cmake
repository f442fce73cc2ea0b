# Building component libraries for the Velloc runtime.
#
# Included by the suite's own build and, through find_package(Velloc), by anyone who writes a
# component of their own. In the suite's tree the targets are the runtime's own; from an
# install they are the imported Velloc:: targets.
#
#   velloc_add_component(TARGET SOURCES...)
#       A MODULE library with hidden visibility that exports exactly the four registration
#       entry points (DllRegisterServer, DllUnregisterServer, DllGetClassObject,
#       DllCanUnloadNow), linked to the hosting runtime. The sources must use
#       VELLOC_COMPONENT_MODULE(typeLibFunction) once (velloc/core/module.h).
#
#   velloc_register_in_build(TARGET [REGISTRY DIR])
#       Registers the library after every build in DIR (default: the build tree's registry,
#       VELLOC_BUILD_REGISTRY, else ${CMAKE_BINARY_DIR}/share/velloc/registry).
#
#   velloc_install_component(TARGET)
#       Installs the library into ${CMAKE_INSTALL_LIBDIR}/velloc and registers it, at install
#       time, in ${CMAKE_INSTALL_DATADIR}/velloc/registry of the same prefix.

include_guard(GLOBAL)
include(GNUInstallDirs)

if(NOT VELLOC_BUILD_REGISTRY)
  set(VELLOC_BUILD_REGISTRY ${CMAKE_BINARY_DIR}/share/velloc/registry)
endif()

# Hidden visibility alone still lets the compiler publish type information and template code
# of the runtime's exported classes; this list keeps the dynamic symbol table to the four
# entry points.
set(VELLOC_COMPONENT_EXPORTS ${CMAKE_BINARY_DIR}/velloc-component-exports.map CACHE INTERNAL "")
file(WRITE ${VELLOC_COMPONENT_EXPORTS}
  "{\n  global: DllRegisterServer; DllUnregisterServer; DllGetClassObject; DllCanUnloadNow;\n  local: *;\n};\n")

# The registration tool: the suite's own target in its tree, the installed one elsewhere.
function(_velloc_compreg out)
  if(TARGET compreg)
    set(${out} compreg PARENT_SCOPE)
  else()
    set(${out} Velloc::compreg PARENT_SCOPE)
  endif()
endfunction()

function(velloc_add_component target)
  add_library(${target} MODULE ${ARGN})
  target_link_libraries(${target} PRIVATE Velloc::Hosting)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    PREFIX "lib")
  # Code pulled in from static libraries stays private to the library too.
  target_link_options(${target} PRIVATE -Wl,--no-undefined -Wl,--exclude-libs,ALL
                                        -Wl,--version-script=${VELLOC_COMPONENT_EXPORTS})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${VELLOC_COMPONENT_EXPORTS})
endfunction()

function(velloc_register_in_build target)
  cmake_parse_arguments(arg "" "REGISTRY" "" ${ARGN})
  if(NOT arg_REGISTRY)
    set(arg_REGISTRY ${VELLOC_BUILD_REGISTRY})
  endif()
  _velloc_compreg(compreg)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:${compreg}> --registry ${arg_REGISTRY} register $<TARGET_FILE:${target}>
    COMMENT "Registering ${target} in ${arg_REGISTRY}"
    VERBATIM)
  if(TARGET compreg)
    add_dependencies(${target} compreg)
  endif()
endfunction()

function(velloc_install_component target)
  install(TARGETS ${target} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/velloc)
  install(CODE "
    execute_process(
      COMMAND \${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/compreg\"
              --registry \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/velloc/registry\"
              register \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/velloc/$<TARGET_FILE_NAME:${target}>\"
      RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR \"registering $<TARGET_FILE_NAME:${target}> failed\")
    endif()
  ")
endfunction()

#   velloc_add_reference(TARGET FILE_NAME [INSTALL_DESTINATIONS dirs...])
#       After every build, writes the HTML reference of the library's classes and members
#       (compreg reference) beside the library as FILE_NAME, and installs it to each folder.
function(velloc_add_reference target file_name)
  cmake_parse_arguments(arg "" "" "INSTALL_DESTINATIONS" ${ARGN})
  _velloc_compreg(compreg)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:${compreg}> reference $<TARGET_FILE:${target}> $<TARGET_FILE_DIR:${target}>/${file_name}
    COMMENT "Writing the reference of ${target}"
    VERBATIM)
  foreach(dir ${arg_INSTALL_DESTINATIONS})
    install(FILES $<TARGET_FILE_DIR:${target}>/${file_name} DESTINATION ${dir})
  endforeach()
endfunction()
