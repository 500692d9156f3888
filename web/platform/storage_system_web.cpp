// What saving asks of the system, in a browser. The player's folder lives in
// memory and the page copies it to its persistent storage (IndexedDB): told
// of each save, it copies once the program next yields, so a file saved and
// a folder pruned in one go are copied together.
#include <emscripten.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "storage.h"

namespace {

EM_JS(void, zoduzor_file_saved, (const char* path), {
    if (Module['onFileSaved'])
        Module['onFileSaved'](UTF8ToString(path));
});

} // namespace

// The file system in memory has no renameat2; only this program uses it, so
// nothing comes between the look and the rename.
bool RenameWithoutReplacing(const std::string& from, const std::string& to)
{
    struct stat there
    {
    };
    if (::lstat(to.c_str(), &there) == 0) {
        errno = EEXIST;
        return false;
    }
    return std::rename(from.c_str(), to.c_str()) == 0;
}

void FileSaved(const std::string& path)
{
    zoduzor_file_saved(path.c_str());
}
