# The Windows program: Quillop.exe with its resources.
# The icons and the 48 pictures; windres finds the files named in it from the top of the tree.
set(QUILLOP_WIN32_RESOURCES ${PROJECT_SOURCE_DIR}/resources/Quillop.rc)
set_source_files_properties(${QUILLOP_WIN32_RESOURCES} PROPERTIES
    OBJECT_DEPENDS "${QUILLOP_SPRITE_FILES};${PROJECT_SOURCE_DIR}/resources/Quillop.ico;${PROJECT_SOURCE_DIR}/resources/Tray.ico")

# The version shown in Explorer's properties of Quillop.exe.
configure_file(${PROJECT_SOURCE_DIR}/resources/Version.rc.in ${CMAKE_BINARY_DIR}/Version.rc @ONLY)

add_executable(Quillop WIN32 Quillop_win32.cpp ${QUILLOP_WIN32_RESOURCES}
                             ${CMAKE_BINARY_DIR}/Version.rc)
target_link_libraries(Quillop PRIVATE quillop_main_win32)
# Shipped as built: optimised by the Release presets, and without its symbols.
target_link_options(Quillop PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)

include(${CMAKE_CURRENT_LIST_DIR}/QuillopWindowsPackage.cmake)
