# Installing as a Linux desktop program (cmake --install, cpack -G DEB):
#
#   bin/qcx3310, bin/qcx3310-cli, bin/qgw3310-emulator
#   libexec/qcx3310/Ethernet_Update       the updater, started by the configurator only
#   lib/qcx3310/qcx3310_modbus.so         the monitor's Modbus client, loaded when it connects
#   share/qcx3310/LANGUAGE/               the shipped languages and flags
#   share/applications, share/icons/hicolor/{scalable,NxN}/apps, share/metainfo
#
# The installed configurator recognises this shape (bin with share/qcx3310 beside it) and keeps
# its work in the user's data folder; see Choose_Workspace. The places of the updater and of the
# modules relative to the prefix are fixed there too (Installed_Updater_Dir, Installed_Module_Dir),
# so they are not taken from CMAKE_INSTALL_LIBEXECDIR and CMAKE_INSTALL_LIBDIR.
include(GNUInstallDirs)

set(QCX_APP_ID com.norvale.qcx3310)
install(TARGETS qcx3310 qcx3310-cli qgw3310-emulator RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS Ethernet_Update RUNTIME DESTINATION libexec/qcx3310)
install(TARGETS qcx3310_modbus LIBRARY DESTINATION lib/qcx3310)
file(GLOB QCX_SHIPPED_LANGUAGES CONFIGURE_DEPENDS
  "${PROJECT_SOURCE_DIR}/resources/LANGUAGE/*.lng" "${PROJECT_SOURCE_DIR}/resources/LANGUAGE/*.bmp")
install(FILES ${QCX_SHIPPED_LANGUAGES} DESTINATION ${CMAKE_INSTALL_DATADIR}/qcx3310/LANGUAGE)
install(FILES "${PROJECT_SOURCE_DIR}/resources/desktop/${QCX_APP_ID}.desktop"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${PROJECT_SOURCE_DIR}/resources/desktop/${QCX_APP_ID}.svg"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# Pictures in the usual sizes for menus and docks that draw no SVG (made from the SVG).
foreach(size 16 24 32 48 64 128 256)
  install(FILES "${PROJECT_SOURCE_DIR}/resources/desktop/icons/${size}.png"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${QCX_APP_ID}.png)
endforeach()
install(FILES "${PROJECT_SOURCE_DIR}/resources/desktop/${QCX_APP_ID}.metainfo.xml"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_PACKAGE_NAME qcx3310)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR Norvale)
set(CPACK_PACKAGE_CONTACT "Norvale support <support@norvale.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configurator for the QGW3310 CAN / Modbus TCP converter")
set(CPACK_PACKAGE_DESCRIPTION
    "Sets up the CAN frames the QGW3310 converter receives and sends and their mapping onto Modbus TCP registers, builds the device images, updates the converter and watches its registers. Includes qcx3310-cli and the qgw3310-emulator.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libcurl is opened at run time for the version check, so shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4")
# Qt's own texts (Yes, No, ...) follow the chosen language where Qt's translations are there.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_GENERATOR DEB)
include(CPack)
