# Installation: the executable keeps its Data folder beside it (the program finds its
# data there), so both go to a private folder and a link puts the program on the PATH.
include(GNUInstallDirs)

set(QB_APP_ID org.example.quietbell)
set(QB_PRIVATE_DIR lib/quietbell)
set(QB_LAUNCHER quietbell)

install(TARGETS quietbell RUNTIME DESTINATION ${QB_PRIVATE_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/res/Data/ DESTINATION ${QB_PRIVATE_DIR}/Data)
# The link on the PATH is relative, so the installed tree can move (a DESTDIR, a package).
cmake_path(RELATIVE_PATH QB_PRIVATE_DIR BASE_DIRECTORY ${CMAKE_INSTALL_BINDIR}
           OUTPUT_VARIABLE QB_LINK_TARGET)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install)
file(CREATE_LINK ${QB_LINK_TARGET}/quietbell ${CMAKE_BINARY_DIR}/install/${QB_LAUNCHER} SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/install/${QB_LAUNCHER} DESTINATION ${CMAKE_INSTALL_BINDIR})

configure_file(${PROJECT_SOURCE_DIR}/res/desktop/quietbell.desktop.in
               ${CMAKE_BINARY_DIR}/install/${QB_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/res/desktop/autostart.desktop.in
               ${CMAKE_BINARY_DIR}/install/autostart/${QB_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/res/desktop/metainfo.xml.in
               ${CMAKE_BINARY_DIR}/install/${QB_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/${QB_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/install/${QB_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Starts at login; a user switches it off in the desktop's start-up settings. The folder is
# chosen when installing, as the prefix may differ from the configured one (cmake --install
# --prefix, or CPack's /usr): the sysconf folder of /usr is /etc, of any other prefix its etc.
install(CODE "set(qb_autostart_entry [[${CMAKE_BINARY_DIR}/install/autostart/${QB_APP_ID}.desktop]])")
install(CODE [[
    if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
        set(qb_sysconf_dir /etc)
    else()
        set(qb_sysconf_dir ${CMAKE_INSTALL_PREFIX}/etc)
    endif()
    file(INSTALL ${qb_autostart_entry} DESTINATION ${qb_sysconf_dir}/xdg/autostart)
]])
install(FILES ${PROJECT_SOURCE_DIR}/res/desktop/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The change log and the manual page, filled in and compressed as Debian wants them: at the
# highest level, without a time stamp, so that the package does not change between builds.
function(qb_install_gzipped template destination)
    get_filename_component(name ${template} NAME_WLE)
    configure_file(${template} ${CMAKE_BINARY_DIR}/install/${name} @ONLY)
    execute_process(COMMAND gzip -9 -n -c ${CMAKE_BINARY_DIR}/install/${name}
                    OUTPUT_FILE ${CMAKE_BINARY_DIR}/install/${name}.gz
                    COMMAND_ERROR_IS_FATAL ANY)
    install(FILES ${CMAKE_BINARY_DIR}/install/${name}.gz DESTINATION ${destination})
endfunction()
qb_install_gzipped(${PROJECT_SOURCE_DIR}/res/desktop/changelog.in ${CMAKE_INSTALL_DOCDIR})
qb_install_gzipped(${PROJECT_SOURCE_DIR}/res/desktop/quietbell.1.in ${CMAKE_INSTALL_MANDIR}/man1)

set(QB_ICON_SIZES 16 22 24 32 48 64 128 256)
foreach(size IN LISTS QB_ICON_SIZES)
    install(FILES ${PROJECT_SOURCE_DIR}/res/icons/${size}/quietbell.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

set(CPACK_PACKAGE_NAME quietbell)
set(CPACK_PACKAGE_VENDOR Brindlewax)
set(CPACK_PACKAGE_CONTACT "Brindlewax <support@quietbell.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Arabic remembrance phrases at fixed minutes of the clock")
set(CPACK_PACKAGE_DESCRIPTION
    "Quietbell sits in the tray and, at fixed minutes of the clock, slides a small\npopup out of the panel edge with the next Arabic remembrance phrase, shaped\nand laid out right to left. Its tooltip gives today's Hijri date.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries' symbols cannot show: Qt's X11 platform plugin, the link opener of the
# About box and a font that shapes Arabic.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, xdg-utils, fonts-noto-core | fonts-hosny-amiri")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quietbell.example.org/)
# dpkg keeps a user's changes to files under /etc: the autostart entry is a configuration file.
file(WRITE ${CMAKE_BINARY_DIR}/install/conffiles "/etc/xdg/autostart/${QB_APP_ID}.desktop\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/install/conffiles)
set(CPACK_STRIP_FILES ON)
include(CPack)
