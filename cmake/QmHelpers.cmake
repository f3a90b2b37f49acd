# qm_module(<name> [DEPS <targets>...])
# Builds every .cpp below the calling folder into the static library qm_<name>
# (a folder with no sources yet becomes an interface library). Headers are
# included from the repository root: #include "core/msg_object.h".
function(qm_module name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(srcs)
    add_library(qm_${name} STATIC ${srcs})
    target_include_directories(qm_${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(qm_${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(qm_${name} INTERFACE)
    target_include_directories(qm_${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(qm_${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()
