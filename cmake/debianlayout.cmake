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

# What Debian asks of every package: its copyright, its changelog
# (compressed, without a time stamp) and, for the /opt placement, the
# reason Debian's checker is told about.
set(doc "${stage}/usr/share/doc/tabrix")
file(MAKE_DIRECTORY "${doc}" "${stage}/usr/share/lintian/overrides")
file(COPY_FILE "${CPACK_TABRIX_PACKAGING_DIR}/copyright" "${doc}/copyright")
execute_process(COMMAND gzip -9 -n -c "${CPACK_TABRIX_PACKAGING_DIR}/changelog"
                OUTPUT_FILE "${doc}/changelog.gz" RESULT_VARIABLE zipped)
if(NOT zipped EQUAL 0)
  message(FATAL_ERROR "gzip failed on the changelog")
endif()
file(COPY_FILE "${CPACK_TABRIX_PACKAGING_DIR}/lintian-overrides"
     "${stage}/usr/share/lintian/overrides/tabrix")

# Folders and files as every user may read them, whatever the packager's umask.
foreach(folder usr usr/share usr/share/applications usr/share/icons usr/share/icons/hicolor
               usr/share/icons/hicolor/scalable usr/share/icons/hicolor/scalable/apps
               usr/share/doc usr/share/doc/tabrix usr/share/lintian usr/share/lintian/overrides)
  file(CHMOD "${stage}/${folder}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
       GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
foreach(plain usr/share/doc/tabrix/copyright usr/share/doc/tabrix/changelog.gz
              usr/share/lintian/overrides/tabrix)
  file(CHMOD "${stage}/${plain}" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
