# The Debian package (scripts/package): cpack -G DEB from the build folder.

# What Debian wants beside the programs: the copyright and the changelog.
set(VIVORI_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(
  OUTPUT ${VIVORI_CHANGELOG}
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${VIVORI_CHANGELOG}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
  COMMENT "Compressing the changelog")
add_custom_target(vivori_changelog ALL DEPENDS ${VIVORI_CHANGELOG})
install(FILES packaging/copyright ${VIVORI_CHANGELOG} DESTINATION share/doc/vivori-trivex)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vivori-trivex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VIVORI Trivex developers")
set(CPACK_PACKAGE_CONTACT "VIVORI Trivex developers <vivori-trivex@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "settings of the VIVORI gaming keyboard, mouse, mouse pad and headset")
set(CPACK_PACKAGE_DESCRIPTION
    "A configuration utility for the VELTRA VIVORI family of gaming
peripherals: the keyboard and the mouse on their cable or through their
2.4 GHz receivers, the mouse pad and the headset. It changes lighting
effects and colours, key and button assignments, macros, recoil patterns,
sensitivity stages and the headset's audio settings, and keeps them as
named profiles per device. vivori-ctl does the same from the command line,
for scripts and diagnosis.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; the fonts are links into these packages;
# libcurl is loaded at run time, so shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(VIVORI_DEPENDS libcurl4 ${VIVORI_FONT_PACKAGES})
string(REPLACE ";" ", " VIVORI_DEPENDS "${VIVORI_DEPENDS}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${VIVORI_DEPENDS}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/postinst ${PROJECT_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
