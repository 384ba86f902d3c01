# qcx_layer(<folder> LINKS <libraries below it>)
#
# Makes src/<folder> the static library qcx_<folder>. Its headers are included as
# "<folder>/Name.h" through an include root of its own that holds nothing but a link to
# src/<folder>; the root is handed on to the layers that link this one. A layer therefore sees
# its own headers and those of the layers it links, never one above it.
function(qcx_layer folder)
  cmake_parse_arguments(LAYER "" "" "LINKS" ${ARGN})
  set(dir "${CMAKE_CURRENT_SOURCE_DIR}/${folder}")
  file(GLOB sources CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  set(target qcx_${folder})
  add_library(${target} STATIC ${sources})

  set(root "${CMAKE_BINARY_DIR}/include_roots/${folder}")
  file(MAKE_DIRECTORY "${root}")
  if(NOT EXISTS "${root}/${folder}")
    # Copying is the fallback where links cannot be made; the copy is refreshed at configure.
    file(CREATE_LINK "${dir}" "${root}/${folder}" SYMBOLIC COPY_ON_ERROR)
  endif()
  target_include_directories(${target} PUBLIC "${root}")
  target_link_libraries(${target} PUBLIC ${LAYER_LINKS})
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
endfunction()
