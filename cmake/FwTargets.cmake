# Helpers shared by the per-folder CMakeLists files.
#
# fw_logic_library(name DEPS ...): a static library from every .cpp/.h in the
# current folder except window units (Win*.cpp, directory.cpp) and entry points
# (main.cpp). New files are picked up at the next build without editing lists.
function(fw_logic_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS
       "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  list(FILTER _sources EXCLUDE REGEX "/(Win[^/]*|directory|main)\\.(cpp|h)$")
  add_library(${name} STATIC ${_sources})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()
