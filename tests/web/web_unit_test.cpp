// The page's platform-free parts, natively: its URL options and hosts' choices, GLU's shapes and
// the mipmap levels.
#include "web/host_choices.h"
#include "web/mipmaps.h"
#include "web/quadric_mesh.h"
#include "web/url_options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

TEST(UrlOptions, ReadTheLinuxOptionsUnderTheirNames) {
    ModuleOptions o;
    char error[OPTION_ERROR_SIZE];
    ASSERT_TRUE(
        parse_url_options("?modules=1,3,5-7&no-dorje-drak&cycle=30&sound=1&fps=1", &o, error));
    EXPECT_TRUE(o.modules[1] && o.modules[3] && o.modules[5] && o.modules[7]);
    EXPECT_FALSE(o.modules[2] || o.modules[8] || o.modules[13]);
    EXPECT_EQ(o.cycleSeconds, 30);
    EXPECT_TRUE(o.sound && o.fps);
    ASSERT_TRUE(parse_url_options("no%2Dsera=1&sound=0&fps=0&&", &o, error));
    EXPECT_TRUE(o.modules[1] && o.modules[20] && !o.modules[9] && !o.sound && !o.fps);
    ASSERT_TRUE(parse_url_options("", &o, error));
    EXPECT_TRUE(o.modules[9] && o.cycleSeconds == 15);
}

TEST(UrlOptions, NameABadOptionAndLeaveTheOptionsAlone) {
    ModuleOptions o;
    o.cycleSeconds = 77;
    char error[OPTION_ERROR_SIZE];
    const struct {
        const char* query;
        const char* message;
    } bad[] = {
        {"module=21", "bad value for module: 21"},   {"cycle=0", "bad value for cycle: 0"},
        {"modules=3,", "bad value for modules: 3,"}, {"sound=yes", "bad value for sound: yes"},
        {"zoom=2", "unknown option zoom"},           {"no-lhasa=0", "unknown option no-lhasa"},
        {"module", "bad value for module: "}};
    for (const auto& b : bad) {
        EXPECT_FALSE(parse_url_options(b.query, &o, error)) << b.query;
        EXPECT_STREQ(error, b.message);
    }
    EXPECT_EQ(o.cycleSeconds, 77);
}

TEST(HostChoices, TakeThePagesSettingsInRangeAndReplaceTheUrlsChoices) {
    HostChoices host;
    char error[OPTION_ERROR_SIZE];
    ModuleOptions url;
    ASSERT_TRUE(parse_url_options("modules=2,3&no-jokhang&cycle=30&fps=1", &url, error));
    EXPECT_EQ(read_host_choice(&host, "schemecolor", 1, error), HostChoiceRead::Unknown);
    const std::pair<const char*, double> bad[] = {{"module", 21}, {"module", 2.5}, {"cycle", 0},
                                                  {"cycle", 1e4}, {"sound", 2},    {"cycle", NAN}};
    for (const auto& [name, value] : bad)
        EXPECT_EQ(read_host_choice(&host, name, value, error), HostChoiceRead::Refused) << value;
    EXPECT_STREQ(error, "bad value for cycle: nan");
    ModuleOptions o = with_host_choices(url, host); // nothing taken: the URL's options
    EXPECT_TRUE(o.modules[3] && !o.modules[2] && !o.modules[1] && o.cycleSeconds == 30);
    read_host_choice(&host, "module", 0, error);
    read_host_choice(&host, "cycle", 44.6, error);
    read_host_choice(&host, "sound", 1, error);
    o = with_host_choices(url, host); // every module, the URL's no-NAME too
    EXPECT_TRUE(o.modules[1] && o.modules[2] && o.modules[20] && o.cycleSeconds == 45);
    EXPECT_TRUE(o.sound && o.fps);
    read_host_choice(&host, "module", 7, error);
    o = with_host_choices(url, host);
    EXPECT_TRUE(o.modules[7] && !o.modules[3] && !o.modules[8]);
}

// The first vertices GLU emits for the scenes' cylinder (radius 2, height 6) and sphere
// (radius 2), 32 slices and stacks, as recorded from the native program with apitrace.
TEST(QuadricMesh, FollowsGluOrderAndValues) {
    const QuadricMesh c = cylinder_mesh(2, 2, 6, 32, 32);
    ASSERT_EQ(c.stripCount, 32);
    ASSERT_EQ(c.vertices.size(), 32u * 66u);
    const MeshVertex& c2 = c.vertices[2];
    EXPECT_FLOAT_EQ(c2.x, 0.3901806f);
    EXPECT_FLOAT_EQ(c2.y, 1.961571f);
    EXPECT_FLOAT_EQ(c2.nx, 0.1950903f);
    EXPECT_FLOAT_EQ(c2.s, 0.96875f);
    EXPECT_FLOAT_EQ(c.vertices[1].z, 0.1875f);
    EXPECT_EQ(c.vertices[64].x, c.vertices[0].x); // the strip closes on its first vertex
    EXPECT_EQ(c.vertices[64].s, 0.0f);
    const QuadricMesh s = sphere_mesh(2, 32, 32);
    EXPECT_FLOAT_EQ(s.vertices[0].y, 0.1960343f); // the ring below the pole comes first
    EXPECT_FLOAT_EQ(s.vertices[0].z, 1.990369f);
    EXPECT_FLOAT_EQ(s.vertices[0].t, 0.96875f);
    EXPECT_EQ(s.vertices[1].z, 2.0f);
    EXPECT_FLOAT_EQ(s.vertices[2].x, 0.03824439f);
    EXPECT_EQ(s.vertices[s.vertices.size() - 2].z, -2.0f); // the exact pole
}

TEST(Mipmaps, RoundTheMeanOfTheTexelsHalved) {
    const uint8_t square[] = {0, 1, 1, 1, 255, 3, 2, 2, 0, 0, 0, 3, 255, 0, 0, 2};
    const MipLevel one = halve_level(square, 2, 2, 4);
    ASSERT_EQ(one.width, 1);
    EXPECT_EQ(one.texels, (std::vector<uint8_t>{128, 1, 1, 2}));
    const uint8_t row[] = {10, 21, 30, 40}; // 4 x 1, one component
    EXPECT_EQ(halve_level(row, 4, 1, 1).texels, (std::vector<uint8_t>{16, 35}));
    EXPECT_TRUE(halve_level(one.texels.data(), 1, 1, 4).texels.empty());
}
