/* Preloaded into the game: a library whose teardown at exit takes 3 s, as a
   graphics driver's or sound server's can. */
#include <unistd.h>

__attribute__((destructor)) static void SlowTeardown(void)
{
    sleep(3);
}
