# dist/veldrake-<version>-win64.zip: the game, its data (textures, sound and
# the window's icon), a read-me and the licence, ready
# to unpack and run.
set(VELDRAKE_ZIP ${CMAKE_SOURCE_DIR}/dist/veldrake-${PROJECT_VERSION}-win64.zip)
set(VELDRAKE_ZIP_STAGE ${CMAKE_BINARY_DIR}/zip)
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows-readme.txt ${CMAKE_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
add_custom_command(
  OUTPUT ${VELDRAKE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${VELDRAKE_ZIP_STAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VELDRAKE_ZIP_STAGE} ${CMAKE_SOURCE_DIR}/dist
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:veldrake> ${CMAKE_BINARY_DIR}/README.txt ${CMAKE_BINARY_DIR}/LICENSE.txt
          ${CMAKE_BINARY_DIR}/data/rifle.wav ${CMAKE_BINARY_DIR}/data/icon.bmp ${VELDRAKE_ZIP_STAGE}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_BINARY_DIR}/data/texture ${VELDRAKE_ZIP_STAGE}/texture
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VELDRAKE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E chdir ${VELDRAKE_ZIP_STAGE}
          ${CMAKE_COMMAND} -E tar cf ${VELDRAKE_ZIP} --format=zip veldrake.exe README.txt LICENSE.txt rifle.wav icon.bmp texture
  DEPENDS veldrake game_data ${CMAKE_BINARY_DIR}/README.txt ${CMAKE_BINARY_DIR}/LICENSE.txt
  COMMENT "Packing ${VELDRAKE_ZIP}"
  VERBATIM)
add_custom_target(windows_zip ALL DEPENDS ${VELDRAKE_ZIP})
