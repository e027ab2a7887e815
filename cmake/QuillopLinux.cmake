# The Linux program: a Qt 6 Widgets shell with fly windows drawn through XCB.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
find_package(PkgConfig REQUIRED)
pkg_check_modules(QUILLOP_XCB REQUIRED IMPORTED_TARGET xcb xcb-shape xcb-xfixes)

# The platform layer, shared by the program and the benchmark's own entry.
add_library(quillop_qt STATIC
    clFly/FlyStacking_xcb.cpp
    clFly/FlyTimers_xcb.cpp
    clFly/XcbAtoms_xcb.cpp
    clFly/FlyWindow_xcb.cpp
    clFly/XcbSprites_xcb.cpp
    main/CountField_qt.cpp
    main/MainWindow_qt.cpp
    main/Platform_qt.cpp
    main/SettingsStore_qt.cpp
    main/TrayIcon_qt.cpp
)
target_link_libraries(quillop_qt PUBLIC quillop_core Qt6::Widgets PkgConfig::QUILLOP_XCB
                                        ${CMAKE_DL_LIBS})
# The tray icon and the application icons, compiled in as Qt resources under ":/quillop/".
qt_add_resources(quillop_qt quillop_icons PREFIX /quillop BASE resources
    FILES resources/tray16.png resources/app16.png resources/app48.png resources/app128.png)

add_executable(quillop Quillop_qt.cpp)
target_link_libraries(quillop PRIVATE quillop_qt quillop_sprite_data)
set_target_properties(quillop PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
include(cmake/QuillopInstall.cmake)
