# cmake --install: the game under lib/veldrake, its data under share/veldrake,
# a launcher in bin that starts it from the data folder, a menu entry and an icon.
include(GNUInstallDirs)
set(VELDRAKE_GAME_DIR ${CMAKE_INSTALL_LIBDIR}/veldrake)
set(VELDRAKE_DATA_DIR ${CMAKE_INSTALL_DATADIR}/veldrake)
file(RELATIVE_PATH DATA_FROM_BIN /${CMAKE_INSTALL_BINDIR} /${VELDRAKE_DATA_DIR})
file(RELATIVE_PATH GAME_FROM_BIN /${CMAKE_INSTALL_BINDIR} /${VELDRAKE_GAME_DIR}/veldrake)
configure_file(${CMAKE_CURRENT_LIST_DIR}/veldrake.in ${CMAKE_BINARY_DIR}/launcher/veldrake @ONLY)

install(TARGETS veldrake RUNTIME DESTINATION ${VELDRAKE_GAME_DIR})
install(DIRECTORY ${CMAKE_BINARY_DIR}/data/ DESTINATION ${VELDRAKE_DATA_DIR})
install(PROGRAMS ${CMAKE_BINARY_DIR}/launcher/veldrake DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/veldrake.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/veldrake.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
