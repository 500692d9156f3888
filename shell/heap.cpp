// The process's heap, tuned for a game that frees and allocates large
// blocks at every change of screen and level.
#include <malloc.h>

#include "shell.h"

namespace w32 {

void TuneHeap()
{
    // Screens allocate and free their pictures and frame buffers (2 MB each)
    // at every change of screen and level. Served from fresh memory mappings,
    // every page of them faults in again; kept in the heap they are reused
    // (this halves the time of a level start).
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
}

} // namespace w32
