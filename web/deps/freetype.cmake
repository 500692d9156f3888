# Configure check results of freetype-2.12.1+dfsg for the browser build (scripts/web.sh).
# source: freetype-2.12.1+dfsg
# emcc: emcc (Emscripten gcc/clang-like replacement + linker emulating GNU ld) 3.1.6 ()
set(HAVE_FCNTL_H "1" CACHE INTERNAL "Have include fcntl.h")
set(HAVE_UNISTD_H "1" CACHE INTERNAL "Have include unistd.h")
