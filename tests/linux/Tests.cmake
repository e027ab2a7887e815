# The Linux program's end-to-end tests (under Xvfb with openbox) and its benchmark's program.
if(NOT TARGET quillop)
    return()
endif()

# A coloured backdrop window that reports the clicks reaching it.
add_executable(quillop_testwindow ${CMAKE_CURRENT_LIST_DIR}/TestWindow_xcb.cpp)
target_link_libraries(quillop_testwindow PRIVATE PkgConfig::QUILLOP_XCB)

# The fly timers' schedule on a Qt event loop; needs no display.
add_executable(quillop_flytimers_tests ${CMAKE_CURRENT_LIST_DIR}/FlyTimersTest_qt.cpp)
target_link_libraries(quillop_flytimers_tests PRIVATE quillop_qt GTest::gtest)
gtest_discover_tests(quillop_flytimers_tests DISCOVERY_MODE PRE_TEST)

# The real core and platform with 99 flies, for tools/bench-linux.sh.
add_executable(quillop_bench ${CMAKE_CURRENT_LIST_DIR}/BenchQuillop_qt.cpp)
target_link_libraries(quillop_bench PRIVATE quillop_qt quillop_sprite_data)

foreach(group flies pointer signals pictures store tray)
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
