// The quiet moment after a password dialog, across the wrap of the tick count.
#include "windows/host/password.h"

#include <gtest/gtest.h>

TEST(PwdRetryTooSoon, RefusesOnlyWithin200msOfTheLastDialog) {
    EXPECT_FALSE(pwd_retry_too_soon(false, 0, 0)); // no dialog has ended yet
    EXPECT_FALSE(pwd_retry_too_soon(false, 1000, 1050));
    EXPECT_TRUE(pwd_retry_too_soon(true, 1000, 1000));
    EXPECT_TRUE(pwd_retry_too_soon(true, 1000, 1199));
    EXPECT_FALSE(pwd_retry_too_soon(true, 1000, 1200));
    EXPECT_FALSE(pwd_retry_too_soon(true, 1000, 90000));
}

TEST(PwdRetryTooSoon, CountsAcrossTheWrapOfTheTickCount) {
    EXPECT_TRUE(pwd_retry_too_soon(true, 0xFFFFFF9Cu, 0x00000063u));  // 199 ms later
    EXPECT_FALSE(pwd_retry_too_soon(true, 0xFFFFFF9Cu, 0x00000064u)); // 200 ms later
}
