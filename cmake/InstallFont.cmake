# Installs one font file under the name the program loads it by. Under /usr (the
# Debian package) it is a relative link into the font package's file, which the
# package depends on; under any other prefix a copy, since that file need not be
# reachable from there.
set(folder "${CMAKE_INSTALL_PREFIX}/${VIVORI_FONT_FOLDER}")
set(destination "$ENV{DESTDIR}${folder}/${VIVORI_FONT_NAME}")
file(MAKE_DIRECTORY "$ENV{DESTDIR}${folder}")
file(REMOVE "${destination}")
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  file(RELATIVE_PATH target "${folder}" "${VIVORI_FONT_SOURCE}")
  message(STATUS "Linking: ${destination} -> ${target}")
  file(CREATE_LINK "${target}" "${destination}" SYMBOLIC)
else()
  message(STATUS "Installing: ${destination}")
  file(COPY_FILE "${VIVORI_FONT_SOURCE}" "${destination}")
endif()
