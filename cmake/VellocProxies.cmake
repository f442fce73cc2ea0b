# Typed Qt proxies for registered controls.
#
#   velloc_add_proxy(TARGET PROGID [DEPENDS targets...])
#       Generates, at build time, a QWidget class for the control registered as PROGID from its
#       type library (compreg proxy) and adds it to TARGET's sources. "Vellib.Velloc" gives the
#       class Vellib::Velloc in the header vellib_velloc.h, found on TARGET's include path: a
#       Q_PROPERTY with a NOTIFY signal per property, a Q_ENUM per enumeration, typed methods
#       and a signal per event (see velloc/hosting/controlhost.h for the base class). TARGET
#       needs AUTOMOC. The class is looked up in the registry compreg uses by default (the
#       installed one for an installed compreg); DEPENDS names targets that build and register
#       the control first.

include_guard(GLOBAL)
include(VellocComponents)

function(velloc_proxy_base_name progid out)
  string(TOLOWER "${progid}" name)
  string(REGEX REPLACE "[^a-z0-9]" "_" name "${name}")
  set(${out} ${name} PARENT_SCOPE)
endfunction()

function(velloc_add_proxy target progid)
  cmake_parse_arguments(arg "" "REGISTRY;OUTPUT_DIR" "DEPENDS" ${ARGN})
  velloc_proxy_base_name(${progid} base)
  if(NOT arg_OUTPUT_DIR)
    set(arg_OUTPUT_DIR ${CMAKE_CURRENT_BINARY_DIR}/velloc_proxies)
  endif()
  set(registry_option)
  if(arg_REGISTRY)
    set(registry_option --registry ${arg_REGISTRY})
  endif()
  _velloc_compreg(compreg)
  set(outputs ${arg_OUTPUT_DIR}/${base}.h ${arg_OUTPUT_DIR}/${base}.cpp)
  set(depends)
  foreach(dep ${arg_DEPENDS})
    list(APPEND depends ${dep})
    if(TARGET ${dep})
      list(APPEND depends $<TARGET_FILE:${dep}>)
    endif()
  endforeach()
  if(TARGET compreg)
    list(APPEND depends compreg)
  endif()
  add_custom_command(OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:${compreg}> ${registry_option} proxy ${progid} ${arg_OUTPUT_DIR}
    DEPENDS ${depends}
    COMMENT "Generating the proxy of ${progid}"
    VERBATIM)
  target_sources(${target} PRIVATE ${outputs})
  target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${arg_OUTPUT_DIR}>)
endfunction()
