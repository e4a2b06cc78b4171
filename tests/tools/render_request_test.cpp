// Tests of the render tools' command line: good command lines become the right frame times, walked one by
// one as the tools draw them, every bad one is refused with a reason.
#include "tools/render/render_request.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

RequestResult Read(std::vector<const char*> args, RenderRequest& request, RequestRefusal& refusal)
{
    args.insert(args.begin(), "orvelle-render");
    return ReadRenderRequest(int(args.size()), args.data(), request, refusal);
}

// The frame times the tools walk, gathered for comparison, with the count they announce checked against them.
std::vector<uint32_t> FrameTimesOf(const RenderRequest& request)
{
    std::vector<uint32_t> elapsed;
    FrameTimes times = StartFrameTimes(request);
    for (uint32_t ms; NextFrameTime(times, ms);)
        elapsed.push_back(ms);
    EXPECT_EQ(elapsed.size(), RequestedFrameCount(request));
    return elapsed;
}

TEST(RenderRequest, FrameTimes)
{
    RenderRequest request;
    RequestRefusal refusal;
    ASSERT_EQ(Read({"--tick-ms", "16", "--frames", "3", "--digest"}, request, refusal), RequestResult::run);
    EXPECT_EQ(FrameTimesOf(request), (std::vector<uint32_t>{16, 32, 48}));

    RenderRequest list;
    ASSERT_EQ(Read({"--ms", "0,100,4294967295,50", "--out", "x", "--format", "565"}, list, refusal),
              RequestResult::run);
    EXPECT_EQ(FrameTimesOf(list), (std::vector<uint32_t>{0, 100, 4294967295u, 50}));
    EXPECT_EQ(list.format, &rgb565Format);
    EXPECT_STREQ(list.out, "x");
    RenderRequest canvas;
    ASSERT_EQ(Read({"--format", "rgba", "--digest"}, canvas, refusal), RequestResult::run);
    EXPECT_EQ(canvas.format, &canvasRgbaFormat);

    RenderRequest wrapping;
    ASSERT_EQ(Read({"--tick-ms", "4294967295", "--frames", "2", "--digest"}, wrapping, refusal), RequestResult::run);
    EXPECT_EQ(FrameTimesOf(wrapping), (std::vector<uint32_t>{4294967295u, 4294967294u})) << "the tick wraps";

    // The most frames a run may ask for are walked, not stored: only the count and the last time are kept.
    RenderRequest most;
    ASSERT_EQ(Read({"--frames", "10000000", "--tick-ms", "1", "--digest"}, most, refusal), RequestResult::run);
    FrameTimes times = StartFrameTimes(most);
    uint32_t count = 0, last = 0;
    for (uint32_t ms; NextFrameTime(times, ms); ++count)
        last = ms;
    EXPECT_EQ(count, maxRenderFrames);
    EXPECT_EQ(last, maxRenderFrames);
}

TEST(RenderRequest, RefusesBadCommandLines)
{
    const std::vector<std::vector<const char*>> bad = {
        {"--format", "16", "--digest"},
        {"--format"},
        {"--tick-ms", "-1", "--digest"},
        {"--tick-ms", "4294967296", "--digest"},
        {"--frames", "0", "--digest"},
        {"--frames", "12x", "--digest"},
        {"--frames", "10000001", "--digest"},
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
        RenderRequest request;
        RequestRefusal refusal;
        EXPECT_EQ(Read(args, request, refusal), RequestResult::error) << (args.empty() ? "(nothing)" : args[0]);
        EXPECT_NE(refusal.problem, RequestProblem::none);
        const char* reason = RefusalText(refusal.problem);
        EXPECT_GT(std::strlen(reason), 0u);
        EXPECT_EQ(std::strchr(reason, '\n'), nullptr) << "one line: " << reason;
    }
}

TEST(RenderRequest, Help)
{
    RenderRequest request;
    RequestRefusal refusal;
    EXPECT_EQ(Read({"--frames", "2", "--help"}, request, refusal), RequestResult::help);
}

} // namespace
