# dist/veldrake-<version>-web.zip: the page, ready for any static web server.
set(VELDRAKE_ZIP ${CMAKE_SOURCE_DIR}/dist/veldrake-${PROJECT_VERSION}-web.zip)
set(VELDRAKE_ZIP_STAGE ${CMAKE_BINARY_DIR}/zip/veldrake-${PROJECT_VERSION}-web)
configure_file(${CMAKE_SOURCE_DIR}/packaging/web-readme.txt ${CMAKE_BINARY_DIR}/README.txt @ONLY)
set(VELDRAKE_ZIP_EXTRA)
if(EXISTS ${CMAKE_SOURCE_DIR}/LICENSE)
  set(VELDRAKE_ZIP_EXTRA ${CMAKE_SOURCE_DIR}/LICENSE)
endif()
add_custom_command(
  OUTPUT ${VELDRAKE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VELDRAKE_ZIP_STAGE} ${CMAKE_SOURCE_DIR}/dist
  COMMAND ${CMAKE_COMMAND} -E copy ${VELDRAKE_PAGE} ${CMAKE_BINARY_DIR}/veldrake.js
          ${CMAKE_BINARY_DIR}/veldrake.wasm ${VELDRAKE_BUNDLE} ${CMAKE_BINARY_DIR}/README.txt ${VELDRAKE_ZIP_EXTRA}
          ${VELDRAKE_ZIP_STAGE}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VELDRAKE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/zip
          ${CMAKE_COMMAND} -E tar cf ${VELDRAKE_ZIP} --format=zip veldrake-${PROJECT_VERSION}-web
  DEPENDS veldrake web_data ${VELDRAKE_BUNDLE} ${VELDRAKE_PAGE} ${CMAKE_BINARY_DIR}/README.txt
  COMMENT "Packing ${VELDRAKE_ZIP}"
  VERBATIM)
add_custom_target(web_zip ALL DEPENDS ${VELDRAKE_ZIP})
