// Fades, voices, pacing and the module cycle of the frame step, run on a simulated clock.
#include "core/platform.h"
#include "core/render/fade.h"
#include "core/render/frame_step.h"
#include "core/render/render_state.h"
#include "core/render/smooth_frames.h"
#include "scene_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

uint32_t g_dwFakeNow;
std::vector<uint32_t> g_Sleeps;
bool g_bQuitWhileSleeping;

uint32_t fake_now() {
    return g_dwFakeNow;
}
void fake_sleep(uint32_t ms) {
    g_Sleeps.push_back(ms);
    g_dwFakeNow += ms;
    if (g_bQuitWhileSleeping)
        g_bQuit = true;
}

// What one frame showed.
struct Shown {
    int module;
    int shapes;
    float brightness;
    int fadeState;
    bool presented;
};

// The saver's frame chain on a clock that starts at start and only moves by the pacing sleeps.
class FrameStepTest : public ::testing::Test {
  protected:
    void start(std::initializer_list<int> enabled, int cycleSeconds, uint32_t start = 100000) {
        reset_scenes(enabled);
        g_nCycleTime = cycleSeconds;
        g_nModule = next_enabled_module(0);
        load_module_params(g_nModule);
        g_bSaverMode = true;
        g_bQuit = false;
        g_bSound = false;
        g_dwFakeNow = start;
        g_dwCycleStart = start;
        g_dwLastFrame = 0;
        g_Sleeps.clear();
        g_bQuitWhileSleeping = false;
        g_pfnTickCount = fake_now;
        g_pfnPacingClock = fake_now;
        g_pfnSleep = fake_sleep;
        fade_reset();
    }
    void TearDown() override {
        g_pfnTickCount = saved_tick;
        g_pfnPacingClock = saved_pacing;
        g_pfnSleep = saved_sleep;
        g_bSaverMode = false;
        g_bQuit = false;
        g_dwFakeNow = 0;
    }
    Shown frame() {
        rec.clear_records();
        frame_step();
        return {g_nModule, static_cast<int>(rec.shapes.size()),
                rec.shapes.empty() ? rec.color[0] : rec.shapes.back().color[0], g_nFadeState,
                rec.swaps == 1};
    }

    DrawRecorder rec;
    uint32_t (*saved_tick)() = g_pfnTickCount;
    uint32_t (*saved_pacing)() = g_pfnPacingClock;
    void (*saved_sleep)(uint32_t) = g_pfnSleep;
};

} // namespace

TEST(Fade, OutReachesExactlyZeroOnThe61stStepAndInExactlyOneOnThe60th) {
    DrawRecorder rec;
    fade_reset();
    float last = 1.0f;
    for (int n = 1; n <= 60; ++n) {
        const float b = fade_out_step();
        EXPECT_GT(b, 0.0f) << n;
        EXPECT_LT(b, last) << n;
        last = b;
    }
    EXPECT_EQ(fade_out_step(), 0.0f);
    EXPECT_EQ(g_fFadeAngle, 0.0f);
    EXPECT_EQ(rec.color, (std::array<float, 4>{0, 0, 0, 1}));
    for (int n = 1; n <= 59; ++n)
        EXPECT_LT(fade_in_step(), 1.0f) << n;
    EXPECT_EQ(fade_in_step(), 1.0f);
    EXPECT_EQ(g_fFadeAngle, 0.0f);
    EXPECT_EQ(rec.color, (std::array<float, 4>{1, 1, 1, 1}));
    // A reset halfway through returns to full brightness at rest.
    g_nFadeState = 2;
    fade_out_step();
    fade_reset();
    EXPECT_EQ(g_fFadeAngle, 0.0f);
    EXPECT_EQ(g_nFadeState, 0);
    EXPECT_EQ(rec.color[0], 1.0f);
}

TEST(FramePacing, SleepsAwayTheRestOf31MsAcrossTheTickWrap) {
    EXPECT_EQ(pacing_delay(100, 100), 31u);
    EXPECT_EQ(pacing_delay(130, 100), 1u);
    EXPECT_EQ(pacing_delay(131, 100), 0u);
    EXPECT_EQ(pacing_delay(5000, 100), 0u);
    EXPECT_EQ(pacing_delay(5, 0xFFFFFFF0u), 10u); // 21 ms across the wrap
    EXPECT_EQ(pacing_delay(90, 100), 21u);        // a clock seen going back
    EXPECT_EQ(pacing_delay(0xFFFFFFFFu, 0), 30u);
}

TEST(FramePacing, PacingClockMovesInSingleMilliseconds) {
    // GetTickCount moves in steps of 10 to 16 ms, too coarse to hold frames 31 ms apart.
    int changes = 0, singleSteps = 0;
    for (uint32_t last = g_pfnPacingClock(); changes < 20;) {
        const uint32_t now = g_pfnPacingClock();
        if (now != last) {
            singleSteps += now - last == 1;
            ++changes;
            last = now;
        }
    }
    EXPECT_GE(singleSteps, 10);
}

TEST(FramePacing, CycleTimeAndVoicesCountAcrossTheTickWrap) {
    EXPECT_TRUE(cycle_time_passed(0x00002700u, 0xFFFFFF00u, 10));  // 10240 ms
    EXPECT_FALSE(cycle_time_passed(0x00002600u, 0xFFFFFF00u, 10)); // 9984 ms
    EXPECT_FALSE(cycle_time_passed(500, 500, 0));
    EXPECT_TRUE(cycle_time_passed(501, 500, 0));
    EXPECT_FALSE(cycle_time_passed(0xFFFFFFFFu, 0, 5000000)); // no overflow of the product
    EXPECT_TRUE(cycle_time_passed(1, 0, -3));

    uint32_t tick = 0xFFFFF000u;
    int voice = 0;
    EXPECT_EQ(next_voice(0xFFFFF000u + 3199, tick, voice), -1);
    std::vector<int> started;
    for (uint32_t now = 0xFFFFF000u; started.size() < 4; now += 100) {
        const int v = next_voice(now, tick, voice);
        if (v >= 0)
            started.push_back(v);
    }
    EXPECT_EQ(started, (std::vector<int>{1, 2, 0, 1}));
    EXPECT_EQ(tick, 0xFFFFF000u + 4 * 3200);
}

TEST_F(FrameStepTest, TwoModulesFadeOutSwitchOnTheBlackFrameAndFadeIn) {
    start({3, 7}, 10);
    const uint32_t t0 = g_dwFakeNow;
    std::vector<Shown> frames;
    // First frame sleeps nothing (the previous frame is long ago), then 31 ms per frame.
    while (g_dwFakeNow - t0 <= 10000) {
        const Shown s = frame();
        EXPECT_EQ(s.module, 3);
        EXPECT_EQ(s.brightness, 1.0f);
        EXPECT_EQ(s.shapes, 25);
        EXPECT_TRUE(s.presented);
    }
    for (int n = 1; n <= 60; ++n) {
        const Shown s = frame();
        ASSERT_EQ(s.module, 3) << n;
        EXPECT_EQ(s.fadeState, 2);
        EXPECT_GT(s.brightness, 0.0f);
    }
    Shown s = frame(); // the 61st: black, and already the new module
    EXPECT_EQ(s.module, 7);
    EXPECT_EQ(s.shapes, 24);
    EXPECT_EQ(s.brightness, 0.0f);
    EXPECT_EQ(s.fadeState, 1);
    EXPECT_EQ(g_fPhase, g_fSpeed); // the new module started from phase 0
    for (int n = 1; n <= 59; ++n) {
        s = frame();
        EXPECT_EQ(s.fadeState, 1);
        EXPECT_LT(s.brightness, 1.0f);
    }
    s = frame();
    EXPECT_EQ(s.brightness, 1.0f);
    EXPECT_EQ(s.fadeState, 0);
    // The new cycle counts from the end of the fade-in, read before that frame's sleep.
    const uint32_t fadeEnd = g_dwCycleStart;
    EXPECT_EQ(fadeEnd + 31, g_dwFakeNow);
    EXPECT_EQ(std::count(g_Sleeps.begin() + 1, g_Sleeps.end(), 31u),
              static_cast<long>(g_Sleeps.size()) - 1);
    const float samdrupXrot = g_Mods[7].xrot;
    while (g_dwFakeNow - fadeEnd <= 10000)
        EXPECT_EQ(frame().fadeState, 0);
    for (int n = 0; n < 61; ++n)
        s = frame();
    EXPECT_EQ(s.module, 3);
    // Samdrup's turned view went into its record on the way out.
    EXPECT_LT(g_Mods[7].xrot, samdrupXrot);
}

TEST_F(FrameStepTest, OneModuleNeverFadesAndNoneDrawsBlank) {
    start({5}, 1);
    for (int n = 0; n < 200; ++n) {
        const Shown s = frame();
        ASSERT_EQ(s.brightness, 1.0f);
        ASSERT_EQ(s.module, 5);
    }
    start({}, 1);
    EXPECT_EQ(g_nModule, 0);
    for (int n = 0; n < 100; ++n) {
        const Shown s = frame();
        ASSERT_EQ(s.shapes, 0);
        ASSERT_TRUE(s.presented);
        ASSERT_EQ(rec.clears, 1);
    }
}

TEST_F(FrameStepTest, CycleTimeZeroFadesOutAgainOnTheNextTick) {
    start({1, 2}, 0);
    // The clock moves only in the pacing sleep, after the cycle is checked: the first two
    // frames still see the tick the cycle began at.
    EXPECT_EQ(frame().fadeState, 0);
    EXPECT_EQ(frame().fadeState, 0);
    EXPECT_EQ(frame().fadeState, 2);
    while (g_nFadeState != 0)
        frame();
    EXPECT_EQ(g_nModule, 2);
    EXPECT_EQ(frame().fadeState, 2);
}

TEST_F(FrameStepTest, ThePreviewNeverCyclesByItself) {
    start({1, 2}, 0);
    g_bSaverMode = false;
    for (int n = 0; n < 300; ++n)
        ASSERT_EQ(frame().module, 1);
}

TEST_F(FrameStepTest, QuitDuringThePacingSleepDrawsNothingAndAFailedFrameIsNotShown) {
    start({3}, 10);
    frame();
    g_bQuitWhileSleeping = true;
    const Shown s = frame();
    EXPECT_EQ(rec.clears, 0);
    EXPECT_FALSE(s.presented);
    g_bQuitWhileSleeping = false;
    g_bQuit = false;
    rec.pendingErrors = {GL_INVALID_ENUM};
    EXPECT_FALSE(frame().presented);
    EXPECT_TRUE(frame().presented);
}

// ---- Frames between steps: the pacing arithmetic ----

TEST(SmoothPacing, RefreshesPerFrameKeepToSeventyFiveFramesASecond) {
    EXPECT_EQ(refreshes_per_frame(0.0, true), 1); // unknown
    EXPECT_EQ(refreshes_per_frame(60.0, true), 1);
    EXPECT_EQ(refreshes_per_frame(75.02, true), 1);
    EXPECT_EQ(refreshes_per_frame(120.0, true), 2);
    EXPECT_EQ(refreshes_per_frame(144.0, true), 2);
    EXPECT_EQ(refreshes_per_frame(240.0, true), 4);
    EXPECT_EQ(refreshes_per_frame(144.0, false), 1);
}

TEST(SmoothPacing, StepsKeepTheirRateAtAnyFrameRateAndAStallRestartsThem) {
    for (double hz : {60.0, 144.0, 20.0}) {
        StepClock clock;
        long long steps = 0;
        float last = -1.0f;
        for (int i = 0; i <= static_cast<int>(hz) * 3; ++i) {
            const double now = 5000.0 + i * 1000.0 / hz;
            const int n = steps_due(clock, now);
            steps += n;
            const float f = step_fraction(clock, now);
            EXPECT_TRUE(f >= 0.0f && f < 1.0f);
            if (n == 0) {
                EXPECT_GT(f, last); // between two steps the picture only moves on
            }
            last = f;
        }
        EXPECT_EQ(steps, 3000 / 31 + 1) << hz; // 3 s of 31 ms steps, the first at once
    }
    StepClock clock;
    EXPECT_EQ(steps_due(clock, 0.0), 1);
    EXPECT_EQ(steps_due(clock, 31.0 * MAX_STEPS_PER_FRAME), MAX_STEPS_PER_FRAME);
    EXPECT_EQ(steps_due(clock, 10000.0), 1); // far behind: no burst, the clock starts again
    EXPECT_EQ(step_fraction(clock, 10015.5), 0.5f);
}

TEST(SmoothPacing, RefreshRateIsTheMedianIntervalAndSetsWhichRefreshesGetFrames) {
    SmoothPacer pacer;
    int frames = 0;
    for (int i = 0; i < 144; ++i) {
        // A 144 Hz display with one late refresh now and then.
        const double now = i * 1000.0 / 144 + (i % 10 == 5 ? 3.0 : 0.0);
        frames += refresh_gets_frame(pacer, now);
    }
    EXPECT_NEAR(refresh_rate(pacer.refreshes), 144.0, 0.5);
    EXPECT_NEAR(frames, 72, 2);
    pacer.capped = false;
    for (int i = 144; i < 288; ++i)
        EXPECT_TRUE(refresh_gets_frame(pacer, i * 1000.0 / 144));
}
