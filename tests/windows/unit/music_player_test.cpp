// The players' command table, and real player threads taking commands while they play.
// Tests that need sound skip themselves when Wine has no wave-out device; ctest runs them
// again with a PulseAudio null sink.
#include <gtest/gtest.h>

#include <map>
#include <new>
#include <cstdlib>
#include <windows.h>
#include <mmsystem.h>

#include "windows/music/player_commands.h"
#include "windows/music/players.h"
#include "windows/music/wave_out.h"

// Play text blocks are new char[PLAY_TEXT_BYTES]; counting the ones alive shows who frees them.
static volatile LONG g_nTextBlocks;
void* operator new[](size_t size) {
    if (size == PLAY_TEXT_BYTES)
        InterlockedIncrement(&g_nTextBlocks);
    if (void* p = std::malloc(size + 16)) {
        *static_cast<size_t*>(p) = size;
        return static_cast<char*>(p) + 16;
    }
    throw std::bad_alloc();
}
void operator delete[](void* p) noexcept {
    if (!p)
        return;
    void* base = static_cast<char*>(p) - 16;
    if (*static_cast<size_t*>(base) == PLAY_TEXT_BYTES)
        InterlockedDecrement(&g_nTextBlocks);
    std::free(base);
}
void operator delete[](void* p, size_t) noexcept {
    operator delete[](p);
}

namespace {

char* text_block(const char* url) {
    char* text = new char[PLAY_TEXT_BYTES];
    lstrcpynA(text, url, PLAY_TEXT_BYTES);
    return text;
}

} // namespace

// Stop, quit and hello in each phase, starting from two queued requests.
TEST(PlayerCommands, TableByPhase) {
    struct Case {
        UINT msg;
        PlayerPhase phase;
        WPARAM wParam;
        size_t queueAfter;
        bool stopAfter, quitAfter;
    };
    const Case cases[] = {
        {PLAYER_STOP, PHASE_IDLE, 0, 0, false, false}, // idle: only the queue
        {PLAYER_STOP, PHASE_IDLE, 1, 2, false, false},
        {PLAYER_STOP, PHASE_FEED, 0, 0, true, false}, // feeding: the queue and the tune
        {PLAYER_STOP, PHASE_FEED, 1, 2, true, false},
        {PLAYER_STOP, PHASE_DRAIN, 0, 2, true, false}, // draining: the queue stays
        {PLAYER_STOP, PHASE_DRAIN, 1, 2, true, false},
        {PLAYER_QUIT, PHASE_IDLE, 0, 2, false, true},
        {PLAYER_QUIT, PHASE_FEED, 0, 2, false, true},
        {PLAYER_QUIT, PHASE_DRAIN, 0, 2, false, true},
        {PLAYER_HELLO, PHASE_FEED, 0, 2, false, false},
    };
    for (const Case& c : cases) {
        PlayerState player;
        player.queue = {{"a", nullptr}, {"b", nullptr}};
        handle_player_command(&player, c.msg, c.wParam, 0, c.phase);
        const auto where = testing::Message()
                           << std::hex << c.msg << " phase " << c.phase << " wParam " << c.wParam;
        EXPECT_EQ(player.queue.size(), c.queueAfter) << where;
        EXPECT_EQ(player.bStop, c.stopAfter) << where;
        EXPECT_EQ(player.bQuit, c.quitAfter) << where;
    }
}

namespace {

bool have_wave_device() {
    return waveOutGetNumDevs() > 0;
}

// Message-only windows that count the end-of-tune notices they receive.
std::map<HWND, int> g_notices;

LRESULT CALLBACK notice_proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP)
        ++g_notices[hwnd];
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND notice_window() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = notice_proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VeltaNoticeCounter";
        RegisterClassA(&wc);
        registered = true;
    }
    HWND hwnd = CreateWindowExA(0, "VeltaNoticeCounter", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    g_notices[hwnd] = 0;
    return hwnd;
}

// Dispatches this thread's messages for ms milliseconds, or until done() holds.
template <typename Done> bool pump_until(DWORD ms, Done done) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        if (done())
            return true;
        if (GetTickCount() - start >= ms)
            return false;
        Sleep(10);
    }
}
void pump_for(DWORD ms) {
    pump_until(ms, [] { return false; });
}

// One player thread started by hand, so a test can send it any URL.
struct TestPlayer {
    HANDLE hThread;
    DWORD dwId;
    TestPlayer() {
        hThread = CreateThread(nullptr, 0, player_thread, nullptr, 0, &dwId);
        while (!PostThreadMessageA(dwId, PLAYER_HELLO, 0, 0))
            Sleep(1);
    }
    ~TestPlayer() {
        PostThreadMessageA(dwId, PLAYER_QUIT, 0, 0);
        WaitForSingleObject(hThread, 5000);
        CloseHandle(hThread);
    }
    bool play(const char* url, HWND notify) {
        char* text = text_block(url);
        if (PostThreadMessageA(dwId, PLAYER_PLAY, reinterpret_cast<WPARAM>(notify),
                               reinterpret_cast<LPARAM>(text)))
            return true;
        delete[] text;
        return false;
    }
    void send(UINT msg, WPARAM wParam = 0) { PostThreadMessageA(dwId, msg, wParam, 0); }
    // True when the thread has ended within ms (messages are pumped meanwhile).
    bool ends_within(DWORD ms) {
        return pump_until(ms, [this] { return WaitForSingleObject(hThread, 0) == WAIT_OBJECT_0; });
    }
};

#define NEED_DEVICE()                                                                              \
    if (!have_wave_device())                                                                       \
    GTEST_SKIP() << "no wave-out device (run under a PulseAudio null sink)"

} // namespace

TEST(PlayerThread, ShortStreamPlaysOutOnceAndNotifies) {
    NEED_DEVICE();
    TestPlayer player;
    HWND done = notice_window();
    ASSERT_TRUE(player.play("res://SHORTOGG", done));
    // Less than one buffer: one partly filled buffer, one empty one, then the drain.
    EXPECT_TRUE(pump_until(3000, [&] { return g_notices[done] > 0; }));
    pump_for(300);
    EXPECT_EQ(g_notices[done], 1);
    // Idle again, it plays the next request too.
    HWND again = notice_window();
    ASSERT_TRUE(player.play("res://STEREOOGG", again));
    EXPECT_TRUE(pump_until(3000, [&] { return g_notices[again] > 0; }));
    player.send(PLAYER_QUIT);
    EXPECT_TRUE(player.ends_within(2000));
}

// A play during a play-out is queued; a stop with wParam 1 spares the queue, 0 empties it.
TEST(PlayerThread, PlayDuringPlayOutIsQueuedAndStopDecidesItsFate) {
    NEED_DEVICE();
    TestPlayer player;
    for (WPARAM keep : {1, 0}) {
        HWND tune = notice_window(), next = notice_window(), later = notice_window();
        ASSERT_TRUE(player.play("res://TESTOGG", tune));
        pump_for(300);
        ASSERT_TRUE(player.play("res://SHORTOGG", next));
        pump_for(300);
        player.send(PLAYER_STOP, keep);
        pump_for(1000);
        EXPECT_EQ(g_notices[tune], 0) << "a stopped tune sends no notice";
        EXPECT_EQ(g_notices[next], keep ? 1 : 0) << "wParam " << keep;
        ASSERT_TRUE(player.play("res://SHORTOGG", later)); // still alive, and idle again
        EXPECT_TRUE(pump_until(3000, [&] { return g_notices[later] > 0; }));
    }
}

TEST(PlayerThread, QuitDuringPlayOutEndsPromptlyWithoutNotice) {
    NEED_DEVICE();
    TestPlayer player;
    HWND tune = notice_window();
    ASSERT_TRUE(player.play("res://TESTOGG", tune));
    ASSERT_TRUE(player.play("res://TESTOGG", tune));
    pump_for(400);
    const DWORD start = GetTickCount();
    player.send(PLAYER_QUIT);
    EXPECT_TRUE(player.ends_within(1000));
    EXPECT_LT(GetTickCount() - start, 1000u);
    pump_for(100);
    EXPECT_EQ(g_notices[tune], 0);
}

TEST(PlayerThread, MissingResourceEndsOnlyThatPlayer) {
    NEED_DEVICE();
    TestPlayer broken, healthy;
    HWND done = notice_window();
    ASSERT_TRUE(broken.play("res://NOSUCHTUNE", done));
    ASSERT_TRUE(broken.ends_within(2000));
    const LONG before = g_nTextBlocks;
    EXPECT_FALSE(broken.play("res://SHORTOGG", done)) << "an ended player takes no commands";
    EXPECT_EQ(g_nTextBlocks, before);
    ASSERT_TRUE(healthy.play("res://SHORTOGG", done));
    EXPECT_TRUE(pump_until(3000, [&] { return g_notices[done] > 0; }));
}

// Each copy ends silently; the player stays for the next one, which tries the device again.
TEST(PlayerThread, WithoutADeviceEachCopyEndsSilentlyAndThePlayerStays) {
    if (have_wave_device())
        GTEST_SKIP() << "a wave-out device is present";
    TestPlayer player;
    HWND done = notice_window();
    ASSERT_TRUE(player.play("res://SHORTOGG", done));
    pump_for(500);
    EXPECT_TRUE(player.play("res://SHORTOGG", done)) << "the player ended";
    pump_for(300);
    EXPECT_EQ(g_notices[done], 0);
    player.send(PLAYER_QUIT);
    EXPECT_TRUE(player.ends_within(2000));
}

TEST(PlayerThread, MainSideCommandsStartPlayStopAndQuit) {
    const LONG before = g_nTextBlocks;
    HWND done = notice_window();
    play_tune(done, 0); // no players yet: the block is released at once
    EXPECT_EQ(g_nTextBlocks, before);

    start_players(nullptr);
    play_tune(done, 0);
    play_tune(done, 1);
    play_tune(done, 3); // out of range: released, nothing else
    pump_for(400);
    stop_all_players();
    pump_for(200);
    const DWORD start = GetTickCount();
    quit_all_players();
    EXPECT_LT(GetTickCount() - start, 1000u);
    pump_for(100);
    EXPECT_EQ(g_notices[done], 0);
    EXPECT_EQ(g_nTextBlocks, before) << "every play text was freed by its player or at once";

    play_tune(done, 2); // slots emptied by the quit
    EXPECT_EQ(g_nTextBlocks, before);
    quit_all_players(); // nothing left to end
}

// ---- Devices that fail: ctest runs these with the stand-in WINMM of the system tests
// (tests/windows/system/winmm_stand_in.cpp), which fails as VELTA_WAVE_PLAN says ----

namespace {

using StandInCounts = void (*)(LONG* opened, LONG* closed);

StandInCounts stand_in_counts() {
    return reinterpret_cast<StandInCounts>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("winmm.dll"), "stand_in_wave_counts")));
}

} // namespace

// A copy whose device refuses a write mid-tune, cannot prepare its buffers or stops returning
// them ends without a notice and closes its device; the same player then plays the next copy.
TEST(FailingDevice, ACopyWhoseDeviceFailsEndsAndThePlayerPlaysTheNext) {
    if (!stand_in_counts())
        GTEST_SKIP() << "runs with the stand-in wave-out device";
    SetEnvironmentVariableA("VELTA_WAVE_PLAN", "write12 prepare stall12 ok");
    LONG opened, closed, openedAfter, closedAfter;
    stand_in_counts()(&opened, &closed);
    TestPlayer player;
    HWND failed = notice_window(), played = notice_window();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(player.play("res://TESTOGG", failed));
    ASSERT_TRUE(player.play("res://TESTOGG", played));
    EXPECT_TRUE(pump_until(WAVE_STALL_MS + 3000, [&] { return g_notices[played] > 0; }));
    pump_for(200);
    EXPECT_EQ(g_notices[failed], 0);
    stand_in_counts()(&openedAfter, &closedAfter);
    EXPECT_EQ(openedAfter - opened, 4);
    EXPECT_EQ(closedAfter - closed, 4) << "a failed copy kept its device";
}

// A quit does not wait for a device that returns nothing; a player stuck in a device call that
// never returns is left behind after half a second, its slot emptied.
TEST(FailingDevice, ClosingNeverWaitsLongOnAPlayer) {
    if (!stand_in_counts())
        GTEST_SKIP() << "runs with the stand-in wave-out device";
    SetEnvironmentVariableA("VELTA_WAVE_PLAN", "stall3");
    {
        TestPlayer player;
        ASSERT_TRUE(player.play("res://TESTOGG", nullptr));
        pump_for(300);
        player.send(PLAYER_QUIT);
        EXPECT_TRUE(player.ends_within(500)) << "the quit waited for the stalled device";
    }
    SetEnvironmentVariableA("VELTA_WAVE_PLAN", "hang3");
    const LONG blocks = g_nTextBlocks;
    start_players(nullptr);
    play_tune(nullptr, 0);
    pump_for(300);
    const DWORD start = GetTickCount();
    quit_all_players(); // player 0 never comes back from its device's reset
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, PLAYER_QUIT_WAIT_MS - 50);
    EXPECT_LT(took, PLAYER_QUIT_WAIT_MS + 500);
    play_tune(nullptr, 0);
    EXPECT_EQ(g_nTextBlocks, blocks) << "the slot of the player left behind was not emptied";
}
