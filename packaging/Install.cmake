# Installing the demo and packaging it. `cmake --install build --prefix P` lays out
#   P/bin/zarnovelt                                    the program
#   P/share/zarnovelt/data/                            the generated data
#   P/share/applications/zarnovelt.desktop             the menu entry
#   P/share/icons/hicolor/<n>x<n>/apps/zarnovelt.png   the icon, 16 to 256 pixels
#   P/share/man/man6/zarnovelt.6.gz                    the manual page
#   P/share/doc/zarnovelt/                             README.md, copyright, changelog.gz
# The program finds its data at ../share/zarnovelt/data from its own folder
# (demosys/show/DataDirectory.h), so the tree works under any prefix. Tests, benchmarks, fuzz
# targets and the generator are never installed. `cpack` (scripts/package.sh) makes
# packages/zarnovelt-<version>-Linux.tar.gz and packages/zarnovelt_<version>_amd64.deb.
include(GNUInstallDirs)

# Installing needs only the program, its data and the files below, not everything.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(ZARNOVELT_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/zarnovelt/data)
set(ZARNOVELT_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/zarnovelt)
file(RELATIVE_PATH zarnovelt_data_from_bin ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/zarnovelt/data)
if(NOT zarnovelt_data_from_bin STREQUAL "../share/zarnovelt/data")
  message(FATAL_ERROR "The installed program looks for its data at ../share/zarnovelt/data from its folder, "
    "but CMAKE_INSTALL_BINDIR and CMAKE_INSTALL_DATADIR put it at ${zarnovelt_data_from_bin}")
endif()

# The manual page and the changelog, compressed as Debian wants them (no name or time stamp in
# the gzip header, so the bytes are the same on every build), and the copyright file made from
# LICENSE in the machine-readable form.
set(ZARNOVELT_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)
add_custom_command(
  OUTPUT ${ZARNOVELT_PACKAGING_DIR}/zarnovelt.6.gz ${ZARNOVELT_PACKAGING_DIR}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZARNOVELT_PACKAGING_DIR}
  COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/packaging/zarnovelt.6 > ${ZARNOVELT_PACKAGING_DIR}/zarnovelt.6.gz
  COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/CHANGELOG > ${ZARNOVELT_PACKAGING_DIR}/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/zarnovelt.6 ${CMAKE_SOURCE_DIR}/CHANGELOG
  COMMENT "Compressing the manual page and the changelog"
  VERBATIM)
add_custom_target(zarnovelt_docs ALL
  DEPENDS ${ZARNOVELT_PACKAGING_DIR}/zarnovelt.6.gz ${ZARNOVELT_PACKAGING_DIR}/changelog.gz)
# With the data, so a tree built by scripts/run-demo.sh (the program and its data) installs too.
add_dependencies(zarnovelt_data zarnovelt_docs)

set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE)
file(READ ${CMAKE_SOURCE_DIR}/LICENSE zarnovelt_license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" zarnovelt_holder "${zarnovelt_license}")
set(zarnovelt_holder "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^MIT License\n\nCopyright[^\n]*\n\n" "" zarnovelt_license "${zarnovelt_license}")
string(REGEX REPLACE "\n+$" "" zarnovelt_license "${zarnovelt_license}")
string(REGEX REPLACE "\n\n" "\n.\n" zarnovelt_license "${zarnovelt_license}")
string(REGEX REPLACE "\n" "\n " zarnovelt_license "${zarnovelt_license}")
file(WRITE ${ZARNOVELT_PACKAGING_DIR}/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: zarnovelt\n"
  "Upstream-Contact: Quillmarsh party gang\n"
  "Comment: All data the demo reads (textures, models, height map, soundtrack, timeline\n"
  " script) and the icon are generated at build time by the project's own code, and carry\n"
  " the same licence as the code.\n"
  "\n"
  "Files: *\n"
  "Copyright: ${zarnovelt_holder}\n"
  "License: Expat\n"
  "\n"
  "License: Expat\n"
  " ${zarnovelt_license}\n")

install(TARGETS zarnovelt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The data folder as the generator made it; the review sheet and the icons live beside it, not in it.
install(DIRECTORY ${ZARNOVELT_DATA_DIR}/ DESTINATION ${ZARNOVELT_INSTALL_DATADIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/zarnovelt.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 128 256)
  install(FILES ${ZARNOVELT_RESOURCE_DIR}/icons/zarnovelt-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME zarnovelt.png)
endforeach()
install(FILES ${ZARNOVELT_PACKAGING_DIR}/zarnovelt.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${ZARNOVELT_PACKAGING_DIR}/copyright ${ZARNOVELT_PACKAGING_DIR}/changelog.gz
  DESTINATION ${ZARNOVELT_INSTALL_DOCDIR})

# ---------------------------------------------------------------------------------------------
# Packages: a relocatable .tar.gz (bin/ and share/ under zarnovelt-<version>-Linux/) and a .deb
# installing under /usr.
# ---------------------------------------------------------------------------------------------
set(CPACK_PACKAGE_NAME zarnovelt)
set(CPACK_PACKAGE_VENDOR "Quillmarsh party gang")
set(CPACK_PACKAGE_CONTACT "Quillmarsh party gang <zarnovelt@quillmarsh.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time audio-visual demo by Quillmarsh party gang")
set(CPACK_PACKAGE_DESCRIPTION
  "Zarnovelt plays fifteen OpenGL 1.1 effects layered in time with its own
soundtrack, driven by a timeline script. It runs in a window, with a start-up
dialog, or headless, and can capture the whole show to PNG files or, with
ffmpeg, to a video with sound. All of its data is generated by its own code.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_GENERATOR TGZ DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_FILE_NAME zarnovelt-${PROJECT_VERSION}-Linux)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# "graphics", not "games": Debian keeps games in /usr/games, and a demo is watched, not played.
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends: from the shared libraries the program links (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the window's GL library, which SDL opens
# (libGL.so.1), and Mesa's drivers, without which neither the window nor the headless EGL
# context gets a GL context on a machine without another vendor's driver.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libgl1-mesa-dri")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ffmpeg)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
