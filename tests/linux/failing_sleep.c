/* A C library whose nanosleep refuses every call with EINVAL, as libfaketime's does with a stopped
 * clock: preloaded by the tests to show that velta2 then still sleeps between frames. */
#include <errno.h>
#include <time.h>

int nanosleep(const struct timespec* request, struct timespec* rest) {
    (void)request;
    (void)rest;
    errno = EINVAL;
    return -1;
}
