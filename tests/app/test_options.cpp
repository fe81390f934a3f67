#include <gtest/gtest.h>

#include "options.h"

namespace spinvale {
namespace {

CommandLine parse(std::vector<std::string> args, Options& options, std::string& error) {
    return parseOptions(args, options, error);
}

TEST(Options, NoArgumentsPlayFullscreenAtSixtyFramesWithDialogs) {
    Options o;
    std::string error;
    ASSERT_EQ(parse({}, o, error), CommandLine::Play);
    EXPECT_FALSE(o.windowed);
    EXPECT_TRUE(o.dialogs);
    EXPECT_EQ(o.maxFps, 60);
    EXPECT_EQ(o.samples, -1) << "the renderer decides";
    EXPECT_FALSE(o.verbose);
    EXPECT_EQ(o.frames, -1);
    EXPECT_TRUE(o.settingsPath.empty());
    EXPECT_TRUE(o.dataDir.empty());
    EXPECT_TRUE(o.recordPath.empty());
    EXPECT_TRUE(o.tracePath.empty());
}

TEST(Options, TheLastOfWindowedAndFullscreenWins) {
    Options o;
    std::string error;
    ASSERT_EQ(parse({"--windowed", "--fullscreen"}, o, error), CommandLine::Play);
    EXPECT_FALSE(o.windowed);
    ASSERT_EQ(parse({"--fullscreen", "--windowed"}, o, error), CommandLine::Play);
    EXPECT_TRUE(o.windowed);
}

TEST(Options, SettingsFileAndDataFolderAreKeptAsGiven) {
    Options o;
    std::string error;
    ASSERT_EQ(
        parse({"--settings", "../my settings.dat", "--data-dir=/opt/spinvale/share"}, o, error),
        CommandLine::Play)
        << error;
    EXPECT_EQ(o.settingsPath, "../my settings.dat");
    EXPECT_EQ(o.dataDir, "/opt/spinvale/share");
}

TEST(Options, ValuesFollowTheOptionOrItsEqualsSign) {
    Options o;
    std::string error;
    ASSERT_EQ(parse({"--windowed", "--no-dialogs", "--max-fps", "0", "--frames=250", "--record",
                     "in.txt", "--trace=out=1.txt", "--samples", "2", "--verbose"},
                    o, error),
              CommandLine::Play)
        << error;
    EXPECT_TRUE(o.windowed);
    EXPECT_FALSE(o.dialogs);
    EXPECT_EQ(o.maxFps, 0);
    EXPECT_EQ(o.frames, 250);
    EXPECT_EQ(o.recordPath, "in.txt");
    EXPECT_EQ(o.tracePath, "out=1.txt");
    EXPECT_EQ(o.samples, 2);
    EXPECT_TRUE(o.verbose);
    ASSERT_EQ(parse({"--samples=0"}, o, error), CommandLine::Play) << error;
    EXPECT_EQ(o.samples, 0);
}

TEST(Options, HelpAndVersionWinOverWhatFollows) {
    Options o;
    std::string error;
    EXPECT_EQ(parse({"--help", "--bogus"}, o, error), CommandLine::Help);
    EXPECT_EQ(parse({"--windowed", "--version"}, o, error), CommandLine::Version);
}

TEST(Options, BadCommandLinesNameTheirFault) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--full"}, "unknown option '--full'"},
        {{"-w"}, "unknown option '-w'"},
        {{"settings.dat"}, "unknown option 'settings.dat'"},
        {{"--max-fps"}, "--max-fps needs a value"},
        {{"--max-fps", "-1"}, "--max-fps needs a whole number from 0 to 1000, not '-1'"},
        {{"--max-fps=60x"}, "--max-fps needs a whole number from 0 to 1000, not '60x'"},
        {{"--max-fps", "1001"}, "--max-fps needs a whole number from 0 to 1000, not '1001'"},
        {{"--frames", "0"}, "--frames needs a whole number of 1 or more, not '0'"},
        {{"--frames="}, "--frames needs a whole number of 1 or more, not ''"},
        {{"--record="}, "--record needs a file name"},
        {{"--trace"}, "--trace needs a value"},
        {{"--settings="}, "--settings needs a file name"},
        {{"--data-dir", ""}, "--data-dir needs a folder name"},
        {{"--data-dir"}, "--data-dir needs a value"},
        {{"--fullscreen=no"}, "--fullscreen takes no value"},
        {{"--windowed=yes"}, "--windowed takes no value"},
        {{"--help=1"}, "--help takes no value"},
        {{"--verbose=1"}, "--verbose takes no value"},
        {{"--samples", "8"}, "--samples needs 0, 2 or 4, not '8'"},
        {{"--samples=04"}, "--samples needs 0, 2 or 4, not '04'"},
        {{"--samples"}, "--samples needs a value"},
    };
    for (const auto& [args, reason] : cases) {
        Options o;
        o.maxFps = 42;
        std::string error;
        EXPECT_EQ(parse(args, o, error), CommandLine::Bad) << args[0];
        EXPECT_EQ(error, reason);
        EXPECT_EQ(o.maxFps, 42) << "a bad command line leaves the options as they were";
    }
}

}  // namespace
}  // namespace spinvale
