# Installing the Linux program the Freedesktop way, and its Debian package (cpack -G DEB).
include(GNUInstallDirs)

set(QUILLOP_SCREENSHOT_URL
    "https://raw.githubusercontent.com/quillop/quillop/main/docs/linux.png" CACHE STRING
    "The screenshot shown by software centres")

set(_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(_generated ${CMAKE_BINARY_DIR}/packaging)
configure_file(${_packaging}/quillop.metainfo.xml.in
               ${_generated}/io.github.quillop.Quillop.metainfo.xml @ONLY)
configure_file(${_packaging}/quillop.6 ${_generated}/quillop.6 @ONLY)
configure_file(${_packaging}/changelog.Debian ${_generated}/changelog.Debian @ONLY)
configure_file(${_packaging}/copyright ${_generated}/copyright @ONLY)

# Debian wants manual pages and changelogs compressed, without a time stamp in them.
set(_compressed "")
foreach(file quillop.6 changelog.Debian)
    add_custom_command(OUTPUT ${_generated}/${file}.gz
                       COMMAND gzip -9nkf ${_generated}/${file}
                       DEPENDS ${_generated}/${file}
                       VERBATIM)
    list(APPEND _compressed ${_generated}/${file}.gz)
endforeach()
add_custom_target(quillop_packaging ALL DEPENDS ${_compressed})

install(TARGETS quillop RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${_packaging}/quillop.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_generated}/io.github.quillop.Quillop.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size IN LISTS QUILLOP_APP_ICON_SIZES)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/app${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME quillop.png)
endforeach()
install(FILES ${_generated}/quillop.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${_generated}/copyright ${_generated}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillop)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillop)
set(CPACK_PACKAGE_VENDOR "The Quillop developers")
set(CPACK_PACKAGE_CONTACT "The Quillop developers <quillop@users.noreply.github.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
# NOTE: not "games": Debian keeps that section for programs in /usr/games.
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUILLOP_HOME_PAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# CPack indents the lines after the first itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "house flies crawling over the desktop
Quillop is a desktop toy: house flies crawl over your desktop and over the
windows on it. Each fly walks in short runs, rests, turns, stands still while
the pointer moves over it and flies away when you double-click it.
.
Quillop lives in the notification area, with a menu and a small settings
window.")
include(CPack)
