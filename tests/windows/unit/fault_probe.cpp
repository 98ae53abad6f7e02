// Faults on purpose inside the run guard: with "fault" it writes through a null pointer,
// otherwise it returns 7. The guard's fault handler prints a line first, so the parent test
// sees that the handler ran before the process ended.
#include "windows/host/fault_guard.h"

#include <cstdio>
#include <cstring>

static int body(void* arg) {
    if (std::strcmp(static_cast<const char*>(arg), "fault") == 0) {
        volatile int* nowhere = nullptr;
        *nowhere = 1;
    }
    return 7;
}

static void on_fault() {
    std::puts("guard: fault handled");
    std::fflush(stdout);
}

int main(int argc, char** argv) {
    return run_guarded(body, argc > 1 ? argv[1] : const_cast<char*>(""), on_fault);
}
