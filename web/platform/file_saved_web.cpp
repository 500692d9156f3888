// In a browser the player's folder lives in memory and is copied to the
// page's persistent storage (IndexedDB) by the page: told of each save, it
// copies once the program next yields, so a file saved and a folder pruned
// in one go are copied together.
#include <emscripten.h>

#include "storage.h"

namespace {

EM_JS(void, zoduzor_file_saved, (const char* path), {
    if (Module['onFileSaved'])
        Module['onFileSaved'](UTF8ToString(path));
});

} // namespace

void FileSaved(const std::string& path)
{
    zoduzor_file_saved(path.c_str());
}
