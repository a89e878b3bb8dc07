# Flags of the Windows build (mingw-w64) that belong to no one folder.

# mingw-w64's GL/gl.h pulls in all of windows.h unless these two are known,
# and windows.h's macros would rewrite the platform header's names.
set(VELDRAKE_CORE_DEFINITIONS "WINGDIAPI=__declspec(dllimport)" "APIENTRY=__stdcall" "CALLBACK=__stdcall")

# Every program of this build, tests too, carries its own C and C++
# runtimes, so that it needs nothing but the system's own DLLs.
add_link_options(-static)

# The game is a windowed program: no console comes up with it.
set(VELDRAKE_GAME_PROPERTIES WIN32_EXECUTABLE ON)
