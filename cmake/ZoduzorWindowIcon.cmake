# The window's icon, built into the shell: the 64 px picture of the
# desktop icons as bytes of a source file (no bytes when it is missing), so
# the window has it wherever the program runs from.
set(window_icon ${PROJECT_SOURCE_DIR}/packaging/icons/hicolor/64x64/apps/org.zoduzor.Zoduzor.png)
set(window_icon_bytes "0")
set(window_icon_size 0)
if(EXISTS ${window_icon})
    file(READ ${window_icon} window_icon_hex HEX)
    string(LENGTH "${window_icon_hex}" window_icon_size)
    math(EXPR window_icon_size "${window_icon_size} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," window_icon_bytes "${window_icon_hex}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${window_icon})
endif()
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/generated/window_icon.cpp CONTENT
"// Made by cmake/ZoduzorWindowIcon.cmake from the 64 px desktop icon.
#include <cstddef>
namespace w32::detail {
extern const unsigned char kWindowIconPng[] = {${window_icon_bytes}};
extern const size_t kWindowIconPngSize = ${window_icon_size};
}
")
target_sources(zoduzor_shell PRIVATE ${PROJECT_BINARY_DIR}/generated/window_icon.cpp)
