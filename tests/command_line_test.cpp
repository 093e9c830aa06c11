#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

using app::CommandLineRequest;

struct Outcome {
    std::optional<int> status;
    std::string out;
    std::string err;
};

Outcome RunWith(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "trakmor");
    std::ostringstream out, err;
    Outcome outcome;
    outcome.status = app::HandleCommandLine(static_cast<int>(arguments.size()), arguments.data(), out, err);
    outcome.out = out.str();
    outcome.err = err.str();
    return outcome;
}

TEST(CommandLineTest, NoArgumentsStartsTheGameSilently) {
    const Outcome outcome = RunWith({});
    EXPECT_FALSE(outcome.status.has_value());
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "");

    // A program started with an empty argument vector (argc 0) plays as well.
    const char* none[] = {nullptr};
    EXPECT_EQ(app::ParseCommandLine(0, none), CommandLineRequest::Play);
}

TEST(CommandLineTest, VersionPrintsNameAndVersionOnly) {
    const Outcome outcome = RunWith({"--version"});
    ASSERT_TRUE(outcome.status.has_value());
    EXPECT_EQ(*outcome.status, 0);
    EXPECT_TRUE(std::regex_match(outcome.out, std::regex("Trakmor [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << outcome.out;
    EXPECT_EQ(outcome.err, "");
}

TEST(CommandLineTest, HelpShowsUsageAndEveryKey) {
    const Outcome outcome = RunWith({"--help"});
    ASSERT_TRUE(outcome.status.has_value());
    EXPECT_EQ(*outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out.rfind("Usage: trakmor [--help | --version]\n", 0), 0u) << outcome.out;
    for (const char* line : {"  Q    gear up\n", "  A    gear down\n", "  K    steer left\n", "  L    steer right\n",
                             "  Esc  game menu", "  F11  switch between the window and the whole screen",
                             "\nGamepad:\n", "  d-pad or left stick  steer\n", "  A or right trigger   gear up\n",
                             "  B or left trigger    gear down\n", "  Start or Back        game menu\n"})
        EXPECT_NE(outcome.out.find(line), std::string::npos) << line;
    EXPECT_TRUE(std::regex_search(outcome.out, std::regex("\n  F11 [^\n]*Alt\\+Enter"))) << outcome.out;
    EXPECT_NE(outcome.out.find("Trakmor_B.spd"), std::string::npos);
}

TEST(CommandLineTest, AnyOtherArgumentIsRefusedWithUsageOnStandardError) {
    // Near misses of the two options, a bare separator, an empty argument and a plain word.
    for (const char* argument : {"-h", "-V", "--HELP", "--help=yes", "--versio", "--", "", "help", "-"}) {
        SCOPED_TRACE(std::string("argument '") + argument + "'");
        EXPECT_EQ(app::ParseCommandLine(2, std::vector<const char*>{"trakmor", argument}.data()),
                  CommandLineRequest::Refuse);
        const Outcome outcome = RunWith({argument});
        ASSERT_TRUE(outcome.status.has_value());
        EXPECT_EQ(*outcome.status, 2);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, std::string("trakmor: unknown argument '") + argument + "'\n" + app::UsageText());
    }
}

TEST(CommandLineTest, AValidOptionWithAnotherArgumentIsRefused) {
    for (const std::vector<const char*>& arguments : std::vector<std::vector<const char*>>{
             {"--help", "--version"}, {"--version", "--version"}, {"--help", "extra"}, {"", ""}}) {
        const Outcome outcome = RunWith(arguments);
        ASSERT_TRUE(outcome.status.has_value());
        EXPECT_EQ(*outcome.status, 2);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, "trakmor: too many arguments\n" + app::UsageText());
    }
}

TEST(CommandLineTest, AnAnswerThatCannotBeWrittenFails) {
    for (const char* option : {"--help", "--version"}) {
        const char* argv[] = {"trakmor", option};
        std::ostringstream out, err;
        out.setstate(std::ios::badbit);
        EXPECT_EQ(app::HandleCommandLine(2, argv, out, err), 1) << option;
    }
}

}  // namespace
