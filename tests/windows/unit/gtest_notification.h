// GoogleTest's notification, which its thread-safe build declares for its own thread tests, on a
// Windows event: the win32 thread model of the 32-bit toolchain has no std::mutex to build
// GoogleTest's own on. Included ahead of every source of the 32-bit unit tests and GoogleTest.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
  public:
    Notification() : m_hEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(m_hEvent); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { SetEvent(m_hEvent); }
    void WaitForNotification() { WaitForSingleObject(m_hEvent, INFINITE); }

  private:
    HANDLE m_hEvent;
};

} // namespace testing::internal
