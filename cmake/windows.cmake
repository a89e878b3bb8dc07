# The game for Windows: the platform layer over Win32, WGL and DirectSound,
# linked with the C and C++ runtimes inside the executable so that it needs
# nothing but the system's own DLLs.

# mingw-w64's GL/gl.h pulls in all of windows.h unless these two are known,
# and windows.h's macros would rewrite the platform header's names.
target_compile_definitions(veldrake_core PUBLIC "WINGDIAPI=__declspec(dllimport)" "APIENTRY=__stdcall" "CALLBACK=__stdcall")

# Every program of this build, tests too, carries its own runtimes.
add_link_options(-static)

# An import library that takes DirectSoundCreate from dsound.dll by number.
set(VELDRAKE_DSOUND_IMPORTS ${CMAKE_BINARY_DIR}/libdsound_by_ordinal.a)
add_custom_command(
  OUTPUT ${VELDRAKE_DSOUND_IMPORTS}
  COMMAND ${CMAKE_DLLTOOL} -d ${CMAKE_SOURCE_DIR}/src/platform/win32_dsound.def -l ${VELDRAKE_DSOUND_IMPORTS}
  DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32_dsound.def
  VERBATIM)
add_custom_target(veldrake_dsound_imports DEPENDS ${VELDRAKE_DSOUND_IMPORTS})

file(GLOB PLATFORM_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32_*.cpp)
add_library(veldrake_platform_win32 STATIC ${PLATFORM_WIN32_SOURCES})
add_dependencies(veldrake_platform_win32 veldrake_dsound_imports)
target_include_directories(veldrake_platform_win32 PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(veldrake_platform_win32 PUBLIC ${VELDRAKE_DSOUND_IMPORTS} OpenGL::GL winmm gdi32 user32)

add_executable(veldrake WIN32 src/app/main.cpp)
target_link_libraries(veldrake PRIVATE veldrake_core veldrake_platform_win32)

set_target_properties(veldrake PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# dist/veldrake-<version>-win64.zip: the game, its data (textures, sound and
# the window's icon), a read-me and the licence, ready
# to unpack and run.
set(VELDRAKE_ZIP ${CMAKE_SOURCE_DIR}/dist/veldrake-${PROJECT_VERSION}-win64.zip)
set(VELDRAKE_ZIP_STAGE ${CMAKE_BINARY_DIR}/zip)
configure_file(${CMAKE_SOURCE_DIR}/cmake/windows-readme.txt ${CMAKE_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
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
