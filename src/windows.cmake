# The windows of every folder (units named Win*.cpp, and the folder chooser
# "directory.cpp") form one library, so that the program and the window tests
# link the same code; main.cpp is the program's entry point.
file(GLOB _win_sources CONFIGURE_DEPENDS
     "${PROJECT_SOURCE_DIR}/src/*/Win*.cpp" "${PROJECT_SOURCE_DIR}/src/*/Win*.h"
     "${PROJECT_SOURCE_DIR}/src/editors/directory.cpp" "${PROJECT_SOURCE_DIR}/src/editors/directory.h")
file(GLOB _win_resources CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/data/*.qrc")
if(_win_sources)
  add_library(fw_windows STATIC ${_win_sources} ${_win_resources})
  set(_scope PUBLIC)
  set_target_properties(fw_windows PROPERTIES AUTORCC ON)
else()
  add_library(fw_windows INTERFACE)
  set(_scope INTERFACE)
endif()
target_include_directories(fw_windows ${_scope} "${PROJECT_SOURCE_DIR}/src")
target_link_libraries(fw_windows ${_scope} fw_jobs fw_profiles fw_app fw_effects fw_engine
                      fw_platform Qt6::Widgets)

add_executable(framewright "${PROJECT_SOURCE_DIR}/src/app/main.cpp")
target_link_libraries(framewright PRIVATE fw_windows)
