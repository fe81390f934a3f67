// The one command-line reader every program uses.
#include <gtest/gtest.h>

#include "command_line.h"

namespace spinvale {
namespace {

struct Parsed {
    bool windowed = false;
    int64_t fps = 60;
    double skill = 0;
    std::string file;
    std::vector<std::string> words;
};

std::optional<int> parse(const std::vector<std::string>& args, Parsed& p, std::string& error) {
    CommandLine commandLine("prog", "usage\n");
    commandLine.flag("--windowed", p.windowed);
    commandLine.whole("--max-fps", p.fps, 0, 1000);
    commandLine.real("--skill", p.skill, 0, 1);
    commandLine.path("--record", p.file);
    commandLine.words(p.words, 0, 1);
    const auto status = commandLine.parse(args);
    error = commandLine.error();
    return status;
}

TEST(CommandLine, ValuesFollowTheOptionAndFaultsAreNamedWithStatusTwo) {
    Parsed p;
    std::string error;
    EXPECT_EQ(parse({"--windowed", "--max-fps", "0", "--record=out=1.txt", "file", "--skill=1"}, p,
                    error),
              std::nullopt);
    EXPECT_EQ(std::tuple(p.windowed, p.fps, p.skill, p.file, p.words),
              std::tuple(true, 0, 1.0, "out=1.txt", std::vector<std::string>{"file"}));
    EXPECT_EQ(parse({"--max-fps", "12", "--help", "--bogus"}, p, error), 0);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--full"}, "unknown option '--full'"},
        {{"-w"}, "unknown option '-w'"},
        {{"a", "b"}, "one word too many: 'b'"},
        {{"--max-fps"}, "--max-fps needs a value"},
        {{"--max-fps", "-1"}, "--max-fps needs a whole number from 0 to 1000, not '-1'"},
        {{"--max-fps=60x"}, "--max-fps needs a whole number from 0 to 1000, not '60x'"},
        {{"--max-fps", "1001"}, "--max-fps needs a whole number from 0 to 1000, not '1001'"},
        {{"--skill", "1.01"}, "--skill needs a number from 0 to 1, not '1.01'"},
        {{"--record="}, "--record needs a name, not ''"},
        {{"--windowed=yes"}, "--windowed takes no value"}};
    for (const auto& [args, reason] : cases) {
        p = {};
        EXPECT_EQ(parse(args, p, error), 2) << args[0];
        EXPECT_EQ(error, reason);
    }
}

}  // namespace
}  // namespace spinvale
