// A page gets no signals, and this build has no threads: the desktop's watch
// for signals (a thread and handlers, shell/runmodes/end_request.cpp) stays
// out. The linker calls this in place of w32::EndOnSignals() (--wrap of its
// C++ name); the page ends when its tab closes.
extern "C" void __wrap__ZN3w3212EndOnSignalsEv() {}
