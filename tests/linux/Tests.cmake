# The Linux program's end-to-end tests (under Xvfb with openbox) and its benchmark's program.
if(NOT TARGET quillop)
    return()
endif()

# A coloured backdrop window that reports the clicks reaching it.
add_executable(quillop_testwindow ${CMAKE_CURRENT_LIST_DIR}/TestWindow_xcb.cpp)
target_link_libraries(quillop_testwindow PRIVATE PkgConfig::QUILLOP_XCB)

# Raises a window over the flies and tells how soon they stand above it again.
add_executable(quillop_raisecheck ${CMAKE_CURRENT_LIST_DIR}/RaiseCheck_xcb.cpp)
target_link_libraries(quillop_raisecheck PRIVATE PkgConfig::QUILLOP_XCB)

# The real core and platform with a chosen number of flies, and the separate client that
# measures what the screen did, for tools/bench-linux.sh.
add_executable(quillop_bench ${CMAKE_CURRENT_LIST_DIR}/BenchQuillop_qt.cpp)
target_link_libraries(quillop_bench PRIVATE quillop_main_qt quillop_sprite_data)
add_executable(quillop_screenwatch ${CMAKE_CURRENT_LIST_DIR}/ScreenWatch_xcb.cpp)
target_link_libraries(quillop_screenwatch PRIVATE PkgConfig::QUILLOP_XCB)

foreach(group flies pointer signals pictures store tray stacking scale)
    add_test(NAME linux_e2e_${group}
             COMMAND ${CMAKE_CURRENT_LIST_DIR}/e2e-${group}.sh $<TARGET_FILE:quillop>
                     $<TARGET_FILE:quillop_testwindow>)
    set_tests_properties(linux_e2e_${group} PROPERTIES TIMEOUT 120 LABELS e2e)
endforeach()

# The Debian package, installed into a fresh root and removed again.
add_test(NAME linux_e2e_package
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/e2e-package.sh $<TARGET_FILE:quillop>
                 $<TARGET_FILE:quillop_testwindow> ${CMAKE_BINARY_DIR})
set_tests_properties(linux_e2e_package PROPERTIES TIMEOUT 180 LABELS e2e)
