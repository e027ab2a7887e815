# libpng for the Windows builds: Debian packages no mingw libpng, so it is built statically
# from the upstream tarball of Debian's libpng1.6 source package, once per build folder.
set(_png_root "${CMAKE_BINARY_DIR}/_deps/libpng")
set(_png_prefix "${_png_root}/install")
set(_png_lib "${_png_prefix}/lib/libpng16.a")

if(NOT EXISTS "${_png_lib}")
    file(GLOB _png_tarball "${_png_root}/libpng1.6_*.orig.tar.*")
    if(NOT _png_tarball)
        message(STATUS "Fetching libpng source through apt-get source")
        execute_process(COMMAND bash "${CMAKE_CURRENT_LIST_DIR}/fetch-debian-source.sh"
                                libpng1.6 "${_png_root}"
                        RESULT_VARIABLE _rc)
        if(NOT _rc EQUAL 0)
            message(FATAL_ERROR "Could not fetch Debian's libpng1.6 source package")
        endif()
        file(GLOB _png_tarball "${_png_root}/libpng1.6_*.orig.tar.*")
    endif()
    file(REMOVE_RECURSE "${_png_root}/src")
    file(ARCHIVE_EXTRACT INPUT "${_png_tarball}" DESTINATION "${_png_root}/src")
    file(GLOB _png_source "${_png_root}/src/libpng-*")
    message(STATUS "Building libpng for ${CMAKE_SYSTEM_PROCESSOR} from ${_png_source}")
    execute_process(
        COMMAND "${CMAKE_COMMAND}" -S "${_png_source}" -B "${_png_root}/build" -G "${CMAKE_GENERATOR}"
                "-DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}" -DCMAKE_BUILD_TYPE=Release
                "-DCMAKE_INSTALL_PREFIX=${_png_prefix}" -DPNG_SHARED=OFF -DPNG_STATIC=ON
                -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DSKIP_INSTALL_PROGRAMS=ON
                -DSKIP_INSTALL_FILES=ON
        RESULT_VARIABLE _rc OUTPUT_QUIET)
    if(_rc EQUAL 0)
        execute_process(COMMAND "${CMAKE_COMMAND}" --build "${_png_root}/build" --target install
                        RESULT_VARIABLE _rc OUTPUT_QUIET)
    endif()
    if(NOT _rc EQUAL 0 OR NOT EXISTS "${_png_lib}")
        message(FATAL_ERROR "Building libpng for Windows failed")
    endif()
endif()

find_library(QUILLOP_MINGW_ZLIB NAMES libz.a z REQUIRED)
add_library(PNG::PNG STATIC IMPORTED GLOBAL)
set_target_properties(PNG::PNG PROPERTIES
    IMPORTED_LOCATION "${_png_lib}"
    INTERFACE_INCLUDE_DIRECTORIES "${_png_prefix}/include"
    INTERFACE_LINK_LIBRARIES "${QUILLOP_MINGW_ZLIB}")
