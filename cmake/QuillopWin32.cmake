# The Windows program: the platform layer over the core, and Quillop.exe with its resources.
add_library(quillop_win32 STATIC
    clFly/FlyWindow_win32.cpp
    main/MainWindow_win32.cpp
    main/Platform_win32.cpp
    resources/SpriteResources_win32.cpp
)
target_link_libraries(quillop_win32 PUBLIC quillop_core user32 gdi32 kernel32)

# The icon and the 48 pictures; windres finds the files named in it from the top of the tree.
set(QUILLOP_WIN32_RESOURCES ${PROJECT_SOURCE_DIR}/resources/Quillop.rc)
set_source_files_properties(${QUILLOP_WIN32_RESOURCES} PROPERTIES
    OBJECT_DEPENDS "${QUILLOP_SPRITE_FILES};${PROJECT_SOURCE_DIR}/resources/Quillop.ico")

add_executable(Quillop WIN32 Quillop_win32.cpp ${QUILLOP_WIN32_RESOURCES})
target_link_libraries(Quillop PRIVATE quillop_win32)
