// The render tools' one table of options and its reader.
#include "tools/render/render_request.h"

#include <string_view>

#include "host_rules/number_reading.h"

namespace {

enum class OptionKind : uint8_t { format, tickMs, frames, ms, out, every, raw, digest, help };

struct OptionEntry {
    const char* name;
    OptionKind kind;
    bool takesValue;
};

constexpr OptionEntry optionTable[] = {
    {"--format", OptionKind::format, true}, {"--tick-ms", OptionKind::tickMs, true},
    {"--frames", OptionKind::frames, true}, {"--ms", OptionKind::ms, true},
    {"--out", OptionKind::out, true},       {"--every", OptionKind::every, true},
    {"--raw", OptionKind::raw, false},      {"--digest", OptionKind::digest, false},
    {"--help", OptionKind::help, false},    {"-h", OptionKind::help, false},
};

// By hand: the bare tool has no C library for strcmp or strlen.
bool SameText(const char* a, const char* b)
{
    while (*a != 0 && *a == *b)
        ++a, ++b;
    return *a == *b;
}

std::string_view TextOf(const char* text)
{
    std::size_t length = 0;
    while (text[length] != 0)
        ++length;
    return {text, length};
}

const OptionEntry* FindOption(const char* name)
{
    for (const OptionEntry& entry : optionTable)
        if (SameText(entry.name, name))
            return &entry;
    return nullptr;
}

// Reads the first number of a comma-separated list at cursor and moves the cursor past it and its comma (to
// null after the last). False for an empty or bad number.
bool ReadListedNumber(const char*& cursor, uint32_t& value)
{
    std::size_t length = 0;
    while (cursor[length] != 0 && cursor[length] != ',')
        ++length;
    if (!ReadUnsigned(std::string_view(cursor, length), 10, value))
        return false;
    cursor = cursor[length] == ',' ? cursor + length + 1 : nullptr;
    return true;
}

// The number of times in a list, or 0 when one of them is bad or there are more than maxRenderFrames.
uint32_t CountListed(const char* list)
{
    uint32_t count = 0;
    for (uint32_t value; list != nullptr; ++count)
        if (count == maxRenderFrames || !ReadListedNumber(list, value))
            return 0;
    return count;
}

// Takes one option's value into request; false when the value is refused.
bool TakeValue(OptionKind kind, const char* value, RenderRequest& request)
{
    const std::string_view text = TextOf(value);
    switch (kind) {
    case OptionKind::format: return (request.format = FindPixelFormat(text)) != nullptr;
    case OptionKind::tickMs: return ReadUnsigned(text, 10, request.tickMs);
    case OptionKind::frames:
        return ReadUnsigned(text, 10, request.frames) && request.frames > 0 && request.frames <= maxRenderFrames;
    case OptionKind::ms: request.msList = value; return CountListed(value) != 0;
    case OptionKind::out: request.out = value; return !text.empty();
    case OptionKind::every: return ReadUnsigned(text, 10, request.every) && request.every > 0;
    default: return false;
    }
}

// The rules between options, once all are read.
RequestProblem CheckCombination(const RenderRequest& request, bool ticksGiven)
{
    if (ticksGiven && request.msList != nullptr)
        return RequestProblem::listWithTicks;
    if (request.out == nullptr && !request.digest)
        return RequestProblem::nothingToWrite;
    if (request.raw && request.out == nullptr)
        return RequestProblem::rawWithoutOut;
    return RequestProblem::none;
}

} // namespace

const char* RefusalText(RequestProblem problem)
{
    switch (problem) {
    case RequestProblem::none: break;
    case RequestProblem::unknownOption: return "unknown option (try --help)";
    case RequestProblem::needsValue: return "needs a value";
    case RequestProblem::badValue: return "bad value";
    case RequestProblem::listWithTicks: return "--ms cannot be combined with --tick-ms or --frames";
    case RequestProblem::nothingToWrite: return "nothing to write: give --out DIR or --digest";
    case RequestProblem::rawWithoutOut: return "--raw needs --out DIR";
    }
    return "";
}

RequestResult ReadRenderRequest(int argc, const char* const* argv, RenderRequest& request, RequestRefusal& refusal)
{
    bool ticksGiven = false;
    for (int i = 1; i < argc; ++i) {
        const OptionEntry* option = FindOption(argv[i]);
        refusal = {RequestProblem::none, argv[i], nullptr};
        if (option == nullptr)
            refusal.problem = RequestProblem::unknownOption;
        else if (option->kind == OptionKind::help)
            return RequestResult::help;
        else if (option->takesValue && i + 1 >= argc)
            refusal.problem = RequestProblem::needsValue;
        else if (option->takesValue && !TakeValue(option->kind, refusal.value = argv[++i], request))
            refusal.problem = RequestProblem::badValue;
        if (refusal.problem != RequestProblem::none)
            return RequestResult::error;
        request.raw = request.raw || option->kind == OptionKind::raw;
        request.digest = request.digest || option->kind == OptionKind::digest;
        ticksGiven = ticksGiven || option->kind == OptionKind::tickMs || option->kind == OptionKind::frames;
    }
    refusal = {CheckCombination(request, ticksGiven), nullptr, nullptr};
    return refusal.problem == RequestProblem::none ? RequestResult::run : RequestResult::error;
}

FrameTimes StartFrameTimes(const RenderRequest& request)
{
    return {&request, 0, request.msList};
}

bool NextFrameTime(FrameTimes& times, uint32_t& elapsedMs)
{
    const RenderRequest& request = *times.request;
    if (request.msList != nullptr)
        return times.cursor != nullptr && ReadListedNumber(times.cursor, elapsedMs) && ++times.drawn != 0;
    if (times.drawn == request.frames)
        return false;
    // Frame i at i * tickMs, in 64 bits: the clock itself wraps modulo 2^32 as the system tick does.
    elapsedMs = static_cast<uint32_t>(uint64_t(++times.drawn) * request.tickMs);
    return true;
}

uint32_t RequestedFrameCount(const RenderRequest& request)
{
    return request.msList != nullptr ? CountListed(request.msList) : request.frames;
}
