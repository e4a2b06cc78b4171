// Reading the X11 saver's command line: every value is checked, nothing is guessed.
#include "x11/host_options.h"

#include <cstdio>
#include <cstring>

#include "host_rules/number_reading.h"

const char hostVersion[] = ORVELLE_X11_VERSION; // set by the build, which also names the package by it

const char hostUsage[] =
    "usage: orvelle [options]\n"
    "Orvelle's night scene for XScreenSaver: a 640x480 picture centred on black.\n"
    "\n"
    "  -window             draw in a window of its own (the default)\n"
    "  -root               draw on the root window, or on $XSCREENSAVER_WINDOW when it is set\n"
    "  -window-id ID       draw in the existing window ID (decimal or 0x hex)\n"
    "  --full-screen       a window over the whole screen that a key, a click or a mouse\n"
    "                      movement of more than 4 pixels ends\n"
    "  -display NAME       the X display to use (default $DISPLAY)\n"
    "  --help, --version   show this text, or the version\n"
    "\n"
    "  --tick-ms N         for tests: frame i is drawn at i*N ms of the show's clock\n"
    "  --frames K          for tests: the picture stays at frame K\n"
    "\n"
    "Options take one dash or two. Without -window-id, -window or --full-screen, $XSCREENSAVER_WINDOW\n"
    "names the window to draw in when it is set.\n";

namespace {

enum class OptionKind { placement, windowId, display, tickMs, frames, help, version };

struct OptionEntry {
    const char* name; // without its dashes
    OptionKind kind;
    Placement placement; // for OptionKind::placement
};

constexpr OptionEntry optionTable[] = {
    {"window", OptionKind::placement, Placement::ownWindow},
    {"root", OptionKind::placement, Placement::root},
    {"full-screen", OptionKind::placement, Placement::fullScreen},
    {"window-id", OptionKind::windowId, Placement::windowId},
    {"display", OptionKind::display, Placement::ownWindow},
    {"tick-ms", OptionKind::tickMs, Placement::ownWindow},
    {"frames", OptionKind::frames, Placement::ownWindow},
    {"help", OptionKind::help, Placement::ownWindow},
    {"version", OptionKind::version, Placement::ownWindow},
};

const OptionEntry* FindOption(const char* argument)
{
    if (argument[0] != '-')
        return nullptr;
    const char* name = argument[1] == '-' ? argument + 2 : argument + 1;
    for (const OptionEntry& entry : optionTable)
        if (std::strcmp(entry.name, name) == 0)
            return &entry;
    return nullptr;
}

} // namespace

OptionsResult ReadHostOptions(int argc, const char* const* argv, HostOptions& options, char* message, int messageSize)
{
    for (int i = 1; i < argc; ++i) {
        const OptionEntry* option = FindOption(argv[i]);
        if (option == nullptr) {
            std::snprintf(message, messageSize, "unknown option %s (see --help)", argv[i]);
            return OptionsResult::error;
        }
        if (option->kind == OptionKind::help)
            return OptionsResult::help;
        if (option->kind == OptionKind::version)
            return OptionsResult::version;
        if (option->kind == OptionKind::placement) {
            options.placement = option->placement;
            options.placementGiven = true;
            continue;
        }
        // The rest take a value.
        if (i + 1 >= argc) {
            std::snprintf(message, messageSize, "%s needs a value", argv[i]);
            return OptionsResult::error;
        }
        const char* value = argv[++i];
        bool valid = true;
        switch (option->kind) {
        case OptionKind::windowId:
            valid = ReadWindowId(value, options.windowId);
            options.placement = Placement::windowId;
            options.placementGiven = true;
            break;
        case OptionKind::display: options.displayName = value; break;
        case OptionKind::tickMs: valid = ReadUnsigned(value, 10, options.tickMs) && options.tickMs > 0; break;
        case OptionKind::frames: valid = ReadUnsigned(value, 10, options.frames) && options.frames > 0; break;
        default: break;
        }
        if (!valid) {
            std::snprintf(message, messageSize, "%s: '%s' is not a valid value", argv[i - 1], value);
            return OptionsResult::error;
        }
    }
    return OptionsResult::run;
}
