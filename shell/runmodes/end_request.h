// The desktop asking the program to end: SIGINT, SIGTERM and SIGHUP end the
// run as its own end does (end_request.cpp).
#pragma once

#include <filesystem>
#include <string>

namespace w32::detail {

// The signal that asked the run to end, 0 while none has.
int EndRequest();
// Ends the run (EndRun) once a signal has asked for it; the displays call it
// where they take their input.
void TakeEndRequest();
// The run's message loop has ended: nothing more needs hurrying.
void RunIsOver();
// A replay's check that a signal stopped: says so and gives its exit code
// (128 + the signal); 0 when no signal came.
int CheckStopped(const std::string& replay);
// The folder is removed too when the process must end at once (quick_exit).
void RemoveAtQuickExit(const std::filesystem::path& folder);

} // namespace w32::detail
