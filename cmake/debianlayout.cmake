# Run by CPack on the staged files of a package, before it is built. The
# Debian package keeps the program's folder (the program, its tool, the
# sample finder, and later the catalogue) at CPACK_PACKAGING_INSTALL_PREFIX,
# and moves the menu entry and the icon to where the desktop looks for them.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

include("${CPACK_TABRIX_CMAKE_DIR}/desktopentry.cmake")

set(stage "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
set(program_dir "${stage}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(applications "${stage}/usr/share/applications")
set(icons "${stage}/usr/share/icons/hicolor/scalable/apps")

file(REMOVE "${program_dir}/tabrix.desktop")
tabrix_desktop_entry("${CPACK_TABRIX_DESKTOP_TEMPLATE}" "${applications}/tabrix.desktop"
                     "${CPACK_PACKAGING_INSTALL_PREFIX}/tabrix" "tabrix")
file(MAKE_DIRECTORY "${icons}")
file(RENAME "${program_dir}/tabrix.svg" "${icons}/tabrix.svg")

# Folders as every user may read them, whatever the packager's umask.
foreach(folder usr usr/share usr/share/applications usr/share/icons usr/share/icons/hicolor
               usr/share/icons/hicolor/scalable usr/share/icons/hicolor/scalable/apps)
  file(CHMOD "${stage}/${folder}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
       GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
