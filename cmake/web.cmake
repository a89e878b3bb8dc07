# Flags of the browser build (Emscripten) that belong to no one folder.

# The game's GL and GLU are our own layer over WebGL (src/platform/web).
add_library(OpenGL::GL INTERFACE IMPORTED)
add_library(OpenGL::GLU INTERFACE IMPORTED)

# The game keeps its blocking loop: ASYNCIFY lets every sleep hand the page
# back to the browser. main runs only when the player clicks to start.
set(VELDRAKE_GAME_PROPERTIES SUFFIX .js)
set(VELDRAKE_GAME_LINK_OPTIONS
  -lGL -lEGL -lopenal
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  -sINVOKE_RUN=0 -sEXIT_RUNTIME=1 -sEXPORTED_RUNTIME_METHODS=callMain
  -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web -sFORCE_FILESYSTEM=1)
