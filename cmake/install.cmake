# Installing Tabrix. Everything goes into one folder, the program's
# directory: the program, its tool tabrix-admin, the sample finder
# Fendrel.exe, the menu entry tabrix.desktop and the icon tabrix.svg. The
# catalogue Tabrix.mdb is kept in that folder too when the user can write
# there (else in the user's data folder); installing never creates,
# replaces or removes it.
#
#   cmake --install build --prefix ~/Tabrix
#
# The Debian package (cpack in the build folder) installs the same folder
# as /opt/tabrix, with the menu entry and the icon where the desktop finds
# them (see debianlayout.cmake).

# Without --prefix, the folder the Debian package uses too (rather than
# scattering the program folder's files over /usr/local).
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX "/opt/tabrix" CACHE PATH "The program's folder" FORCE)
endif()

set(TABRIX_DESKTOP_TEMPLATE "${CMAKE_CURRENT_SOURCE_DIR}/packaging/tabrix.desktop.in")

install(TARGETS tabrix tabrix-admin RUNTIME DESTINATION .)
install(PROGRAMS "${CMAKE_CURRENT_SOURCE_DIR}/tools/fendrel/Fendrel.exe" DESTINATION . OPTIONAL)
install(FILES "${CMAKE_CURRENT_SOURCE_DIR}/packaging/tabrix.svg" DESTINATION .)

# The menu entry names the installed program by its full path, known only
# when installing (cmake --install --prefix chooses it then).
install(CODE "
  include(\"${CMAKE_CURRENT_LIST_DIR}/desktopentry.cmake\")
  set(tabrix_folder \"\${CMAKE_INSTALL_PREFIX}\")
  set(tabrix_entry \"\$ENV{DESTDIR}\${tabrix_folder}/tabrix.desktop\")
  message(STATUS \"Installing: \${tabrix_entry}\")
  tabrix_desktop_entry(\"${TABRIX_DESKTOP_TEMPLATE}\" \"\${tabrix_entry}\"
                       \"\${tabrix_folder}/tabrix\" \"\${tabrix_folder}/tabrix.svg\")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${tabrix_entry}\")
")

# The Debian package: cpack -G DEB (or plain cpack) in the build folder.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tabrix")
set(CPACK_PACKAGE_VENDOR "Tabrix")
set(TABRIX_MAINTAINER "Les développeurs de Tabrix <tabrix@example.org>" CACHE STRING
    "Maintainer of the Debian package: name and mail address")
set(CPACK_PACKAGE_CONTACT "${TABRIX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalogue des énigmes en images du forum Norvane")
# The long description, in lines of at most 80 characters.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tabrix tient à jour les listes Zarpo, Melvi, Trunda et Vasquo des énigmes\n"
    "en images postées sur le forum Norvane : ajout et correction des entrées,\n"
    "tri, recherche, statistiques par auteur, affichage des images.\n"
    "Le programme s'installe dans /opt/tabrix ; le catalogue de chaque\n"
    "utilisateur se tient dans ~/.local/share/Tabrix, créé au premier démarrage.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/opt/tabrix")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "misc")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The picture window shrinks images with ImageMagick; Qt's dialogs speak
# French with the Qt translations.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "imagemagick")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/debianlayout.cmake")
set(CPACK_TABRIX_CMAKE_DIR "${CMAKE_CURRENT_LIST_DIR}")
set(CPACK_TABRIX_PACKAGING_DIR "${CMAKE_CURRENT_SOURCE_DIR}/packaging")
set(CPACK_TABRIX_DESKTOP_TEMPLATE "${TABRIX_DESKTOP_TEMPLATE}")
include(CPack)
