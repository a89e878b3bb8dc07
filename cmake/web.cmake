# The game for the browser: WebAssembly with Emscripten, the platform layer
# over the page (web_*.cpp) and Emscripten's OpenAL. build-web/ ends up as
# the page itself: index.html, veldrake.js and .wasm, and the data bundle.

file(GLOB PLATFORM_WEB_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/web_*.cpp)
add_library(veldrake_platform_web STATIC ${PLATFORM_WEB_SOURCES} ${CMAKE_SOURCE_DIR}/src/platform/openal_audio.cpp)
target_include_directories(veldrake_platform_web PUBLIC ${CMAKE_SOURCE_DIR}/src
  PRIVATE ${CMAKE_SOURCE_DIR}/src/platform/web/include)

add_executable(veldrake src/app/main.cpp)
target_link_libraries(veldrake PRIVATE veldrake_core veldrake_platform_web)
set_target_properties(veldrake PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# The game keeps its blocking loop: ASYNCIFY lets every sleep hand the page
# back to the browser. main runs only when the player clicks to start.
target_link_options(veldrake PRIVATE
  -sLEGACY_GL_EMULATION=1 -lEGL -lopenal
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  -sINVOKE_RUN=0 -sEXIT_RUNTIME=1 -sEXPORTED_RUNTIME_METHODS=callMain
  -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web -sFORCE_FILESYSTEM=1)

# The page and its data bundle beside the program.
configure_file(${CMAKE_SOURCE_DIR}/src/platform/web/index.html ${CMAKE_BINARY_DIR}/index.html COPYONLY)
set(VELDRAKE_BUNDLE ${CMAKE_BINARY_DIR}/veldrake-data.js ${CMAKE_BINARY_DIR}/veldrake-data.data)
add_custom_command(
  OUTPUT ${VELDRAKE_BUNDLE}
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/pack-web-data ${CMAKE_BINARY_DIR}/data ${CMAKE_BINARY_DIR}
  DEPENDS game_data ${CMAKE_SOURCE_DIR}/scripts/pack-web-data
  COMMENT "Packing the data bundle"
  VERBATIM)
add_custom_target(web_data ALL DEPENDS ${VELDRAKE_BUNDLE})

# dist/veldrake-<version>-web.zip: the page, ready for any static web server.
set(VELDRAKE_ZIP ${CMAKE_SOURCE_DIR}/dist/veldrake-${PROJECT_VERSION}-web.zip)
set(VELDRAKE_ZIP_STAGE ${CMAKE_BINARY_DIR}/zip/veldrake-${PROJECT_VERSION}-web)
configure_file(${CMAKE_SOURCE_DIR}/cmake/web-readme.txt ${CMAKE_BINARY_DIR}/README.txt @ONLY)
set(VELDRAKE_ZIP_EXTRA)
if(EXISTS ${CMAKE_SOURCE_DIR}/LICENSE)
  set(VELDRAKE_ZIP_EXTRA ${CMAKE_SOURCE_DIR}/LICENSE)
endif()
add_custom_command(
  OUTPUT ${VELDRAKE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VELDRAKE_ZIP_STAGE} ${CMAKE_SOURCE_DIR}/dist
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/index.html ${CMAKE_BINARY_DIR}/veldrake.js
          ${CMAKE_BINARY_DIR}/veldrake.wasm ${VELDRAKE_BUNDLE} ${CMAKE_BINARY_DIR}/README.txt ${VELDRAKE_ZIP_EXTRA}
          ${VELDRAKE_ZIP_STAGE}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VELDRAKE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/zip
          ${CMAKE_COMMAND} -E tar cf ${VELDRAKE_ZIP} --format=zip veldrake-${PROJECT_VERSION}-web
  DEPENDS veldrake web_data ${CMAKE_BINARY_DIR}/index.html ${CMAKE_BINARY_DIR}/README.txt
  COMMENT "Packing ${VELDRAKE_ZIP}"
  VERBATIM)
add_custom_target(web_zip ALL DEPENDS ${VELDRAKE_ZIP})
