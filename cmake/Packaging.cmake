# Install rules and the Debian package. The layout is the package's: the program,
# its start command and its icon in /opt/bkpzelto, the menu entry in
# /usr/share/applications, a start at login in /etc/xdg/autostart.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX "/" CACHE PATH "Install prefix" FORCE)
endif()
set(BKP_DATA ${PROJECT_SOURCE_DIR}/data)

install(TARGETS bkpzelto RUNTIME DESTINATION opt/bkpzelto)
install(PROGRAMS ${BKP_DATA}/bkpzelto-start DESTINATION opt/bkpzelto)
install(FILES ${BKP_DATA}/icons/bkpzelto.svg ${BKP_DATA}/icons/bkpzelto-48.png
  ${BKP_DATA}/icons/bkpzelto-256.png DESTINATION opt/bkpzelto)
install(FILES ${BKP_DATA}/icons/bkpzelto-48.png DESTINATION usr/share/icons/hicolor/48x48/apps
  RENAME bkpzelto.png)
install(FILES ${BKP_DATA}/icons/bkpzelto-256.png DESTINATION usr/share/icons/hicolor/256x256/apps
  RENAME bkpzelto.png)
install(FILES ${BKP_DATA}/icons/bkpzelto.svg DESTINATION usr/share/icons/hicolor/scalable/apps)

set(EXEC /opt/bkpzelto/bkpzelto-start)
configure_file(${BKP_DATA}/bkpzelto.desktop.in ${CMAKE_BINARY_DIR}/package/bkpzelto.desktop @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/bkpzelto.desktop DESTINATION usr/share/applications)
install(FILES ${CMAKE_BINARY_DIR}/package/bkpzelto.desktop DESTINATION etc/xdg/autostart)

# Who answers for the package: the project's maintainers as the source tree's git
# identity names them, unless the build is told otherwise.
if(NOT BKP_MAINTAINER)
  execute_process(COMMAND git config user.name WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE git_name OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  execute_process(COMMAND git config user.email WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE git_email OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(git_name AND git_email)
    set(maintainer "${git_name} <${git_email}>")
  else()
    set(maintainer "BKPZelto maintainers <maintainers@bkpzelto.invalid>")
  endif()
  set(BKP_MAINTAINER "${maintainer}" CACHE STRING "Maintainer field of the Debian package")
endif()

# What Debian asks of every package: its copyright and its changelog, compressed.
configure_file(${BKP_DATA}/debian/copyright ${CMAKE_BINARY_DIR}/package/copyright COPYONLY)
configure_file(${BKP_DATA}/debian/changelog ${CMAKE_BINARY_DIR}/package/changelog @ONLY)
execute_process(COMMAND gzip -n -9 -f -k ${CMAKE_BINARY_DIR}/package/changelog)
install(FILES ${CMAKE_BINARY_DIR}/package/copyright ${CMAKE_BINARY_DIR}/package/changelog.gz
  DESTINATION usr/share/doc/bkpzelto)
install(FILES ${BKP_DATA}/debian/lintian-overrides DESTINATION usr/share/lintian/overrides
  RENAME bkpzelto)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME bkpzelto)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX "/")
set(CPACK_PACKAGE_CONTACT "${BKP_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BKP_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "gerenciador de backups programados")
set(CPACK_PACKAGE_DESCRIPTION "Programa residente na bandeja do sistema que executa backups
programados: compacta pastas com um arquivador externo, faz o rodízio dos
arquivos antigos e os envia por FTP. Guarda as tarefas num banco Firebird.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links come from dpkg-shlibdeps; the embedded engine and
# Qt's platform plugins (without them the program cannot open a window) are plugins
# loaded at run time, so they are named here. The archivers a job runs are
# recommended: 7-Zip first, ARJ beside it. The SSH library of "sftp://" hosts is a
# dependency of its own.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "firebird3.0-server-core, qt6-qpa-plugins, libssh-4")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, 7zip, arj")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${BKP_DATA}/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_STRIP_FILES ON)
include(CPack)
