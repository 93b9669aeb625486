# Each folder under src/ is a layer: one library, which may use the layers it
# names and, through them, every layer below those. court_layer states this
# once per folder; the libraries are linked accordingly, and the layers check
# (cmake/check_layers.sh, part of every build) fails the build on an include
# of a folder that is not below.
#
#   court_layer(schema court_schema DEPENDS provisioning platform/access)
#
# Sources include by path from src/ (#include "schema/sync.h").
set(COURT_SOURCE_ROOT ${CMAKE_CURRENT_LIST_DIR}/../src)

# A layer names only layers declared before it, so the order of
# add_subdirectory is the order of the layers, bottom first.
function(court_layer folder target)
  cmake_parse_arguments(LAYER "" "" "DEPENDS" ${ARGN})
  target_include_directories(${target} PUBLIC ${COURT_SOURCE_ROOT})
  foreach(dependency IN LISTS LAYER_DEPENDS)
    string(MAKE_C_IDENTIFIER "${dependency}" key)
    get_property(dependency_target GLOBAL PROPERTY COURT_LAYER_${key})
    if(NOT dependency_target)
      message(FATAL_ERROR "layer ${folder} uses ${dependency}, which is not a layer declared before it")
    endif()
    target_link_libraries(${target} PUBLIC ${dependency_target})
  endforeach()
  string(MAKE_C_IDENTIFIER "${folder}" key)
  set_property(GLOBAL PROPERTY COURT_LAYER_${key} ${target})
  list(JOIN LAYER_DEPENDS " " uses)
  set_property(GLOBAL APPEND PROPERTY COURT_LAYERS "${folder}: ${uses}")
endfunction()

# After the last layer: writes the layers down and adds the check.
function(court_check_layers)
  get_property(layers GLOBAL PROPERTY COURT_LAYERS)
  list(JOIN layers "\n" text)
  file(WRITE ${CMAKE_BINARY_DIR}/layers.txt "${text}\n")
  add_custom_target(layers ALL
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/check_layers.sh ${CMAKE_BINARY_DIR}/layers.txt ${CMAKE_SOURCE_DIR}/src
    COMMENT "Checking that every include runs down the layers")
endfunction()
