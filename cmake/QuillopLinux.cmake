# The Linux program: the Qt shell with fly windows drawn through XCB.
add_executable(quillop Quillop_qt.cpp)
target_link_libraries(quillop PRIVATE quillop_main_qt quillop_sprite_data)
set_target_properties(quillop PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
include(cmake/QuillopInstall.cmake)
