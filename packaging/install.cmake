# Two install layouts of the same files:
# - cmake --install: the game under lib/veldrake, its data under share/veldrake,
#   a launcher in bin that starts it from the data folder, a menu entry, an icon,
#   the man page and the AppStream data.
# - the component "deb" (only when asked for by name, so a plain install never
#   gets it): Debian's games layout with prefix /usr, which packaging/make-deb packs.
include(GNUInstallDirs)

set(VELDRAKE_METAINFO_ID io.github.veldrake.Veldrake)
# Where the AppStream data points players and software centres, and where it
# expects the screenshot (docs/screenshot.png) to be published.
set(VELDRAKE_HOMEPAGE "https://veldrake.invalid" CACHE STRING "The game's home page, without a trailing slash")

# The release date is the one of the changelog's newest entry, so the man page
# and the AppStream release never disagree with it.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/debian/changelog release_trailer REGEX "^ -- .*  " LIMIT_COUNT 1)
if(NOT release_trailer MATCHES "  [A-Z][a-z][a-z], ([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "packaging/debian/changelog: no dated entry")
endif()
set(release_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND release_months ${CMAKE_MATCH_2} release_month)
math(EXPR release_month "${release_month} + 1")
math(EXPR release_day "${CMAKE_MATCH_1}")
foreach(part release_month release_day)
  if(${part} LESS 10)
    set(${part} 0${${part}})
  endif()
endforeach()
set(VELDRAKE_RELEASE_DATE ${CMAKE_MATCH_3}-${release_month}-${release_day})

configure_file(${CMAKE_CURRENT_LIST_DIR}/veldrake.6.in ${CMAKE_BINARY_DIR}/packaging/veldrake.6 @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/veldrake.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/${VELDRAKE_METAINFO_ID}.metainfo.xml @ONLY)
# For packaging/make-deb, which packs a build tree without configuring it again.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/packaging/version CONTENT "${PROJECT_VERSION}\n")

# veldrake_install_layout(<bin> <game dir> <data dir> [install() options...])
function(veldrake_install_layout bin_dir game_dir data_dir)
  # The launcher finds the game and its data relative to itself, so an
  # unpacked or relocated tree still plays.
  file(RELATIVE_PATH DATA_FROM_BIN /${bin_dir} /${data_dir})
  file(RELATIVE_PATH GAME_FROM_BIN /${bin_dir} /${game_dir}/veldrake)
  string(MAKE_C_IDENTIFIER "${bin_dir}" launcher_dir)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/veldrake.in
                 ${CMAKE_BINARY_DIR}/launcher/${launcher_dir}/veldrake @ONLY)
  set(share ${CMAKE_INSTALL_DATADIR})
  install(TARGETS veldrake RUNTIME DESTINATION ${game_dir} ${ARGN})
  install(DIRECTORY ${CMAKE_BINARY_DIR}/data/ DESTINATION ${data_dir} ${ARGN})
  install(PROGRAMS ${CMAKE_BINARY_DIR}/launcher/${launcher_dir}/veldrake DESTINATION ${bin_dir} ${ARGN})
  install(FILES ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/veldrake.desktop DESTINATION ${share}/applications ${ARGN})
  install(FILES ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/veldrake.svg
          DESTINATION ${share}/icons/hicolor/scalable/apps ${ARGN})
  install(FILES ${CMAKE_BINARY_DIR}/packaging/veldrake.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 ${ARGN})
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${VELDRAKE_METAINFO_ID}.metainfo.xml
          DESTINATION ${share}/metainfo ${ARGN})
endfunction()

veldrake_install_layout(${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_LIBDIR}/veldrake ${CMAKE_INSTALL_DATADIR}/veldrake)
veldrake_install_layout(games lib/games/veldrake share/games/veldrake COMPONENT deb EXCLUDE_FROM_ALL)
