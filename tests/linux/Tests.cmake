# The Linux program's end-to-end tests (under Xvfb with openbox) and its benchmark's program.
if(NOT TARGET quillop)
    return()
endif()

# A coloured backdrop window that reports the clicks reaching it.
add_executable(quillop_testwindow ${CMAKE_CURRENT_LIST_DIR}/TestWindow_xcb.cpp)
target_link_libraries(quillop_testwindow PRIVATE PkgConfig::QUILLOP_XCB)

# A native coloured window (Qt's Wayland platform) that logs the clicks reaching it.
add_executable(quillop_testwindow_qt ${CMAKE_CURRENT_LIST_DIR}/TestWindow_qt.cpp)
target_link_libraries(quillop_testwindow_qt PRIVATE Qt6::Widgets)

# Raises a window over the flies and tells how soon they stand above it again.
add_executable(quillop_raisecheck ${CMAKE_CURRENT_LIST_DIR}/RaiseCheck_xcb.cpp)
target_link_libraries(quillop_raisecheck PRIVATE PkgConfig::QUILLOP_XCB)

# A StatusNotifierItem tray's watcher on the session bus, printing the items that register.
add_executable(quillop_sniwatcher ${CMAKE_CURRENT_LIST_DIR}/SniWatcher_qt.cpp)
target_link_libraries(quillop_sniwatcher PRIVATE Qt6::DBus)

# A screenshot of a Wayland desktop through KWin's or GNOME Shell's own D-Bus interface.
add_executable(quillop_desktopshot ${CMAKE_CURRENT_LIST_DIR}/DesktopShot_qt.cpp)
target_link_libraries(quillop_desktopshot PRIVATE Qt6::DBus Qt6::Gui)

# The Linux platform's unit tests, which need no display: the settings file and the autostart
# entry on disk (the full disk is a small tmpfs the test mounts in a mount namespace of its
# own, when it may), the private folder of the single instance's lock, the X resources, and
# sway's socket without sway (its messages cut from the stream, its work area in Qt's device
# pixels at every ratio).
add_executable(quillop_linux_tests ${CMAKE_CURRENT_LIST_DIR}/AutostartTest.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/SettingsFileTest.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/SingleInstanceTest.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/SwaySessionTest.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/XResourcesTest.cpp)
target_link_libraries(quillop_linux_tests PRIVATE quillop_main_qt GTest::gtest_main)
gtest_discover_tests(quillop_linux_tests DISCOVERY_MODE PRE_TEST)

# The real core and platform with a chosen number of flies, and the separate client that
# measures what the screen did, for tools/bench-linux.sh.
add_executable(quillop_bench ${CMAKE_CURRENT_LIST_DIR}/BenchQuillop_qt.cpp)
target_link_libraries(quillop_bench PRIVATE quillop_main_qt quillop_sprite_data)
add_executable(quillop_spritedump ${CMAKE_CURRENT_LIST_DIR}/SpriteDump.cpp)
target_link_libraries(quillop_spritedump PRIVATE quillop_fly quillop_sprite_data)
add_executable(quillop_screenwatch ${CMAKE_CURRENT_LIST_DIR}/ScreenWatch_xcb.cpp)
target_link_libraries(quillop_screenwatch PRIVATE PkgConfig::QUILLOP_XCB)

foreach(group flies pointer signals pictures store storefaults tray stacking scale)
    add_test(NAME linux_e2e_${group}
             COMMAND ${CMAKE_CURRENT_LIST_DIR}/e2e-${group}.sh $<TARGET_FILE:quillop>
                     $<TARGET_FILE:quillop_testwindow>)
    set_tests_properties(linux_e2e_${group} PROPERTIES TIMEOUT 300 LABELS e2e)
endforeach()

# Several monitors and a StatusNotifierItem tray, with a tray's watcher of our own.
add_test(NAME linux_e2e_desktops
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/e2e-desktops.sh $<TARGET_FILE:quillop>
                 $<TARGET_FILE:quillop_testwindow> $<TARGET_FILE:quillop_sniwatcher>)
set_tests_properties(linux_e2e_desktops PROPERTIES TIMEOUT 300 LABELS e2e)

# Headless sway with XWayland and waybar; skipped, saying why, where sway cannot run.
add_test(NAME linux_e2e_wayland
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/e2e-wayland.sh $<TARGET_FILE:quillop>
                 $<TARGET_FILE:quillop_testwindow> $<TARGET_FILE:quillop_sniwatcher>)
set_tests_properties(linux_e2e_wayland PROPERTIES TIMEOUT 300 LABELS e2e SKIP_RETURN_CODE 77)

# Headless sway again, its layer shell taken by the native flies: walking, the pointer's freeze
# and double click, "Always on top" off, clicks through them to a native window, waybar's zone,
# the output's scale, a second output; and weston, without the layer shell, through XWayland.
# The seat's pointer is a virtual one (wlroots' protocol, from the sources the Wayland display
# fetched).
if(QUILLOP_WLR_PROTOCOLS)
    set(_xml "${QUILLOP_WLR_PROTOCOLS}/wlr-virtual-pointer-unstable-v1.xml")
    set(_out "${CMAKE_CURRENT_BINARY_DIR}/protocols")
    file(MAKE_DIRECTORY "${_out}")
    add_custom_command(
        OUTPUT "${_out}/wlr-virtual-pointer-unstable-v1-client-protocol.h"
               "${_out}/wlr-virtual-pointer-unstable-v1-protocol.c"
        COMMAND ${QUILLOP_WAYLAND_SCANNER} client-header "${_xml}"
                "${_out}/wlr-virtual-pointer-unstable-v1-client-protocol.h"
        COMMAND ${QUILLOP_WAYLAND_SCANNER} private-code "${_xml}"
                "${_out}/wlr-virtual-pointer-unstable-v1-protocol.c"
        DEPENDS "${_xml}" VERBATIM)
    add_executable(quillop_pointerdevice ${CMAKE_CURRENT_LIST_DIR}/PointerDevice_wayland.cpp
                                         "${_out}/wlr-virtual-pointer-unstable-v1-protocol.c"
                                         "${_out}/wlr-virtual-pointer-unstable-v1-client-protocol.h")
    target_include_directories(quillop_pointerdevice SYSTEM PRIVATE "${_out}")
    pkg_check_modules(QUILLOP_WAYLAND_CLIENT REQUIRED IMPORTED_TARGET wayland-client)
    target_link_libraries(quillop_pointerdevice PRIVATE PkgConfig::QUILLOP_WAYLAND_CLIENT)

    add_test(NAME linux_e2e_wayland_native
             COMMAND ${CMAKE_CURRENT_LIST_DIR}/e2e-wayland-native.sh $<TARGET_FILE:quillop>
                     $<TARGET_FILE:quillop_testwindow_qt> $<TARGET_FILE:quillop_pointerdevice>
                     ${PROJECT_SOURCE_DIR}/resources)
    set_tests_properties(linux_e2e_wayland_native PROPERTIES TIMEOUT 300 LABELS e2e
                                                             SKIP_RETURN_CODE 77)
endif()

# Real desktops on Wayland: KDE Plasma (KWin and plasmashell) and GNOME Shell, each with its
# top panel and tray; skipped, saying why, where the desktop is not installed
# (tools/install-deps.sh --desktops) or cannot run.
foreach(desktop plasma gnome)
    add_test(NAME linux_e2e_${desktop}
             COMMAND ${CMAKE_CURRENT_LIST_DIR}/e2e-${desktop}.sh $<TARGET_FILE:quillop>
                     $<TARGET_FILE:quillop_testwindow> $<TARGET_FILE:quillop_sniwatcher>
                     $<TARGET_FILE:quillop_desktopshot>)
    set_tests_properties(linux_e2e_${desktop} PROPERTIES TIMEOUT 300 LABELS e2e
                                                         SKIP_RETURN_CODE 77)
endforeach()
# KWin alone at the fractional scale 1.5, its layer shell taken by the native flies.
add_test(NAME linux_e2e_plasma_native
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/e2e-plasma-native.sh $<TARGET_FILE:quillop>
                 $<TARGET_FILE:quillop_testwindow> $<TARGET_FILE:quillop_desktopshot>
                 $<TARGET_FILE:quillop_spritedump>)
set_tests_properties(linux_e2e_plasma_native PROPERTIES TIMEOUT 300 LABELS e2e
                                                        SKIP_RETURN_CODE 77)

# The Debian package, installed into a fresh root and removed again.
add_test(NAME linux_e2e_package
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/e2e-package.sh $<TARGET_FILE:quillop>
                 $<TARGET_FILE:quillop_testwindow> ${CMAKE_BINARY_DIR})
set_tests_properties(linux_e2e_package PROPERTIES TIMEOUT 300 LABELS e2e)
