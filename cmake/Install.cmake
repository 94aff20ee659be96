# Installing puts the program, its language files, the instructions, the icon
# and a desktop entry into one folder, /opt/scrivo-poker unless a prefix is
# given; `cpack -G DEB` in a Release build folder makes a Debian package of it.
if(NOT TARGET scrivo-poker)
  return()
endif()

if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX /opt/scrivo-poker CACHE PATH "Install folder of Scrivo Poker" FORCE)
endif()

# The package's folder, named by the menu entry links its scripts make.
set(SCRIVO_PACKAGE_DIR /opt/scrivo-poker)
set(SCRIVO_INSTALL_DIR ${SCRIVO_PACKAGE_DIR})
configure_file(${CMAKE_SOURCE_DIR}/data/postinst.in ${CMAKE_BINARY_DIR}/package/postinst @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
configure_file(${CMAKE_SOURCE_DIR}/data/prerm.in ${CMAKE_BINARY_DIR}/package/prerm @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)

install(TARGETS scrivo-poker RUNTIME DESTINATION . COMPONENT program)
file(GLOB SCRIVO_INSTALL_LANG ${CMAKE_SOURCE_DIR}/lang/Lang_*.ini)
install(FILES ${SCRIVO_INSTALL_LANG} DESTINATION . COMPONENT program)
install(FILES ${CMAKE_SOURCE_DIR}/docs/readme.html DESTINATION . COMPONENT program)
install(FILES ${CMAKE_SOURCE_DIR}/data/scrivo-poker.svg DESTINATION . COMPONENT program)
# The desktop entry names the folder the program is installed in, worked
# out when installing (a package installs with its own prefix).
install(CODE "
  file(READ \"${CMAKE_SOURCE_DIR}/data/scrivo-poker.desktop.in\" entry)
  string(REPLACE \"@SCRIVO_INSTALL_DIR@\" \"\${CMAKE_INSTALL_PREFIX}\" entry \"\${entry}\")
  file(WRITE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/scrivo-poker.desktop\" \"\${entry}\")
  message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/scrivo-poker.desktop\")
" COMPONENT program)

set(CPACK_PACKAGE_NAME scrivo-poker)
set(CPACK_PACKAGE_VENDOR "Scrivo Poker")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Texas Hold'em for a shared folder on a LAN")
set(CPACK_PACKAGE_DESCRIPTION "Scrivo Poker is a multiplayer Texas Hold'em game for a small office or home network. It needs no server: every player's copy points at one shared folder (a Samba or NFS share) and plays through the files in it. Computer players fill empty seats.")
set(CPACK_PACKAGE_CONTACT "Scrivo Poker maintainers <scrivo-poker@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${SCRIVO_PACKAGE_DIR})
set(CPACK_PACKAGE_FILE_NAME "scrivo-poker_${PROJECT_VERSION}_amd64")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The windows need the platform plugins, which the libraries only recommend.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_BINARY_DIR}/package/postinst;${CMAKE_BINARY_DIR}/package/prerm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
