/* A C library whose sleeps refuse every call with EINVAL, as libfaketime's nanosleep does with a
 * stopped clock: preloaded by the tests to show that velta2 then still sleeps between frames. */
#include <errno.h>
#include <time.h>

int nanosleep(const struct timespec* request, struct timespec* rest) {
    (void)request;
    (void)rest;
    errno = EINVAL;
    return -1;
}

int clock_nanosleep(clockid_t clock, int flags, const struct timespec* request,
                    struct timespec* rest) {
    (void)clock;
    (void)flags;
    (void)request;
    (void)rest;
    return EINVAL;
}
