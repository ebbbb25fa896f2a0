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
set(CPACK_PACKAGE_CONTACT "Equipe BKPZelto <bkpzelto@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "gerenciador de backups programados")
set(CPACK_PACKAGE_DESCRIPTION "Programa residente na bandeja do sistema que executa backups
programados: compacta pastas com um arquivador externo, faz o rodízio dos
arquivos antigos e os envia por FTP. Guarda as tarefas num banco Firebird.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links come from dpkg-shlibdeps; the embedded engine is
# a plugin the client library loads, so it is named here, and so is the SSH library
# of "sftp://" hosts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "firebird3.0-server-core, libssh-4")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${BKP_DATA}/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_STRIP_FILES ON)
include(CPack)
