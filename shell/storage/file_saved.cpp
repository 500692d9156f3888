// On the desktop a saved file is on the disk: nothing more to do.
#include "storage.h"

void FileSaved(const std::string&) {}
