# What a Windows user downloads: the installer (NSIS) and the portable zip, both made by the
# target "package" (and by every build, so that the installer's test finds them).
find_program(QUILLOP_MAKENSIS makensis)
if(NOT QUILLOP_MAKENSIS)
    message(STATUS "makensis (Debian package nsis) not found: no Windows installer")
    return()
endif()

set(QUILLOP_PUBLISHER "The Quillop developers")

# Reads one of the names and numbers other programs rely on from the program's headers, so that
# the installer uses the very ones the program has. A number may be written as WM_USER + n.
function(quillop_external_name variable name)
    file(GLOB _headers ${PROJECT_SOURCE_DIR}/clFly/*.h ${PROJECT_SOURCE_DIR}/main/*.h
                       ${PROJECT_SOURCE_DIR}/main/win32/*.h)
    foreach(header IN LISTS _headers)
        file(STRINGS ${header} _line REGEX "constexpr [A-Za-z ]+ ${name}(\\[\\])? = ")
        if(_line MATCHES "= \"([^\"]*)\"")
            set(${variable} "${CMAKE_MATCH_1}" PARENT_SCOPE)
        elseif(_line MATCHES "= ([0-9A-Za-z_+ ]+)")
            string(REPLACE "WM_USER" "0x400" _expression "${CMAKE_MATCH_1}")
            math(EXPR _number "${_expression}")
            set(${variable} "${_number}" PARENT_SCOPE)
        else()
            continue()
        endif()
        set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                                                                     ${header})
        return()
    endforeach()
    message(FATAL_ERROR "${name} is not defined in a header of clFly/, main/ or main/win32/")
endfunction()
quillop_external_name(_main_class kMainWindowClass)
quillop_external_name(_main_caption kMainWindowCaption)
quillop_external_name(_close_message WM_CLOSEAPP)
quillop_external_name(_settings_name kSettingsName)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(_target amd64-unicode)
    set(_suffix "-x64")
else()
    set(_target x86-unicode)
    set(_suffix "")
endif()
set(QUILLOP_SETUP_EXE ${CMAKE_BINARY_DIR}/Quillop-${PROJECT_VERSION}${_suffix}-setup.exe)
set(QUILLOP_PORTABLE_ZIP ${CMAKE_BINARY_DIR}/Quillop-${PROJECT_VERSION}${_suffix}-portable.zip)
# Installers find a running Quillop of any version by the start of its caption, the part before
# the version.
string(REGEX REPLACE "[^ ]+$" "" _caption_start "${_main_caption}")

# Makes the installer output, of the given version, with makensis; also from the directories
# below (the installer's test), which see the names read above.
function(quillop_add_installer output version)
    set(_nsi ${PROJECT_SOURCE_DIR}/packaging/windows/Quillop.nsi)
    set(_icon ${PROJECT_SOURCE_DIR}/resources/Quillop.ico)
    # The shipped program stays under 1.5 MB (about 0.9 MB of code and 1x pictures, and 0.4 MB
    # of pictures at twice the size); no package is made from a larger one.
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:Quillop> -DLIMIT=1500000
                -P ${PROJECT_SOURCE_DIR}/cmake/CheckFileSize.cmake
        COMMAND ${QUILLOP_MAKENSIS} -V2 -DTARGET=${_target} -DVERSION=${version}
                -DEXE=$<TARGET_FILE:Quillop> -DOUTFILE=${output} -DICON=${_icon}
                "-DPUBLISHER=${QUILLOP_PUBLISHER}" -DHOME_PAGE=${QUILLOP_HOME_PAGE}
                -DMAIN_CLASS=${_main_class} "-DMAIN_CAPTION_START=${_caption_start}"
                -DCLOSE_MESSAGE=${_close_message} -DSETTINGS_NAME=${_settings_name} ${_nsi}
        DEPENDS Quillop ${_nsi} ${_icon}
        COMMENT "Making the installer ${output}"
        VERBATIM)
endfunction()
quillop_add_installer(${QUILLOP_SETUP_EXE} ${PROJECT_VERSION})

# The portable zip: the program and a short read-me with Windows line ends.
set(_portable ${CMAKE_BINARY_DIR}/portable)
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/ReadMe.txt.in ${_portable}/ReadMe.txt
               @ONLY NEWLINE_STYLE CRLF)
add_custom_command(OUTPUT ${QUILLOP_PORTABLE_ZIP}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Quillop> ${_portable}/Quillop.exe
    COMMAND ${CMAKE_COMMAND} -E tar cf ${QUILLOP_PORTABLE_ZIP} --format=zip -- Quillop.exe
            ReadMe.txt
    WORKING_DIRECTORY ${_portable}
    DEPENDS Quillop ${_portable}/ReadMe.txt
    COMMENT "Making the portable zip ${QUILLOP_PORTABLE_ZIP}"
    VERBATIM)

add_custom_target(package ALL DEPENDS ${QUILLOP_SETUP_EXE} ${QUILLOP_PORTABLE_ZIP})
