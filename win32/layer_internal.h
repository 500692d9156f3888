// Shared between the sources of the Win32 layer only.
#pragma once

#include <string>

namespace w32::detail {

// Sound: whether a device may be opened at all, the command log, a fresh start.
void MciSetDeviceAllowed(bool allowed);
bool MciOpenLog(const std::string& path, std::string& error);
void MciReset();
void MciShutdown();

} // namespace w32::detail
