// The Linux hosts' command-line reader: the common options, a host's own through its table, and the one-line
// reasons for what it refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "posix/front_end.h"

namespace {

// A host of two options of its own: a flag and one that takes a value, which "bad" is not. Its record is
// what its take saw, "option=value;" for each.
bool TakeTestOption(void* record, int option, const char* value)
{
    *static_cast<std::string*>(record) += std::to_string(option) + "=" + (value != nullptr ? value : "-") + ";";
    return value == nullptr || std::string(value) != "bad";
}
constexpr HostOption testOptions[] = {{"flag", false}, {"id", true}};
constexpr HostOptionTable testTable = {testOptions, 2, TakeTestOption};

TEST(FrontEnd, ReadsCommonAndOwnOptionsAndSaysWhatItRefuses)
{
    struct Case {
        std::vector<const char*> args;
        OptionsResult result;
        const char* message; // the whole reason on error
        const char* taken;   // the host's options it took
        uint32_t tickMs, frames;
    } const cases[] = {
        {{}, OptionsResult::run, "", "", 0, 0},
        {{"--tick-ms", "16", "-frames", "30"}, OptionsResult::run, "", "", 16, 30},
        {{"-flag", "--id", "7", "--flag"}, OptionsResult::run, "", "0=-;1=7;0=-;", 0, 0},
        {{"--tick-ms", "4294967295"}, OptionsResult::run, "", "", 0xFFFFFFFF, 0},
        {{"--id", "bad"}, OptionsResult::error, "--id: 'bad' is not a valid value", "1=bad;", 0, 0},
        {{"--tick-ms", "0"}, OptionsResult::error, "--tick-ms: '0' is not a valid value", "", 0, 0},
        {{"--frames", "-1"}, OptionsResult::error, "--frames: '-1' is not a valid value", "", 0, 0},
        {{"--frames", "4294967296"}, OptionsResult::error, "--frames: '4294967296' is not a valid value", "", 0, 0},
        {{"--frames"}, OptionsResult::error, "--frames needs a value", "", 0, 0},
        {{"-id"}, OptionsResult::error, "-id needs a value", "", 0, 0},
        {{"--bogus"}, OptionsResult::error, "unknown option --bogus (see --help)", "", 0, 0},
        {{"flag"}, OptionsResult::error, "unknown option flag (see --help)", "", 0, 0}, // no dash: no option
        {{"---flag"}, OptionsResult::error, "unknown option ---flag (see --help)", "", 0, 0},
        {{"-"}, OptionsResult::error, "unknown option - (see --help)", "", 0, 0},
        {{"--help", "--bogus"}, OptionsResult::help, "", "", 0, 0}, // the first answer wins
        {{"-flag", "-version"}, OptionsResult::version, "", "0=-;", 0, 0},
        {{"--display", "--help"}, OptionsResult::run, "", "", 0, 0}, // a value, not an option
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"host"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::string line;
        for (const char* arg : c.args)
            line += std::string(arg) + " ";
        SCOPED_TRACE(line);
        std::string taken;
        CommonOptions common;
        char message[128] = "";
        EXPECT_EQ(ReadOptions(int(argv.size()), argv.data(), testTable, &taken, common, message, sizeof message),
                  c.result);
        EXPECT_STREQ(message, c.message);
        EXPECT_EQ(taken, c.taken);
        EXPECT_EQ(common.tickMs, c.tickMs);
        EXPECT_EQ(common.frames, c.frames);
    }
}

// The test clock: frame i at i*tickMs, wrapping as the tick does, and the picture held from the limit on.
TEST(FrontEnd, TestClockDrawsFrameIAtITicksAndHoldsAtTheLimit)
{
    CommonOptions clock;
    clock.tickMs = 40;
    clock.frames = 3;
    EXPECT_EQ(FrameTick(clock, 1), 40u);
    EXPECT_EQ(FrameTick(clock, 0x80000000u), 0u);
    EXPECT_FALSE(FrameHeld(clock, 2));
    EXPECT_TRUE(FrameHeld(clock, 3));
    clock.frames = 0; // no limit
    EXPECT_FALSE(FrameHeld(clock, 0xFFFFFFFF));
}

} // namespace
