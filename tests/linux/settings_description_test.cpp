// The Linux program's module options, and the command lines that XScreenSaver's settings dialog
// builds from linux/velta2.xml, read by the program's own parser.
// GoogleTest before Xlib, whose macros (None, Bool) break its templates.
#include <gtest/gtest.h>

#include "unix/options.h"

#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr unsigned ALL_MODULES = (1u << (MODULE_COUNT + 1)) - 2; // bit k: module k

struct Parsed {
    Options options;
    std::string error; // empty when the line parsed
    unsigned shown;    // the modules shown, bit k for module k
};

Parsed parse(const std::string& line, const char* xscreensaverWindow = nullptr) {
    std::istringstream in("velta2 " + line);
    const std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
    std::vector<const char*> argv;
    for (const auto& word : words)
        argv.push_back(word.c_str());
    Parsed p{};
    char error[OPTION_ERROR_SIZE] = "";
    if (!parse_options(int(argv.size()), argv.data(), xscreensaverWindow, &p.options, error))
        p.error = error[0] ? error : "refused without a message";
    for (int k = 1; k <= MODULE_COUNT; ++k)
        p.shown |= p.options.modules[k] ? 1u << k : 0;
    return p;
}

std::string attribute(const std::string& element, const char* name) {
    std::smatch m;
    std::regex_search(element, m, std::regex(std::string(name) + "=\"([^\"]*)\""));
    return m[1];
}

std::string with_value(std::string arg, const std::string& value) {
    return arg.replace(arg.find('%'), 1, value);
}

} // namespace

TEST(ModuleOptions, NoNameLeavesOutThatModuleWhateverTheOrder) {
    EXPECT_EQ(parse("-no-dorje-drak").shown, ALL_MODULES & ~(1u << 13));
    EXPECT_EQ(parse("--no-shechen -modules 1-3 --no-gelug").shown, 1u << 2 | 1u << 3);
    // All left out is the black screen of a saver with every module unticked.
    const Parsed none = parse("-module 13 -no-dorje-drak");
    EXPECT_EQ(none.error, "");
    EXPECT_EQ(none.shown, 0u);
    EXPECT_EQ(parse("-sound -no-sound").shown, ALL_MODULES);
    for (const char* bad : {"-no-dorje", "-no-dorje-drakk", "-no-Shechen", "-no-"})
        EXPECT_EQ(parse(bad).error, std::string("unknown option ") + bad);
}

// Each widget at each of its values gives words the program reads as meant; the dialog leaves
// out the words of a widget at its default, so the defaults must be the program's.
TEST(SettingsDescription, EveryWidgetMeansToTheProgramWhatItSays) {
    std::ifstream file(VELTA_SETTINGS_DESCRIPTION);
    const std::string xml{std::istreambuf_iterator<char>(file), {}};
    const std::regex element("<(command|boolean|number|option)\\s[^>]*/>");
    std::string command, everything;
    int module = 0, widgets = 0;
    for (std::sregex_iterator e(xml.begin(), xml.end(), element), end; e != end; ++e, ++widgets) {
        const std::string text = e->str(), tag = (*e)[1];
        const std::string set = attribute(text, "arg-set"), unset = attribute(text, "arg-unset");
        if (tag == "command") {
            command = attribute(text, "arg");
            EXPECT_EQ(command, "--root");
        } else if (tag == "boolean" && !unset.empty()) {
            EXPECT_EQ(attribute(text, "_label"), module_name(++module));
            EXPECT_EQ(parse(command + " " + unset).shown, ALL_MODULES & ~(1u << module)) << unset;
            everything += " " + unset;
        } else if (tag == "boolean" && set == "--sound") {
            EXPECT_FALSE(Options().sound);
            EXPECT_TRUE(parse(command + " " + set).options.sound);
            everything += " " + set;
        } else if (tag == "number") {
            const std::string arg = attribute(text, "arg");
            EXPECT_EQ(arg, "--cycle %");
            EXPECT_EQ(attribute(text, "default"), std::to_string(Options().cycleSeconds));
            EXPECT_EQ(attribute(text, "low"), std::to_string(CYCLE_SECONDS_MIN));
            EXPECT_EQ(attribute(text, "high"), std::to_string(CYCLE_SECONDS_MAX));
            for (int seconds : {CYCLE_SECONDS_MIN, CYCLE_SECONDS_MAX})
                EXPECT_EQ(parse(with_value(arg, std::to_string(seconds))).options.cycleSeconds,
                          seconds);
            everything += " " + with_value(arg, "9999");
        } else {
            ADD_FAILURE() << "a widget the program has no option for: " << text;
        }
    }
    EXPECT_EQ(module, MODULE_COUNT);
    EXPECT_EQ(widgets, 1 + MODULE_COUNT + 2);
    // As XScreenSaver runs it: every box flipped, in its window.
    const Parsed all = parse(command + everything, "0x5a");
    EXPECT_EQ(all.error, "");
    EXPECT_EQ(all.options.windowId, 0x5aul);
    EXPECT_TRUE(all.options.sound);
}
