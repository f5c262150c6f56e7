# Main window, its edit box, the tool bar pictures and the program entry.
target_sources(korvex_app PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/CControls.h
  ${CMAKE_CURRENT_SOURCE_DIR}/CControls.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ImageList.h
  ${CMAKE_CURRENT_SOURCE_DIR}/ImageList.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ufrmMain.h
  ${CMAKE_CURRENT_SOURCE_DIR}/ufrmMain.cpp
)

add_executable(korvex-lcr ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
target_link_libraries(korvex-lcr PRIVATE korvex_app)
set_target_properties(korvex-lcr PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KORVEX_BIN_DIR})
# The program loads the bridge library from its own directory.
add_dependencies(korvex-lcr hidtouart)
