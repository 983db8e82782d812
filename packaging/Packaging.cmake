# Install layout and the Debian package.
#
#   <prefix>/bin/                         zelkar, zelkar-hidinfo, zelkar-vhid
#   <prefix>/share/zelkar/skin, defaults  found by the program from its own folder (../share/zelkar)
#   <prefix>/share/applications/          zelkar.desktop
#   <prefix>/share/icons/hicolor/         the icon (tools/artwork/make_icon.py draws it)
#   <prefix>/share/metainfo/              the AppStream metadata
#   <prefix>/share/man/man1/              the three manual pages, compressed
#   <prefix>/lib/udev/rules.d/            70-zelkar.rules
#
# The folder names are fixed rather than GNUInstallDirs' variables: the program derives the
# data folder from its own path as ../share/zelkar.
#
#   cmake --install build --prefix DIR    installs there (any path, spaces included)
#   cd build && cpack -G DEB              builds zelkar_<version>_<arch>.deb for /usr

set(ZELKAR_APP_ID "org.zelkar.Zelkar" CACHE STRING "the AppStream id of the program")
set(ZELKAR_SCREENSHOT_URL "https://zelkar.invalid/docs" CACHE STRING
  "where the published docs/ pictures can be fetched from (the AppStream screenshots)")

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(generated ${PROJECT_BINARY_DIR}/packaging)

install(TARGETS zelkar zelkar-hidinfo zelkar-vhid RUNTIME DESTINATION bin)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/skin/ DESTINATION share/zelkar/skin
  PATTERN README.md EXCLUDE PATTERN controls.txt EXCLUDE PATTERN program_keys.txt EXCLUDE)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/defaults/ DESTINATION share/zelkar/defaults)
install(FILES ${packaging}/zelkar.desktop DESTINATION share/applications)
install(DIRECTORY ${packaging}/icons/hicolor DESTINATION share/icons)
configure_file(${packaging}/org.zelkar.Zelkar.metainfo.xml.in ${generated}/${ZELKAR_APP_ID}.metainfo.xml @ONLY)
install(FILES ${generated}/${ZELKAR_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${packaging}/70-zelkar.rules DESTINATION lib/udev/rules.d)

# Manual pages: the version filled in, then compressed without a time stamp (as Debian wants).
set(ZELKAR_MAN_PAGES "")
foreach(page zelkar zelkar-hidinfo zelkar-vhid)
  configure_file(${packaging}/man/${page}.1 ${generated}/man/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${generated}/man/${page}.1.gz
    COMMAND gzip -9nkf ${page}.1
    WORKING_DIRECTORY ${generated}/man
    DEPENDS ${generated}/man/${page}.1
    COMMENT "compressing the ${page}(1) manual page")
  list(APPEND ZELKAR_MAN_PAGES ${generated}/man/${page}.1.gz)
endforeach()
add_custom_target(zelkar_man_pages ALL DEPENDS ${ZELKAR_MAN_PAGES})
install(FILES ${ZELKAR_MAN_PAGES} DESTINATION share/man/man1)

# The Debian package: dependencies from the binaries (dpkg-shlibdeps), the udev rules reloaded
# after installing and removing.
set(CPACK_PACKAGE_NAME zelkar)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zelkar developers")
set(ZELKAR_PACKAGE_MAINTAINER "Zelkar developers <zelkar@localhost>" CACHE STRING
  "the Maintainer field of the Debian package: set the address people should write to")
set(CPACK_PACKAGE_CONTACT "${ZELKAR_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "set up the Zelkar keyboard, mouse and mouse pad")
set(CPACK_PACKAGE_DESCRIPTION
  "Zelkar configures a family of USB gaming peripherals: a keyboard that two
add-on keyboard units can join, a mouse and an illuminated mouse pad. It
remaps keys and buttons, records macros, sets and streams lighting and keeps
profiles. The package brings the udev rule that lets the user at the seat use
the devices, and the device emulator zelkar-vhid for trying the program
without hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "udev, fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${packaging}/debian/postinst ${packaging}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
