# Installation: the executable keeps its Data folder beside it (the program finds its
# data there), so both go to a private folder and a link puts the program on the PATH.
include(GNUInstallDirs)

set(QB_APP_ID org.example.quietbell)
set(QB_PRIVATE_DIR lib/quietbell)
set(QB_LAUNCHER quietbell)

install(TARGETS quietbell RUNTIME DESTINATION ${QB_PRIVATE_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/res/Data/ DESTINATION ${QB_PRIVATE_DIR}/Data)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install)
file(CREATE_LINK ../${QB_PRIVATE_DIR}/quietbell ${CMAKE_BINARY_DIR}/install/quietbell SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/install/quietbell DESTINATION ${CMAKE_INSTALL_BINDIR})

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
# Starts at login; a user switches it off in the desktop's start-up settings.
install(FILES ${CMAKE_BINARY_DIR}/install/autostart/${QB_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart)
install(FILES ${PROJECT_SOURCE_DIR}/res/desktop/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

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
    "Quietbell sits in the tray and, at fixed minutes of the clock, slides a small popup\nout of the panel edge with the next Arabic remembrance phrase, shaped and laid\nout right to left. Its tooltip gives today's Hijri date.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-core | fonts-hosny-amiri")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quietbell.example.org/)
set(CPACK_STRIP_FILES ON)
include(CPack)
