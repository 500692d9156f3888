# The browser build (emcmake cmake, as scripts/web.sh runs it). The libraries
# come as static archives from ZODUZOR_WEB_PREFIX, where scripts/web.sh builds
# them from Debian's sources; they stand in for what pkg-config finds on the
# desktop, under the same target names. Emscripten's own SDL ports fetch
# their sources from the network, so none of them is used: the archives are
# linked by path (-lSDL2_mixer would switch a port on).
set(ZODUZOR_WEB_PREFIX "" CACHE PATH "Where scripts/web.sh installed the browser's libraries")
set(ZODUZOR_WEB_FONTS "" CACHE PATH "Fonts packed as the browser's system fonts (/fonts)")
if(NOT EXISTS "${ZODUZOR_WEB_PREFIX}/lib/libSDL2.a")
    message(FATAL_ERROR "No libraries for the browser in '${ZODUZOR_WEB_PREFIX}': "
        "scripts/web.sh builds them and names the folder with -DZODUZOR_WEB_PREFIX")
endif()

# Not imported, so the headers come before Emscripten's own (SDL 1) <SDL.h>.
add_library(zoduzor_web_sdl INTERFACE)
add_library(PkgConfig::SDL2 ALIAS zoduzor_web_sdl)
target_include_directories(zoduzor_web_sdl INTERFACE
    ${ZODUZOR_WEB_PREFIX}/include ${ZODUZOR_WEB_PREFIX}/include/SDL2)
foreach(lib SDL2_ttf freetype SDL2_image SDL2_mixer SDL2)
    target_link_libraries(zoduzor_web_sdl INTERFACE ${ZODUZOR_WEB_PREFIX}/lib/lib${lib}.a)
endforeach()
# SDL's audio resumes the browser's sound on the first gesture through these
# (named in a file: a $ does not pass CMake's link scripts unharmed).
file(WRITE ${PROJECT_BINARY_DIR}/web_library_funcs.json
    "[\"$autoResumeAudioContext\", \"$dynCall\"]\n")
target_link_options(zoduzor_web_sdl INTERFACE
    "SHELL:-s DEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${PROJECT_BINARY_DIR}/web_library_funcs.json")

# Fonts are packed files (web/platform/system_fonts_web.cpp), not fontconfig.
add_library(zoduzor_web_fontconfig INTERFACE)
add_library(PkgConfig::FONTCONFIG ALIAS zoduzor_web_fontconfig)

# What the C++ library of this Emscripten lacks (from_chars of floats).
include_directories(BEFORE ${PROJECT_SOURCE_DIR}/web/platform/include)

# Called once the targets exist (deferred to the end of the top-level file).
function(zoduzor_web_program)
    get_target_property(rastrum_sources rastrum SOURCES)
    list(FILTER rastrum_sources EXCLUDE REGEX "system_fonts\\.cpp$")
    set_property(TARGET rastrum PROPERTY SOURCES ${rastrum_sources}
        ${PROJECT_SOURCE_DIR}/web/platform/system_fonts_web.cpp)
    target_include_directories(rastrum PRIVATE ${PROJECT_SOURCE_DIR}/rastrum)

    # Saving without renameat2, and copying to the page's persistent storage.
    get_target_property(shell_sources zoduzor_shell SOURCES)
    list(FILTER shell_sources EXCLUDE REGEX "storage/storage_system\\.cpp$")
    set_property(TARGET zoduzor_shell PROPERTY SOURCES ${shell_sources}
        ${PROJECT_SOURCE_DIR}/web/platform/storage_system_web.cpp)

    # The blocking message loop yields to the browser wherever SDL waits
    # (Asyncify), in one sleep that input ends (sdl_wait_web.cpp); the content
    # is packed into zoduzor.data, loaded at start. A page gets no signals
    # (signals_web.cpp, in place of w32::EndOnSignals), and the C library
    # lacks quick_exit (quick_exit_web.cpp).
    target_sources(zoduzor PRIVATE ${PROJECT_SOURCE_DIR}/web/platform/sdl_wait_web.cpp
        ${PROJECT_SOURCE_DIR}/web/platform/quick_exit_web.cpp
        ${PROJECT_SOURCE_DIR}/web/platform/signals_web.cpp)
    target_link_libraries(zoduzor PRIVATE PkgConfig::SDL2)
    set(content ${PROJECT_SOURCE_DIR}/game)
    target_link_options(zoduzor PRIVATE
        -Wl,--wrap=SDL_WaitEvent -Wl,--wrap=SDL_WaitEventTimeout -Wl,--wrap=_ZN3w3212EndOnSignalsEv
        "SHELL:-s ASYNCIFY_IMPORTS=[zoduzor_wait_for_input]"
        "SHELL:-s ASYNCIFY=1" "SHELL:-s ASYNCIFY_STACK_SIZE=131072"
        "SHELL:-s ALLOW_MEMORY_GROWTH=1" "SHELL:-s INITIAL_MEMORY=67108864"
        "SHELL:-s ENVIRONMENT=web" "SHELL:-s FORCE_FILESYSTEM=1" "SHELL:-s EXIT_RUNTIME=1"
        "SHELL:-s EXPORTED_RUNTIME_METHODS=['FS','ENV']" -lidbfs.js
        "SHELL:--preload-file ${content}/data@/game/data"
        "SHELL:--preload-file ${content}/res@/game/res")
    if(ZODUZOR_WEB_FONTS)
        target_link_options(zoduzor PRIVATE "SHELL:--preload-file ${ZODUZOR_WEB_FONTS}@/fonts")
    endif()
    # Packing happens at link time: a changed content file links again.
    file(GLOB_RECURSE content_files CONFIGURE_DEPENDS ${content}/data/* ${content}/res/*)
    set_property(TARGET zoduzor APPEND PROPERTY LINK_DEPENDS ${content_files})
endfunction()
cmake_language(DEFER CALL zoduzor_web_program)
