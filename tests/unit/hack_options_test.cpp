// The Linux program's module options, and the command lines that XScreenSaver's settings dialog
// builds from linux/velta2.xml, read by the program's own parser.
// GoogleTest before Xlib, whose macros (None, Bool) break its templates.
#include <gtest/gtest.h>

#include "linux/options.h"

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Parsed {
    bool ok;
    Options options;
    std::string error;
};

Parsed parse(std::vector<std::string> args, const char* xscreensaverWindow = nullptr) {
    args.insert(args.begin(), "velta2");
    std::vector<const char*> argv;
    for (const auto& arg : args)
        argv.push_back(arg.c_str());
    Parsed p;
    char error[OPTION_ERROR_SIZE] = "";
    p.ok = parse_options(static_cast<int>(argv.size()), argv.data(), xscreensaverWindow, &p.options,
                         error);
    p.error = error;
    return p;
}

std::vector<int> shown(const Options& options) {
    std::vector<int> modules;
    for (int k = 1; k <= MODULE_COUNT; ++k)
        if (options.modules[k])
            modules.push_back(k);
    return modules;
}

std::vector<int> all_but(int left) {
    std::vector<int> modules;
    for (int k = 1; k <= MODULE_COUNT; ++k)
        if (k != left)
            modules.push_back(k);
    return modules;
}

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> result;
    for (std::string word; in >> word;)
        result.push_back(word);
    return result;
}

void append(std::vector<std::string>& args, const std::string& text) {
    for (auto& word : words(text))
        args.push_back(word);
}

// One element of the description: its name and attributes.
struct Element {
    std::string tag;
    std::map<std::string, std::string> attributes;
};

// The elements of the description that give the command line its words, in file order.
std::vector<Element> description_elements() {
    std::ifstream file(VELTA_SETTINGS_DESCRIPTION);
    std::stringstream text;
    text << file.rdbuf();
    const std::string xml = text.str();
    const std::regex element("<(command|boolean|number|option)\\s([^>]*)/>");
    const std::regex attribute("([\\w-]+)=\"([^\"]*)\"");
    std::vector<Element> elements;
    for (std::sregex_iterator e(xml.begin(), xml.end(), element), end; e != end; ++e) {
        Element found{(*e)[1], {}};
        const std::string body = (*e)[2];
        for (std::sregex_iterator a(body.begin(), body.end(), attribute); a != end; ++a)
            found.attributes[(*a)[1]] = (*a)[2];
        elements.push_back(found);
    }
    return elements;
}

std::vector<std::string> command_words(const std::vector<Element>& elements) {
    std::vector<std::string> args;
    for (const auto& e : elements)
        if (e.tag == "command")
            append(args, e.attributes.at("arg"));
    return args;
}

std::string with_value(std::string arg, const std::string& value) {
    return arg.replace(arg.find('%'), 1, value);
}

} // namespace

TEST(ModuleOptions, NoNameLeavesOutThatModuleWhateverTheOrder) {
    Parsed p = parse({"-no-dorje-drak"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(shown(p.options), all_but(13));

    p = parse({"--no-shechen", "-modules", "1-3", "--no-gelug"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(shown(p.options), (std::vector<int>{2, 3}));

    // Every module left out is the black screen of a saver with every module unticked.
    p = parse({"-module", "13", "-no-dorje-drak"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_TRUE(shown(p.options).empty());

    p = parse({"-sound", "-no-sound"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_FALSE(p.options.sound);
    EXPECT_EQ(shown(p.options).size(), size_t(MODULE_COUNT));

    for (const char* bad :
         {"-no-dorje", "-no-dorje-drakk", "-no-Shechen", "-no-", "-no-dorje drak"}) {
        p = parse({bad});
        EXPECT_FALSE(p.ok) << bad;
        EXPECT_EQ(p.error, std::string("unknown option ") + bad);
    }
}

// XScreenSaver's settings dialog previews a hack by adding --window-id to its --root line.
TEST(ModuleOptions, WindowIdAfterRootDrawsIntoThatWindow) {
    const Parsed p = parse({"--root", "--no-sera", "--window-id", "0x2a"}, "0x99");
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.window, WindowKind::Given);
    EXPECT_EQ(p.options.windowId, Window(0x2a));
}

TEST(SettingsDescription, EachModuleBoxLeavesOutItsOwnModule) {
    const auto elements = description_elements();
    const auto command = command_words(elements);
    ASSERT_EQ(command, std::vector<std::string>{"--root"});
    std::vector<std::string> labels;
    for (const auto& e : elements) {
        if (e.tag != "boolean" || !e.attributes.count("arg-unset"))
            continue;
        const std::string& label = e.attributes.at("_label");
        labels.push_back(label);
        auto args = command;
        append(args, e.attributes.at("arg-unset"));
        const Parsed p = parse(args);
        ASSERT_TRUE(p.ok) << label << ": " << p.error;
        EXPECT_EQ(shown(p.options), all_but(static_cast<int>(labels.size()))) << label;
    }
    std::vector<std::string> names;
    for (int k = 1; k <= MODULE_COUNT; ++k)
        names.push_back(module_name(k));
    EXPECT_EQ(labels, names);
}

// The dialog leaves out the words of a widget at its default: the defaults must be the
// program's, and every other value must parse to itself.
TEST(SettingsDescription, CycleAndSoundMatchTheProgram) {
    const auto elements = description_elements();
    const Options defaults;
    int numbers = 0, switches = 0;
    for (const auto& e : elements) {
        const auto& at = e.attributes;
        if (e.tag == "number") {
            ++numbers;
            EXPECT_EQ(at.at("arg"), "--cycle %");
            EXPECT_EQ(std::stoi(at.at("low")), CYCLE_SECONDS_MIN);
            EXPECT_EQ(std::stoi(at.at("high")), CYCLE_SECONDS_MAX);
            EXPECT_EQ(std::stoi(at.at("default")), defaults.cycleSeconds);
            for (const char* key : {"low", "default", "high"}) {
                auto args = command_words(elements);
                append(args, with_value(at.at("arg"), at.at(key)));
                const Parsed p = parse(args);
                ASSERT_TRUE(p.ok) << key << ": " << p.error;
                EXPECT_EQ(p.options.cycleSeconds, std::stoi(at.at(key)));
            }
        } else if (e.tag == "boolean" && at.count("arg-set")) {
            ++switches;
            EXPECT_FALSE(defaults.sound); // a box with arg-set starts unticked
            auto args = command_words(elements);
            append(args, at.at("arg-set"));
            const Parsed p = parse(args);
            ASSERT_TRUE(p.ok) << p.error;
            EXPECT_TRUE(p.options.sound);
        } else if (e.tag == "option") {
            ADD_FAILURE() << "a choice list the program does not read";
        }
    }
    EXPECT_EQ(numbers, 1);
    EXPECT_EQ(switches, 1);
}

TEST(SettingsDescription, EveryWidgetChangedAtOnceParses) {
    const auto elements = description_elements();
    auto args = command_words(elements);
    for (const auto& e : elements) {
        const auto& at = e.attributes;
        if (e.tag == "boolean")
            append(args, at.count("arg-set") ? at.at("arg-set") : at.at("arg-unset"));
        else if (e.tag == "number")
            append(args, with_value(at.at("arg"), at.at("high")));
    }
    const Parsed p = parse(args, "0x5a");
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_TRUE(shown(p.options).empty());
    EXPECT_TRUE(p.options.sound);
    EXPECT_EQ(p.options.cycleSeconds, CYCLE_SECONDS_MAX);
    EXPECT_EQ(p.options.window, WindowKind::Given);
    EXPECT_EQ(p.options.windowId, Window(0x5a));
}
