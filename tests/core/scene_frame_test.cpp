// The frame every module follows, the module table and the program's random generator.
#include "core/scenes/flip_module.h"
#include "core/scenes/grid_modules.h"
#include "core/scenes/random_generator.h"
#include "core/scenes/track_modules.h"
#include "scene_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

TEST(SceneFrame, IndexZeroShowsOnlyACleanBlackFrame) {
    reset_scenes({8, 20});
    DrawRecorder rec;
    EXPECT_EQ(draw_module(0), 1);
    EXPECT_EQ(rec.clears, 1);
    EXPECT_TRUE(rec.shapes.empty());
    EXPECT_EQ(g_fPhase, 0.0f);
    rec.clears = 0;
    rec.pendingErrors = {GL_INVALID_OPERATION};
    EXPECT_EQ(DrawBlank(), 0);
    // An index outside the table draws nothing at all and still counts as complete.
    EXPECT_EQ(draw_module(21), 1);
    EXPECT_EQ(draw_module(-1), 1);
    EXPECT_EQ(rec.clears, 1);
}

TEST(SceneFrame, DisabledModuleShowsBlackAndAdvancesNothing) {
    reset_scenes({});
    g_fPhase = 12.5f;
    DrawRecorder rec;
    EXPECT_EQ(DrawShechen(), 1);
    EXPECT_EQ(DrawTsurphu(), 1);
    EXPECT_EQ(rec.clears, 2);
    EXPECT_TRUE(rec.shapes.empty());
    EXPECT_EQ(g_fPhase, 12.5f);
    EXPECT_TRUE(g_bFirstUse[1]);
    EXPECT_EQ(module_elements(1)[12].z, 0.0f); // not even initialised
    EXPECT_EQ(g_fBob, 0.0f);
}

TEST(SceneFrame, PhaseWrapsOnlyAboveFiveMillion) {
    reset_scenes({3});
    DrawRecorder rec;
    g_fPhase = 5000000.5f;
    DrawMindroling();
    EXPECT_EQ(g_fPhase, 1.0f); // 0.5 while drawing, then + 0.5
    g_fPhase = 5000000.0f;
    DrawMindroling();
    EXPECT_EQ(g_fPhase, 5000000.5f);
}

TEST(SceneFrame, FirstFrameZeroFillsAndInitialisesOnceAndLaterVisitsContinue) {
    reset_scenes({1, 2});
    ElementState* e = module_elements(1);
    for (int c = 0; c < ELEMENT_TABLE_SIZE; ++c)
        e[c].vx = 99.0f; // left over from nowhere: the first frame zero-fills
    DrawRecorder rec;
    DrawShechen();
    EXPECT_FALSE(g_bFirstUse[1]);
    EXPECT_EQ(e[29].vx, 0.0f);
    EXPECT_EQ(e[0].vx, 0.0f);
    const float afterFirst = e[12].z;
    EXPECT_FLOAT_EQ(afterFirst, 0.0125f);
    for (int n = 0; n < 9; ++n)
        DrawShechen();
    // Away to Jokhang and back: the phase restarts, the track positions do not.
    store_module_params(1);
    load_module_params(2);
    DrawJokhang();
    load_module_params(1);
    g_fSpeed = 0.5f;
    EXPECT_EQ(g_fPhase, 0.0f);
    DrawShechen();
    EXPECT_NEAR(e[12].z, 11 * 0.0125f, 1e-6f);
    EXPECT_EQ(module_elements(2)[0].z, -TRACK_LIMIT + 0.025f);
}

TEST(SceneFrame, ViewTranslatesThenRotatesInTheModulesOrder) {
    reset_scenes({3, 4});
    g_fDepth = 10.0f;
    g_fHorz = 1.0f;
    g_fVert = 2.0f;
    g_fXrot = 90.0f;
    g_fZrot = 90.0f;
    DrawRecorder rec;
    DrawMindroling(); // Z-Y-X: the x axis is turned by z only, onto y
    const Mat4& central = rec.shapes.back().modelView;
    EXPECT_VEC_NEAR(central.origin(), 1, 2, -10, 1e-5f);
    EXPECT_VEC_NEAR(central.vector(1, 0, 0), 0, 1, 0, 1e-6f);
    EXPECT_VEC_NEAR(central.vector(0, 0, 1), 1, 0, 0, 1e-6f);
    rec.clear_records();
    g_fDepth = g_fHorz = g_fVert = 0.0f;
    DrawTsurphu(); // X-Y-Z: cell (0, 0) at (x, y, 0) lands at (-y, 0, x)
    EXPECT_VEC_NEAR(rec.shapes[0].modelView.origin(), 10.2f, 0, -18.9f, 1e-5f);
}

TEST(SceneFrame, ErrorAtTheEndOfTheFrameFailsItButTheAnimationHasMoved) {
    reset_scenes({3, 1});
    DrawRecorder rec;
    rec.pendingErrors = {GL_OUT_OF_MEMORY};
    EXPECT_EQ(DrawMindroling(), 0);
    EXPECT_EQ(g_fPhase, 0.5f);
    EXPECT_EQ(rec.errorChecks, 1);
    // Shechen clears the error flag after each element, so an error raised while drawing
    // one does not reach the frame's result.
    rec.pendingErrors = {GL_INVALID_VALUE};
    rec.errorChecks = 0;
    EXPECT_EQ(DrawShechen(), 1);
    EXPECT_EQ(rec.errorChecks, TRACK_ELEMENTS + 1);
    EXPECT_EQ(rec.stackFaults, 0);
    EXPECT_TRUE(rec.stack.empty());
}

TEST(SceneFrame, EveryModuleStillMovesAtTheLowestSpeed) {
    for (int k = 1; k <= 7; ++k) {
        reset_scenes({k});
        g_fSpeed = SPEED_MIN;
        DrawRecorder rec;
        draw_module(k);
        const std::vector<RecordedShape> first = rec.shapes;
        rec.clear_records();
        draw_module(k);
        ASSERT_EQ(rec.shapes.size(), first.size()) << k;
        int moved = 0;
        for (size_t n = 0; n < first.size(); ++n)
            moved += rec.shapes[n].modelView.m != first[n].modelView.m;
        EXPECT_GT(moved, 20) << "module " << k;
        EXPECT_EQ(g_fPhase, 2 * SPEED_MIN);
    }
}

TEST(RandomGenerator, IsTheClassicLinearCongruentialSequence) {
    seed_random(1);
    EXPECT_EQ(draw_random(), 41);
    EXPECT_EQ(draw_random(), 18467);
    EXPECT_EQ(draw_random(), 6334);
    seed_random(0xFFFFFFFFu);
    int lowest = RANDOM_MAX, highest = 0;
    for (int n = 0; n < 100000; ++n) {
        const int v = draw_random();
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, RANDOM_MAX);
    seed_random(1);
    EXPECT_FLOAT_EQ(random_signed(), (41 - 16384) / 16384.0f);
}

// ---- Frames between steps ----

// A shape's call with its matrix and colour, floats in hexadecimal.
static std::string shape_call(const RecordedShape& s) {
    char text[64];
    std::snprintf(text, sizeof text, "%d %a %a %a %d %d %d |", static_cast<int>(s.kind), s.base,
                  s.top, s.height, s.slices, s.stacks, s.stackDepth);
    std::string out = text;
    for (float v : s.modelView.m) {
        std::snprintf(text, sizeof text, " %a", v);
        out += text;
    }
    for (float v : s.color) {
        std::snprintf(text, sizeof text, " %a", v);
        out += text;
    }
    return out + "\n";
}

// Every call of a frame that reaches the drawing table.
static std::string frame_calls(const DrawRecorder& r) {
    std::string out =
        "clears " + std::to_string(r.clears) + " checks " + std::to_string(r.errorChecks) + "\n";
    for (const RecordedShape& s : r.shapes)
        out += shape_call(s);
    return out;
}

static float distance(Vec3 a, Vec3 b) {
    return length({a.x - b.x, a.y - b.y, a.z - b.z});
}

namespace {

// The live state a module's frames read and change, to run two paths from the same start.
struct LiveScene {
    ElementState elements[LARGE_ELEMENT_TABLE_SIZE];
    float phase, bob, xrot, yrot;
    bool bobUp;
    FlipControl flip;
    void take(int k) {
        std::memcpy(elements, module_elements(k), sizeof(ElementState) * module_element_count(k));
        phase = g_fPhase, bob = g_fBob, xrot = g_fXrot, yrot = g_fYrot, bobUp = g_bBobUp;
        flip = g_Flip;
    }
    void put(int k) const {
        std::memcpy(module_elements(k), elements, sizeof(ElementState) * module_element_count(k));
        g_fPhase = phase, g_fBob = bob, g_fXrot = xrot, g_fYrot = yrot, g_bBobUp = bobUp;
        g_Flip = flip;
    }
};

} // namespace

TEST(FramesBetweenSteps, AtFractionZeroEveryModuleDrawsTheStepBeforeLastAsToday) {
    constexpr int FRAMES = 40;
    for (int k = 1; k <= MODULE_COUNT; ++k) {
        reset_scenes({k});
        g_fSpeed = 2.0f; // wraps and rebirths come sooner
        DrawRecorder rec;
        draw_module(k); // the first frame initialises, reseeding from the clock for some
        LiveScene start;
        start.take(k);
        seed_random(7);
        std::vector<std::string> today;
        for (int i = 0; i < FRAMES; ++i) {
            rec.clear_records();
            draw_module(k);
            today.push_back(frame_calls(rec));
        }
        start.put(k);
        seed_random(7);
        for (int i = 0; i <= FRAMES; ++i) {
            step_module(k);
            if (i == 0)
                continue;
            rec.clear_records();
            draw_module_between(k, 0.0f);
            ASSERT_EQ(frame_calls(rec), today[i - 1]) << "module " << k << " frame " << i - 1;
        }
    }
}

TEST(FramesBetweenSteps, HalfwayADriftingElementIsMidwayAndAWrappedOneIsWhereItIsNow) {
    reset_scenes({8, 9});
    DrawRecorder rec;
    step_module(9);
    step_module(9);
    std::vector<Vec3> at[3];
    const float fractions[3] = {0.0f, 0.5f, 1.0f};
    for (int i = 0; i < 3; ++i) {
        rec.clear_records();
        draw_module_between(9, fractions[i]);
        for (const RecordedShape& s : rec.shapes)
            at[i].push_back(s.modelView.origin());
    }
    ASSERT_EQ(at[1].size(), 18u);
    for (size_t e = 0; e < at[1].size(); ++e) {
        EXPECT_GT(distance(at[2][e], at[0][e]), 0.0f);
        EXPECT_VEC_NEAR(at[1][e], (at[0][e].x + at[2][e].x) / 2, (at[0][e].y + at[2][e].y) / 2,
                        (at[0][e].z + at[2][e].z) / 2, 1e-4f);
    }

    // Drepung's element 0 runs off the end of its arm, back to the middle, between the two
    // steps kept.
    step_module(8);
    module_elements(8)[0].z = TRACK_LIMIT - 0.001f;
    step_module(8);
    step_module(8);
    std::vector<Vec3> place[3];
    for (int i = 0; i < 3; ++i) {
        rec.clear_records();
        draw_module_between(8, fractions[i]);
        EXPECT_EQ(rec.shapes.size(), 24u);
        for (const RecordedShape& s : rec.shapes)
            place[i].push_back(s.modelView.origin());
    }
    // The wrapped one is where it is now; its neighbour is on its way.
    EXPECT_VEC_NEAR(place[1][0], place[2][0].x, place[2][0].y, place[2][0].z, 0.0f);
    EXPECT_GT(distance(place[1][0], place[0][0]), 1.0f);
    EXPECT_GT(distance(place[1][1], place[2][1]), 0.0f);
    EXPECT_GT(distance(place[1][1], place[0][1]), 0.0f);
}
