// The Linux hosts' front end: every value is checked, nothing is guessed.
#include "posix/front_end.h"

#include <cstdio>
#include <cstring>

#include "host_rules/number_reading.h"
#include "posix/host_process.h"
#include "show/show_host.h"

namespace {

enum class Common { display, tickMs, frames, help, version, none };

constexpr struct {
    const char* name; // without its dashes
    Common option;
} commonTable[] = {
    {"display", Common::display}, {"tick-ms", Common::tickMs},  {"frames", Common::frames},
    {"help", Common::help},       {"version", Common::version},
};

// The option's name without its one or two dashes; nullptr for an argument that is no option.
const char* OptionName(const char* argument)
{
    if (argument[0] != '-')
        return nullptr;
    return argument[1] == '-' ? argument + 2 : argument + 1;
}

Common FindCommon(const char* name)
{
    for (const auto& entry : commonTable)
        if (std::strcmp(entry.name, name) == 0)
            return entry.option;
    return Common::none;
}

int FindOwn(const HostOptionTable& own, const char* name)
{
    for (int i = 0; i < own.count; ++i)
        if (std::strcmp(own.options[i].name, name) == 0)
            return i;
    return -1;
}

// A count of the test clock: a decimal number from 1 to 2^32-1.
bool ReadCount(const char* value, uint32_t& count)
{
    return ReadUnsigned(value, 10, count) && count > 0;
}

bool TakeCommon(Common option, const char* value, CommonOptions& common)
{
    switch (option) {
    case Common::display: common.displayName = value; return true;
    case Common::tickMs: return ReadCount(value, common.tickMs);
    case Common::frames: return ReadCount(value, common.frames);
    default: return false;
    }
}

} // namespace

OptionsResult ReadOptions(int argc, const char* const* argv, const HostOptionTable& own, void* ownRecord,
                          CommonOptions& common, char* message, int messageSize)
{
    for (int i = 1; i < argc; ++i) {
        const char* name = OptionName(argv[i]);
        const Common option = name != nullptr ? FindCommon(name) : Common::none;
        const int ownOption = name != nullptr && option == Common::none ? FindOwn(own, name) : -1;
        if (option == Common::help || option == Common::version)
            return option == Common::help ? OptionsResult::help : OptionsResult::version;
        if (option == Common::none && ownOption < 0) {
            std::snprintf(message, messageSize, "unknown option %s (see --help)", argv[i]);
            return OptionsResult::error;
        }
        const bool takesValue = option != Common::none || own.options[ownOption].takesValue;
        if (takesValue && i + 1 >= argc) {
            std::snprintf(message, messageSize, "%s needs a value", argv[i]);
            return OptionsResult::error;
        }
        const char* value = takesValue ? argv[++i] : nullptr;
        const bool valid =
            option != Common::none ? TakeCommon(option, value, common) : own.take(ownRecord, ownOption, value);
        if (!valid) {
            std::snprintf(message, messageSize, "%s: '%s' is not a valid value", argv[i - 1], value);
            return OptionsResult::error;
        }
    }
    return OptionsResult::run;
}

int TakeCommandLine(int argc, const char* const* argv, const HostFrontEnd& host, void* ownRecord, CommonOptions& common)
{
    char text[4096];
    switch (ReadOptions(argc, argv, host.own, ownRecord, common, text, sizeof text)) {
    case OptionsResult::help:
        std::snprintf(text, sizeof text,
                      "usage: %s [options]\n%s\n%s"
                      "  --help, --version   show this text, or the version\n"
                      "\n"
                      "  --tick-ms N         for tests: frame i is drawn at i*N ms of the show's clock\n"
                      "  --frames K          for tests: the picture stays at frame K\n"
                      "\n%s",
                      host.program, host.summary, host.options, host.notes);
        return Answer(host.program, text);
    case OptionsResult::version:
        std::snprintf(text, sizeof text, "%s %s\n", host.program, host.version);
        return Answer(host.program, text);
    case OptionsResult::error: std::fprintf(stderr, "%s: %s\n", host.program, text); return 2;
    case OptionsResult::run: break;
    }
    return -1;
}

bool FrameHeld(const CommonOptions& clock, uint32_t frameNumber)
{
    return clock.frames != 0 && frameNumber >= clock.frames;
}

uint32_t FrameTick(const CommonOptions& clock, uint32_t frameNumber)
{
    return clock.tickMs != 0 ? frameNumber * clock.tickMs : ShowElapsedMs(MonotonicTick());
}
