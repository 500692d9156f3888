# Configure check results of libsdl2-ttf-2.20.1+dfsg for the browser build (scripts/web.sh).
# source: libsdl2-ttf-2.20.1+dfsg
# emcc: emcc (Emscripten gcc/clang-like replacement + linker emulating GNU ld) 3.1.6 ()
set(LIBC_IS_GLIBC "" CACHE INTERNAL "Have symbol __GLIBC__")
