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

# qm_link_closure(<target> <out-var>)
# The game libraries (qm_*) a target links, directly or through the libraries
# it declares, itself included: the layers a test binary of that folder may use.
function(qm_link_closure target out)
  set(seen "")
  set(todo ${target})
  while(todo)
    list(POP_FRONT todo t)
    if(NOT TARGET ${t} OR t IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${t})
    get_target_property(libs ${t} INTERFACE_LINK_LIBRARIES)
    if(libs)
      string(REGEX MATCHALL "qm_[a-z_]+" names "${libs}")
      list(APPEND todo ${names})
    endif()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# qm_tool(<name> DEPS <game libraries>...), in tools/<name>/CMakeLists.txt:
# the tool's code (every .cpp of the folder but main.cpp) becomes the library
# qm_tool_<name>, which tests and fuzz targets link; main.cpp becomes the
# program <name>, built into <build>/tools/ beside the other tools.
function(qm_tool name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(REMOVE_ITEM srcs ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
  add_library(qm_tool_${name} STATIC ${srcs})
  target_include_directories(qm_tool_${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(qm_tool_${name} PUBLIC ${ARG_DEPS})
  add_executable(${name} main.cpp)
  target_link_libraries(${name} PRIVATE qm_tool_${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
  set_property(GLOBAL APPEND PROPERTY QM_TOOL_LIBS qm_tool_${name})
endfunction()
