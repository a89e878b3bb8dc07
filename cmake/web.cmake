# Flags of the browser build (Emscripten) that belong to no one folder.

# The game's GL and GLU are our own layer over WebGL (src/platform/web).
add_library(OpenGL::GL INTERFACE IMPORTED)
add_library(OpenGL::GLU INTERFACE IMPORTED)

# The game keeps its blocking loop: ASYNCIFY lets every sleep, every wait
# for the browser's next frame and every message box hand the page back to
# the browser. Only the functions that can reach one of those through direct
# calls are rewritten for it (main, where the game's loop ends up inlined,
# the box, the display-mode switch and their callers): the game never waits
# in a function it calls through a pointer, its window procedure included,
# and everything else (the frame's drawing, the simulation, our GL layer)
# runs as compiled. main runs only when the player clicks to start.
set(VELDRAKE_GAME_PROPERTIES SUFFIX .js)
set(VELDRAKE_GAME_LINK_OPTIONS
  -lGL -lEGL -lopenal
  -sASYNCIFY -sASYNCIFY_IGNORE_INDIRECT -sASYNCIFY_STACK_SIZE=65536
  -sINVOKE_RUN=0 -sEXIT_RUNTIME=1 -sEXPORTED_RUNTIME_METHODS=callMain
  # what the page contract needs of the runtime: the sleeps wake the game
  # through callUserCallback, the canvas is named in specialHTMLTargets
  # (src/platform/web/page.cpp)
  -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_CURRENT_LIST_DIR}/web-js-deps.json
  -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web -sFORCE_FILESYSTEM=1)
