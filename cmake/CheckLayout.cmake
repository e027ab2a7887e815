# Every build checks the direction of the product code's includes (LayoutRules.cmake); a wrong
# one fails the build, and the test of the same name shows it.
file(GLOB_RECURSE _quillop_layout_sources CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/clFly/*.h ${PROJECT_SOURCE_DIR}/clFly/*.cpp
     ${PROJECT_SOURCE_DIR}/main/*.h ${PROJECT_SOURCE_DIR}/main/*.cpp
     ${PROJECT_SOURCE_DIR}/resources/*.h ${PROJECT_SOURCE_DIR}/resources/*.cpp)
set(_quillop_layout_stamp ${CMAKE_BINARY_DIR}/layout.stamp)
add_custom_command(
    OUTPUT ${_quillop_layout_stamp}
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DSTAMP=${_quillop_layout_stamp}
            -P ${PROJECT_SOURCE_DIR}/cmake/LayoutRules.cmake
    DEPENDS ${_quillop_layout_sources} ${PROJECT_SOURCE_DIR}/cmake/LayoutRules.cmake
    COMMENT "Checking the direction of the includes"
    VERBATIM)
add_custom_target(quillop_layout ALL DEPENDS ${_quillop_layout_stamp})
if(QUILLOP_TESTS)
    add_test(NAME layout COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR}
                                 -P ${PROJECT_SOURCE_DIR}/cmake/LayoutRules.cmake)
endif()
