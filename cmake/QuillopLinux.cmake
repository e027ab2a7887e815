# The Linux program: a Qt 6 Widgets shell with fly windows drawn through XCB.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
find_package(PkgConfig REQUIRED)
pkg_check_modules(QUILLOP_XCB REQUIRED IMPORTED_TARGET xcb xcb-shape xcb-xfixes)

# The platform layer, shared by the program and the benchmark's own entry.
add_library(quillop_qt STATIC
    clFly/FlyTimers_xcb.cpp
    clFly/FlyWindow_xcb.cpp
    clFly/XcbSprites_xcb.cpp
    main/MainWindow_qt.cpp
    main/Platform_qt.cpp
)
target_link_libraries(quillop_qt PUBLIC quillop_core Qt6::Widgets PkgConfig::QUILLOP_XCB
                                        ${CMAKE_DL_LIBS})

add_executable(quillop Quillop_qt.cpp)
target_link_libraries(quillop PRIVATE quillop_qt quillop_sprite_data)
set_target_properties(quillop PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
