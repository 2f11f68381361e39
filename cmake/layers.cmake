# Each folder of the product is one static library: a layer that may use the
# layers it names and nothing else. preisliste_layer() links them and makes
# the build check every quoted #include of the layer's files against what it
# may use: its own folder's headers and those of the layers below it, named
# or reached through them. An include that runs upward or sideways stops the
# build with the file and the include.
#
#   preisliste_layer(<name> SOURCES <.cc...> [USES <layers...>]
#                    [LIBRARIES <other libraries...>] [OWN <include prefixes...>]
#                    [TEST_ACCESS <headers...>])
#
# OWN defaults to the headers in the layer's folder itself (not its
# subfolders, which are layers of their own). TEST_ACCESS names headers that
# give tests a view into the layer's internals: the layer's own files may
# include them (to define what they declare), the layers above may not.
set(PREISLISTE_CHECK_INCLUDES ${CMAKE_CURRENT_LIST_DIR}/check_includes.cmake)

function(preisliste_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 L "" "" "SOURCES;USES;LIBRARIES;OWN;TEST_ACCESS")
  if(L_SOURCES)
    add_library(${name} STATIC ${L_SOURCES})
    set(scope PUBLIC)
  else()  # headers only
    add_library(${name} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${name} ${scope} ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} ${scope} ${L_USES} ${L_LIBRARIES})

  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  set(allowed ${L_OWN})
  if(NOT L_OWN)
    foreach(header IN LISTS headers)
      file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${header})
      list(APPEND allowed ${relative})
    endforeach()
  endif()
  foreach(use IN LISTS L_USES)
    get_target_property(more ${use} PREISLISTE_INCLUDES)
    list(APPEND allowed ${more})
  endforeach()
  list(REMOVE_DUPLICATES allowed)
  set_target_properties(${name} PROPERTIES PREISLISTE_INCLUDES "${allowed}")

  set(checked ${headers})
  foreach(source IN LISTS L_SOURCES)
    if(NOT IS_ABSOLUTE ${source})
      set(source ${CMAKE_CURRENT_SOURCE_DIR}/${source})
    endif()
    if(EXISTS ${source})  # generated sources are not checked
      list(APPEND checked ${source})
    endif()
  endforeach()
  string(REPLACE ";" "|" checked_arg "${checked}")
  set(checked_allowed ${allowed} ${L_TEST_ACCESS})
  string(REPLACE ";" "|" allowed_arg "${checked_allowed}")
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${name}.includes-checked)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DLAYER=${name} "-DFILES=${checked_arg}"
            "-DALLOWED=${allowed_arg}" -DSTAMP=${stamp} -P ${PREISLISTE_CHECK_INCLUDES}
    DEPENDS ${checked} ${PREISLISTE_CHECK_INCLUDES}
    COMMENT "Checking the includes of layer ${name}"
    VERBATIM)
  add_custom_target(${name}_includes DEPENDS ${stamp})
  add_dependencies(${name} ${name}_includes)
  if(L_SOURCES)
    set_property(GLOBAL APPEND PROPERTY PREISLISTE_LAYERS ${name})
  endif()
endfunction()
