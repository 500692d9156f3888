// What saving asks of the system beyond POSIX, on the desktop (Linux). The
// browser build puts web/platform/storage_system_web.cpp in its place.
#include <fcntl.h>

#include <cstdio>

#include "storage.h"

bool RenameWithoutReplacing(const std::string& from, const std::string& to)
{
    return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

// A saved file is on the disk: nothing more to do.
void FileSaved(const std::string&) {}
