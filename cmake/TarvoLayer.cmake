# One static library per layer of the source tree. Each layer's headers are
# reachable only as "<layer>/<file>.h" through an include root of its own (a
# link in the build tree), which a library passes on to the layers above it
# and never to those below: an include that runs upward does not compile.
#
#   tarvo_layer(NAME <layer> [SOURCES <files>] [HEADER_ONLY] [DEPENDS <layers>])

# The include root of one layer: a folder holding only a link to src/<name>.
function(tarvo_layer_root name out)
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${root})
  if(NOT EXISTS ${root}/${name})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${name} ${root}/${name} SYMBOLIC)
  endif()
  set(${out} ${root} PARENT_SCOPE)
endfunction()

function(tarvo_layer)
  cmake_parse_arguments(L "HEADER_ONLY" "NAME" "SOURCES;DEPENDS" ${ARGN})
  tarvo_layer_root(${L_NAME} root)
  set(target tarvo_${L_NAME})
  list(TRANSFORM L_DEPENDS PREPEND tarvo_ OUTPUT_VARIABLE deps)
  if(L_HEADER_ONLY)
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${root})
    target_link_libraries(${target} INTERFACE ${deps})
  else()
    add_library(${target} STATIC ${L_SOURCES})
    target_include_directories(${target} PUBLIC ${root})
    target_link_libraries(${target} PUBLIC ${deps})
  endif()
endfunction()
