# What the installed program brings beside itself and its guides (desktop entry, icons,
# AppStream metadata, manual page, Debian's copyright and changelog), and the Debian package
# that CPack builds from it: `cpack -G DEB` in a build configured with the prefix /usr.

set(SIMAT_APP_ID org.simat.Simat)
set(SIMAT_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(SIMAT_PACKAGING_BUILD_DIR ${PROJECT_BINARY_DIR}/packaging)
set(CPACK_PACKAGE_CONTACT "The Simat developers <maintainers@simat.example>"
    CACHE STRING "The maintainer named in the Debian package")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(SIMAT_DEB_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})

install(FILES ${SIMAT_PACKAGING_DIR}/${SIMAT_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${SIMAT_PACKAGING_DIR}/${SIMAT_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${SIMAT_PACKAGING_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${SIMAT_PACKAGING_DIR}/simat.lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME simat)

# The icon: the drawing itself, and pictures of the sizes menus ask for when rsvg-convert is
# there to draw them.
set(SIMAT_ICON ${SIMAT_PACKAGING_DIR}/simat.svg)
set(SIMAT_PACKAGING_OUTPUTS)
install(FILES ${SIMAT_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(SIMAT_RSVG_CONVERT rsvg-convert)
if(SIMAT_RSVG_CONVERT)
  foreach(size 16 24 32 48 64 128 256)
    set(png ${SIMAT_PACKAGING_BUILD_DIR}/icons/${size}x${size}/simat.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${SIMAT_PACKAGING_BUILD_DIR}/icons/${size}x${size}
      COMMAND ${SIMAT_RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${SIMAT_ICON}
      DEPENDS ${SIMAT_ICON}
      COMMENT "Drawing the ${size}x${size} icon"
      VERBATIM)
    list(APPEND SIMAT_PACKAGING_OUTPUTS ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
else()
  message(STATUS "rsvg-convert not found: the icon is installed as a drawing (SVG) only")
endif()

# Debian keeps manual pages and changelogs compressed, without names or times in the header.
find_program(SIMAT_GZIP gzip REQUIRED)
function(simat_gzipped source destination)
  get_filename_component(name ${source} NAME)
  set(gzipped ${SIMAT_PACKAGING_BUILD_DIR}/gz/${name}.gz)
  add_custom_command(OUTPUT ${gzipped}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${SIMAT_PACKAGING_BUILD_DIR}/gz/${name}
    COMMAND ${SIMAT_GZIP} -9nf ${SIMAT_PACKAGING_BUILD_DIR}/gz/${name}
    DEPENDS ${source}
    COMMENT "Compressing ${name}"
    VERBATIM)
  set(SIMAT_PACKAGING_OUTPUTS ${SIMAT_PACKAGING_OUTPUTS} ${gzipped} PARENT_SCOPE)
  install(FILES ${gzipped} DESTINATION ${destination})
endfunction()
configure_file(${SIMAT_PACKAGING_DIR}/changelog.Debian.in
               ${SIMAT_PACKAGING_BUILD_DIR}/changelog.Debian @ONLY)
simat_gzipped(${SIMAT_PACKAGING_DIR}/simat.1 ${CMAKE_INSTALL_MANDIR}/man1)
simat_gzipped(${SIMAT_PACKAGING_BUILD_DIR}/changelog.Debian ${CMAKE_INSTALL_DOCDIR})
add_custom_target(simat-packaging ALL DEPENDS ${SIMAT_PACKAGING_OUTPUTS})

# A project that adds Simat with add_subdirectory() makes its own packages.
if(NOT PROJECT_IS_TOP_LEVEL)
  return()
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME simat)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "register and screen children for autistic traits")
# Lines of at most 79 characters, for Debian's 80-column terminals.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Simat is the register of a centre that screens children for autistic\n"
    "traits. Staff register each child as a case; a tester answers the centre's\n"
    "traits checklist, and the program shows each domain's and the whole\n"
    "checklist's mark as a percentage with a verdict. Tests are stored, reopened,\n"
    "closed, printed and compared; inquiries and reports list cases and tests.\n"
    "It works on an embedded SQLite database or on a PostgreSQL server shared by\n"
    "several workstations. The interface is Arabic.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the program links are found by dpkg-shlibdeps; what it loads by name
# at run time is not: the SQL drivers, Qt's Arabic texts and the fonts of screens and reports.
# The workbook library is named as well, since its package keeps its soname in its name.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libqt6sql6-psql, qt6-translations-l10n, fonts-noto-ui-core, libxlsxwriter4")
# Backups on a shared server (pg_dump, pg_restore) and opening the guides.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "postgresql-client, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR}/packages)
include(CPack)
