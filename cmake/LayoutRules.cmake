# Checks the direction of every include in the product code, and fails when one runs the wrong
# way. Run as a script: cmake -DROOT=<source tree> [-DSTAMP=<file>] -P LayoutRules.cmake
#
# - Portable code (clFly/, main/, resources/, not their platform folders) includes only the
#   C++ library, libpng and other portable code.
# - clFly/ and its platform folders never include main/.
# - A platform folder includes no other platform's folder, and clFly/x11/ and clFly/wayland/
#   no Qt header (the
#   Qt shell lives in main/qt/). The Qt shell may use main/posix/, what Linux does through
#   POSIX alone. The Qt shell speaks to the fly displays through
#   clFly/FlyDisplay.h alone; the one file that names them is its table of displays,
#   main/qt/QtRun.cpp. A new fly display is a new folder of clFly/ plus one line in that table.
# - Every file in a platform folder uses its platform: it includes one of the platform's own
#   headers, or a header of its folder that does (a header with a source file beside it counts
#   through that file). Code that needs no platform header belongs in the portable folder.
set(_problems "")
# A platform's own headers.
set(_system_win32 "^<(windows|shellapi|commctrl|shlobj|winreg|objbase)\\.h>$")
set(_system_x11 "^<xcb/")
# Wayland: libwayland and the protocols' headers that wayland-scanner makes, and XCB for what
# the compositor tells only XWayland's programs.
set(_system_wayland "^<((wayland-[a-z-]+|[a-z0-9-]+-client-protocol)\\.h>$|xcb/)")
# The Qt shell is the Linux one: the system's POSIX headers are its platform too.
set(_system_posix "^<((unistd|fcntl|dlfcn|signal|poll|stdio)\\.h>$|sys/)")
set(_system_qt "^<(Q|(unistd|fcntl|dlfcn|signal|poll)\\.h>$|sys/)")

file(GLOB_RECURSE _files RELATIVE "${ROOT}" "${ROOT}/clFly/*.h" "${ROOT}/clFly/*.cpp"
     "${ROOT}/main/*.h" "${ROOT}/main/*.cpp" "${ROOT}/resources/*.h" "${ROOT}/resources/*.cpp")
foreach(_file IN LISTS _files)
    string(REGEX MATCH "^(clFly|main|resources)/(([a-z0-9]+)/)?" _where "${_file}")
    set(_subsystem "${CMAKE_MATCH_1}")
    set(_platform "${CMAKE_MATCH_3}")
    file(STRINGS "${ROOT}/${_file}" _includes REGEX "^[ \t]*#[ \t]*include")
    if(_platform)
        list(APPEND _platform_files "${_file}")
        set(_uses_${_file} FALSE)
        set(_local_${_file} "")
    endif()
    foreach(_line IN LISTS _includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*" "" _target "${_line}")
        string(REGEX MATCH "^(<[^>]*>|\"[^\"]*\")" _target "${_target}")
        set(_wrong "")
        if(_target MATCHES "^\"(clFly|main|resources)/(([a-z0-9]+)/)?")
            set(_to_subsystem "${CMAKE_MATCH_1}")
            set(_to_platform "${CMAKE_MATCH_3}")
            if(_subsystem STREQUAL "clFly" AND _to_subsystem STREQUAL "main")
                set(_wrong "the fly reaches up into the shell")
            elseif(_to_platform AND NOT _platform)
                set(_wrong "portable code reaches a platform folder")
            elseif(_to_platform AND NOT _to_platform STREQUAL _platform
                   AND NOT (_platform STREQUAL "qt" AND _to_platform STREQUAL "posix")
                   AND NOT (_file STREQUAL "main/qt/QtRun.cpp"
                            AND _to_platform MATCHES "^(x11|wayland)$"))
                string(CONCAT _wrong "one platform reaches another (the Qt shell reaches a "
                       "fly display only through its table in main/qt/QtRun.cpp)")
            endif()
        elseif(_target MATCHES "^<")
            if(NOT _platform AND NOT _target MATCHES "^<([a-z_]+|png\\.h)>$")
                set(_wrong "portable code includes a system header")
            elseif(_platform MATCHES "^(x11|wayland)$" AND _target MATCHES "^<Q")
                set(_wrong "the fly displays include Qt")
            endif()
        else()
            set(_wrong "includes a header by a path that is not from the top of the tree")
        endif()
        if(_wrong)
            string(APPEND _problems "  ${_file}: #include ${_target}: ${_wrong}\n")
        endif()
        if(_platform AND _target MATCHES "${_system_${_platform}}")
            set(_uses_${_file} TRUE)
        elseif(_platform AND _target MATCHES "^\"(.*/${_platform}/[^/]*\\.h)\"$")
            list(APPEND _local_${_file} "${CMAKE_MATCH_1}")
        endif()
    endforeach()
endforeach()

# Which platform files use their platform, through the headers of their folder as well.
foreach(_round RANGE 3)
    foreach(_file IN LISTS _platform_files)
        string(REGEX REPLACE "\\.h$" ".cpp" _source "${_file}")
        if(NOT _source STREQUAL _file AND _uses_${_source})
            set(_uses_${_file} TRUE)
        endif()
        foreach(_header IN LISTS _local_${_file})
            if(_uses_${_header})
                set(_uses_${_file} TRUE)
            endif()
        endforeach()
    endforeach()
endforeach()
foreach(_file IN LISTS _platform_files)
    if(NOT _uses_${_file})
        string(APPEND _problems "  ${_file}: includes nothing of its platform: portable code\n")
    endif()
endforeach()

if(_problems)
    message(FATAL_ERROR "Includes that run the wrong way:\n${_problems}")
endif()
if(STAMP)
    file(TOUCH "${STAMP}")
endif()
