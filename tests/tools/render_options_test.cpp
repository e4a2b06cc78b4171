// Tests of orvelle-render's option parsing: good command lines become the right frame times, every bad one
// is refused with a message.
#include "tools/render/render_options.h"

#include <gtest/gtest.h>

namespace {

ParseResult Parse(std::vector<const char*> args, RenderOptions& options, std::string& message)
{
    args.insert(args.begin(), "orvelle-render");
    return ParseRenderOptions(int(args.size()), args.data(), options, message);
}

TEST(RenderOptions, FrameTimes)
{
    RenderOptions options;
    std::string message;
    ASSERT_EQ(Parse({"--tick-ms", "16", "--frames", "3", "--digest"}, options, message), ParseResult::run);
    EXPECT_EQ(options.elapsedMs, (std::vector<uint32_t>{16, 32, 48}));

    RenderOptions list;
    ASSERT_EQ(Parse({"--ms", "0,100,4294967295,50", "--out", "x", "--format", "565"}, list, message), ParseResult::run);
    EXPECT_EQ(list.elapsedMs, (std::vector<uint32_t>{0, 100, 4294967295u, 50}));
    EXPECT_EQ(list.format, &rgb565Format);
    ASSERT_EQ(Parse({"--format", "rgba", "--digest"}, list, message), ParseResult::run);
    EXPECT_EQ(list.format, &canvasRgbaFormat);

    RenderOptions wrapping;
    ASSERT_EQ(Parse({"--tick-ms", "4294967295", "--frames", "2", "--digest"}, wrapping, message), ParseResult::run);
    EXPECT_EQ(wrapping.elapsedMs, (std::vector<uint32_t>{4294967295u, 4294967294u})) << "the tick wraps";
}

TEST(RenderOptions, RefusesBadCommandLines)
{
    const std::vector<std::vector<const char*>> bad = {
        {"--format", "16", "--digest"},
        {"--format"},
        {"--tick-ms", "-1", "--digest"},
        {"--tick-ms", "4294967296", "--digest"},
        {"--frames", "0", "--digest"},
        {"--frames", "12x", "--digest"},
        {"--ms", "1,,2", "--digest"},
        {"--ms", "", "--digest"},
        {"--ms", "1,2", "--frames", "3", "--digest"},
        {"--every", "0", "--digest"},
        {"--out", "", "--digest"},
        {"--raw", "--digest"},
        {"--bogus"},
        {},
    };
    for (const auto& args : bad) {
        RenderOptions options;
        std::string message;
        EXPECT_EQ(Parse(args, options, message), ParseResult::error) << (args.empty() ? "(nothing)" : args[0]);
        EXPECT_FALSE(message.empty());
        EXPECT_EQ(message.find('\n'), std::string::npos) << "one line: " << message;
    }
}

TEST(RenderOptions, Help)
{
    RenderOptions options;
    std::string message;
    EXPECT_EQ(Parse({"--frames", "2", "--help"}, options, message), ParseResult::help);
}

} // namespace
