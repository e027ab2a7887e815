# The end-to-end tests of Quillop.exe under Wine and Xvfb, and the benchmark's two programs.
if(NOT TARGET Quillop)
    return()
endif()

add_executable(quillop_e2e_windows
    ${CMAKE_CURRENT_SOURCE_DIR}/windows/E2eTest_win32.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/windows/E2eCompositedTest_win32.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/windows/E2eHighDpiTest_win32.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/windows/E2eInstallerTest_win32.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/windows/E2eRefusedDrawsTest_win32.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/windows/E2eSettingsTest_win32.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/windows/Desktop_win32.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/windows/Registry_win32.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/windows/Tray_win32.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/windows/VersionInfoTest_win32.cpp
)
target_include_directories(quillop_e2e_windows PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(quillop_e2e_windows PRIVATE quillop_sprite_data GTest::gtest_main user32 gdi32
                                                  advapi32 version shell32)

# The platform layer on its own, with the pictures as resources.
add_executable(quillop_platform_tests ${CMAKE_CURRENT_SOURCE_DIR}/windows/PlatformTest_win32.cpp
                                      ${CMAKE_CURRENT_SOURCE_DIR}/windows/SettingsWindowTest_win32.cpp
                                      ${CMAKE_CURRENT_SOURCE_DIR}/windows/Tray_win32.cpp
                                      ${CMAKE_CURRENT_SOURCE_DIR}/windows/Desktop_win32.cpp
                                      ${QUILLOP_WIN32_RESOURCES})
target_include_directories(quillop_platform_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(quillop_platform_tests PRIVATE quillop_main_win32 quillop_sprite_data
                                                     GTest::gtest_main)
quillop_wine_test(windows_platform bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/run-wine.sh
                  ${CMAKE_BINARY_DIR}/platform-tests $<TARGET_FILE:quillop_platform_tests>)
set_tests_properties(windows_platform PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)

# Quillop with every fly draw refused, for the tests of failure handling.
add_executable(RefusingQuillop WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/windows/RefusingQuillop_win32.cpp
                                     ${QUILLOP_WIN32_RESOURCES})
target_link_libraries(RefusingQuillop PRIVATE quillop_main_win32)

quillop_wine_test(windows_e2e bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/run-e2e.sh
                  $<TARGET_FILE:Quillop> $<TARGET_FILE:RefusingQuillop>
                  $<TARGET_FILE:quillop_e2e_windows> ${CMAKE_BINARY_DIR}/e2e)
set_tests_properties(windows_e2e PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)

# The installer: installs an older version, upgrades it while it runs and uninstalls, in a fresh
# prefix whose user name has a space.
if(QUILLOP_SETUP_EXE)
    set(_older_setup ${CMAKE_CURRENT_BINARY_DIR}/Quillop-0.9-setup.exe)
    quillop_add_installer(${_older_setup} 0.9)
    add_custom_target(quillop_older_setup ALL DEPENDS ${_older_setup})
    quillop_wine_test(windows_installer bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/run-wine.sh
                      ${CMAKE_BINARY_DIR}/installer-e2e $<TARGET_FILE:quillop_e2e_windows>
                      --gtest_filter=QuillopInstaller.*)
    string(REPLACE "/" "\\" _setup "Z:${QUILLOP_SETUP_EXE}")
    string(REPLACE "/" "\\" _older_setup "Z:${_older_setup}")
    set(_environment "QUILLOP_SETUP_EXE=${_setup}" "QUILLOP_OLDER_SETUP_EXE=${_older_setup}"
                     "USER=Ann Lee")
    set_tests_properties(windows_installer PROPERTIES
        ENVIRONMENT "${_environment}" TIMEOUT 300 RUN_SERIAL TRUE)
endif()

# The benchmark (tools/bench-windows.sh): the program with 99 flies, and its measuring driver.
add_executable(BenchQuillop WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/windows/BenchQuillop_win32.cpp
                                  ${QUILLOP_WIN32_RESOURCES})
target_link_libraries(BenchQuillop PRIVATE quillop_main_win32)
add_executable(quillop_bench_driver ${CMAKE_CURRENT_SOURCE_DIR}/windows/BenchDriver_win32.cpp
                                    ${CMAKE_CURRENT_SOURCE_DIR}/windows/Desktop_win32.cpp)
target_include_directories(quillop_bench_driver PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(quillop_bench_driver PRIVATE user32 gdi32)
