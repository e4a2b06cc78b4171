// Black-box tests of orvelle, the X11 saver, on a private Xvfb server: the picture read back from the
// server equals orvelle-render's frame for the same time byte for byte, centred with black borders in
// windows of any size; it draws where it is told and ends cleanly when told to; failures say one line.
//
//   x11_host_tests ORVELLE ORVELLE-RENDER DEPTH [XVFB-OPTION...] [--gtest_filter=...]   (run by CTest)
//   scripts/two-monitor-run-here x11_host_tests ORVELLE ORVELLE-RENDER two-monitors --gtest_filter=...

// GoogleTest before Xlib, whose macros (None, Bool) would change its names.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int pictureWidth = 640;
constexpr int pictureHeight = 480;
constexpr int screenWidth = 1024;
constexpr int screenHeight = 768;
constexpr int waitSeconds = 60; // generous: the sanitizer build on a busy machine is slow
constexpr uint32_t tickMs = 40;
constexpr uint32_t frames = 30;

std::string orvellePath, renderPath, work;
bool twoMonitors = false;   // on the two-monitor server of scripts/two-monitor-run-here rather than Xvfb
Display* display = nullptr; // the test's own connection
pid_t xvfb = -1;            // the private X server

void Pause()
{
    usleep(50 * 1000);
}

// A program started by a test, with stdout and stderr in files; killed if the test leaves it running.
struct Program {
    pid_t pid = -1;
    int status = 0;
    std::string out, err;

    Program(const std::vector<std::string>& args, const char* saverWindow = nullptr, const char* stdoutPath = nullptr)
    {
        static int runs = 0;
        const std::string base = work + "/run" + std::to_string(++runs);
        out = stdoutPath != nullptr ? stdoutPath : base + ".out";
        err = base + ".err";
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        if (saverWindow != nullptr)
            setenv("XSCREENSAVER_WINDOW", saverWindow, 1);
        if (posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ) != 0)
            pid = -1;
        unsetenv("XSCREENSAVER_WINDOW");
        posix_spawn_file_actions_destroy(&files);
    }
    ~Program()
    {
        if (running()) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
    }
    bool running()
    {
        if (pid <= 0)
            return false;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            pid = -1;
        return done == 0;
    }
    // The exit code once it has ended, -1 if it did not end in time or died of a signal.
    int exitCode()
    {
        for (int i = 0; i < waitSeconds * 20 && running(); ++i)
            Pause();
        if (running())
            return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // The signal that ended it, 0 if it exited or did not end in time.
    int endSignal() { return exitCode() == -1 && !running() && WIFSIGNALED(status) ? WTERMSIG(status) : 0; }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string stdoutText() const { return Read(out); }
    std::string stderrText() const { return Read(err); }
};

std::string Hex(unsigned long id)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", id);
    return text;
}

// The show's pixel format as orvelle-render names it, for a visual; empty if the show has none for it.
std::string RenderFormat(const XVisualInfo& info, int bitsPerPixel)
{
    if (bitsPerPixel == 32 || bitsPerPixel == 24)
        return std::to_string(bitsPerPixel);
    if (bitsPerPixel == 16)
        return info.green_mask == 0x7E0 ? "565" : "555";
    return bitsPerPixel == 8 ? "8" : "";
}

int BitsPerPixel(int depth)
{
    int count = 0, bits = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
    for (int i = 0; i < count; ++i)
        if (formats[i].depth == depth)
            bits = formats[i].bits_per_pixel;
    XFree(formats);
    return bits;
}

// A rectangle of a window: the part the picture is centred in.
struct Box {
    int x, y, width, height;
};

// A picture as it should read back from a window of width x height: orvelle-render's frame, centred in the
// window or in the part of it given (the middle of the frame where that is smaller), the rest black.
// fillBits are set in every pixel.
struct Picture {
    int bytesPerPixel = 0;
    std::vector<uint8_t> frame; // 640x480, rows unpadded

    std::vector<uint8_t> inWindow(int width, int height, uint32_t fillBits, Box part = {}) const
    {
        if (part.width == 0)
            part = {0, 0, width, height};
        std::vector<uint8_t> pixels(std::size_t(width) * height * bytesPerPixel, 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                // Centring as the saver does it: halves round down.
                const int px = x - part.x, py = y - part.y, w = part.width, h = part.height;
                const int fx = w >= pictureWidth ? px - (w - pictureWidth) / 2 : px + (pictureWidth - w) / 2;
                const int fy = h >= pictureHeight ? py - (h - pictureHeight) / 2 : py + (pictureHeight - h) / 2;
                uint8_t* to = &pixels[(std::size_t(y) * width + x) * bytesPerPixel];
                if (px >= 0 && px < w && py >= 0 && py < h && fx >= 0 && fx < pictureWidth && fy >= 0 &&
                    fy < pictureHeight)
                    std::memcpy(to, &frame[(std::size_t(fy) * pictureWidth + fx) * bytesPerPixel], bytesPerPixel);
                for (int b = 0; b < bytesPerPixel; ++b)
                    to[b] |= uint8_t(fillBits >> (8 * b));
            }
        return pixels;
    }
};

// orvelle-render's frame `frames` at `tickMs` per frame, in the visual's format.
Picture RenderedPicture(const XVisualInfo& info)
{
    const int bits = BitsPerPixel(info.depth);
    const std::string format = RenderFormat(info, bits);
    const std::string out = work + "/frames-" + format;
    Program render({renderPath, "--format", format, "--tick-ms", std::to_string(tickMs), "--frames",
                    std::to_string(frames), "--raw", "--out", out});
    EXPECT_EQ(render.exitCode(), 0) << render.stderrText();
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%05u.raw", frames);
    const std::string raw = Program::Read(out + name);
    Picture picture;
    picture.bytesPerPixel = bits / 8;
    picture.frame.assign(raw.begin(), raw.end());
    EXPECT_EQ(picture.frame.size(), std::size_t(pictureWidth) * pictureHeight * picture.bytesPerPixel);
    return picture;
}

// The window's pixels as the server holds them, rows unpadded.
std::vector<uint8_t> ReadBack(Window window, int width, int height, int bytesPerPixel)
{
    std::vector<uint8_t> pixels;
    XImage* image = XGetImage(display, window, 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (image == nullptr)
        return pixels;
    pixels.resize(std::size_t(width) * height * bytesPerPixel);
    for (int y = 0; y < height; ++y)
        std::memcpy(&pixels[std::size_t(y) * width * bytesPerPixel],
                    image->data + std::size_t(y) * image->bytes_per_line, std::size_t(width) * bytesPerPixel);
    XDestroyImage(image);
    return pixels;
}

// Waits until the window shows the expected picture; on failure says how many pixels differ and where the
// first one is.
::testing::AssertionResult ShowsPicture(Window window, int width, int height, const Picture& picture,
                                        uint32_t fillBits = 0, Box part = {})
{
    const std::vector<uint8_t> expected = picture.inWindow(width, height, fillBits, part);
    const int bpp = picture.bytesPerPixel;
    std::vector<uint8_t> actual;
    for (int i = 0; i < waitSeconds * 10; ++i) {
        actual = ReadBack(window, width, height, bpp);
        if (actual == expected)
            return ::testing::AssertionSuccess();
        usleep(100 * 1000);
    }
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << "window " << Hex(window) << " could not be read back";
    std::size_t differing = 0, first = 0;
    for (std::size_t p = expected.size() / bpp; p-- > 0;)
        if (std::memcmp(&actual[p * bpp], &expected[p * bpp], bpp) != 0) {
            ++differing;
            first = p;
        }
    uint32_t got = 0, wanted = 0;
    std::memcpy(&got, &actual[first * bpp], bpp);
    std::memcpy(&wanted, &expected[first * bpp], bpp);
    return ::testing::AssertionFailure() << differing << " of " << width * height << " pixels differ in a " << width
                                         << "x" << height << " window; first at (" << first % width << ", "
                                         << first / width << "): 0x" << std::hex << got << ", expected 0x" << wanted;
}

// A window of the test's own, mapped, in a colour that is not black, so that borders must be painted.
Window TestWindow(int width, int height, const XVisualInfo& info)
{
    const Window root = DefaultRootWindow(display);
    XSetWindowAttributes attributes = {};
    attributes.colormap = XCreateColormap(display, root, info.visual, AllocNone);
    attributes.background_pixel = info.red_mask | info.blue_mask | 0x1;
    attributes.border_pixel = 0;
    attributes.override_redirect = True;
    const Window window =
        XCreateWindow(display, root, 0, 0, unsigned(width), unsigned(height), 0, info.depth, InputOutput, info.visual,
                      CWColormap | CWBackPixel | CWBorderPixel | CWOverrideRedirect, &attributes);
    XMapWindow(display, window);
    XSync(display, False);
    return window;
}

XVisualInfo DefaultVisualInfo()
{
    XVisualInfo wanted = {};
    wanted.visualid = XVisualIDFromVisual(DefaultVisual(display, DefaultScreen(display)));
    int count = 0;
    XVisualInfo* found = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
    const XVisualInfo info = *found;
    XFree(found);
    return info;
}

// orvelle's own top-level window (named Orvelle), once it is mapped.
Window FindOrvelleWindow()
{
    for (int i = 0; i < waitSeconds * 20; ++i) {
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        Window found = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
        for (unsigned c = 0; c < count && found == 0; ++c) {
            char* name = nullptr;
            if (XFetchName(display, children[c], &name) != 0 && name != nullptr) {
                if (std::strcmp(name, "Orvelle") == 0)
                    found = children[c];
                XFree(name);
            }
        }
        if (children != nullptr)
            XFree(children);
        if (found != 0)
            return found;
        Pause();
    }
    return 0;
}

std::vector<std::string> FixedClock(std::vector<std::string> args)
{
    args.insert(args.begin(), orvellePath);
    args.insert(args.end(), {"--tick-ms", std::to_string(tickMs), "--frames", std::to_string(frames)});
    return args;
}

void ExpectCleanEnd(Program& orvelle, const char* how)
{
    EXPECT_EQ(orvelle.exitCode(), 0) << how;
    EXPECT_EQ(orvelle.stderrText(), "") << how;
}

// Sent SIGTERM or SIGINT, it dies by that signal, saying nothing.
void ExpectEndBySignal(Program& orvelle, int signal)
{
    kill(orvelle.pid, signal);
    EXPECT_EQ(orvelle.endSignal(), signal) << "after " << strsignal(signal);
    EXPECT_EQ(orvelle.stderrText(), "") << "after " << strsignal(signal);
}

// In a window made by the test (-window-id), of the default visual and, where the server offers one, of a
// 32-bit visual with alpha: the exact frame, then the picture following the window's size (its middle when
// smaller), then a clean end when the window is destroyed.
TEST(X11Host, ExactFramesInAGivenWindowThatChangesSizeAndGoes)
{
    struct Case {
        const char* name;
        XVisualInfo info;
        bool resize;
    };
    std::vector<Case> cases = {{"default visual", DefaultVisualInfo(), true}};
    XVisualInfo argb;
    if (DefaultDepth(display, DefaultScreen(display)) == 24 &&
        XMatchVisualInfo(display, DefaultScreen(display), 32, TrueColor, &argb) != 0)
        cases.push_back({"32-bit visual", argb, false});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Picture picture = RenderedPicture(c.info);
        const uint32_t fillBits =
            c.info.depth == 32 ? ~uint32_t(c.info.red_mask | c.info.green_mask | c.info.blue_mask) : 0;
        const Window window = TestWindow(pictureWidth, pictureHeight, c.info);
        Program orvelle(FixedClock({"-window-id", Hex(window)}));
        EXPECT_TRUE(ShowsPicture(window, pictureWidth, pictureHeight, picture, fillBits));
        if (c.resize) {
            for (auto [width, height] : {std::pair{801, 603}, std::pair{321, 241}, std::pair{700, 300}}) {
                XResizeWindow(display, window, unsigned(width), unsigned(height));
                XSync(display, False);
                EXPECT_TRUE(ShowsPicture(window, width, height, picture));
            }
        }
        XDestroyWindow(display, window);
        XSync(display, False);
        ExpectCleanEnd(orvelle, "after its window was destroyed");
    }
}

// -root draws centred on the whole screen and ends on SIGTERM, even while the X server is stopped; with
// XSCREENSAVER_WINDOW set, -root (and no placement at all) means that window, and SIGINT ends it.
TEST(X11Host, RootAndXScreenSaverWindowEndOnSignals)
{
    const XVisualInfo info = DefaultVisualInfo();
    const Picture picture = RenderedPicture(info);
    {
        Program orvelle(FixedClock({"-root"}));
        EXPECT_TRUE(ShowsPicture(DefaultRootWindow(display), screenWidth, screenHeight, picture));
        ASSERT_GT(xvfb, 0) << "the test's own X server is needed, to stop it";
        kill(xvfb, SIGSTOP);
        ExpectEndBySignal(orvelle, SIGTERM);
        kill(xvfb, SIGCONT);
    }
    for (const bool root : {true, false}) {
        SCOPED_TRACE(root ? "-root" : "no placement");
        const Window window = TestWindow(pictureWidth, pictureHeight, info);
        Program orvelle(FixedClock(root ? std::vector<std::string>{"-root"} : std::vector<std::string>{}),
                        std::to_string(window).c_str());
        EXPECT_TRUE(ShowsPicture(window, pictureWidth, pictureHeight, picture));
        ExpectEndBySignal(orvelle, SIGINT);
        XDestroyWindow(display, window);
    }
}

// Killed while the server attaches its shared memory (a test library preloaded into orvelle, named by
// ORVELLE_KILL_AT_SHM_ATTACH, says which segment and kills it there), it leaves no segment behind.
TEST(X11Host, KilledAtTheSharedMemoryAttachLeavesNoSegment)
{
    const char* killer = std::getenv("ORVELLE_KILL_AT_SHM_ATTACH");
    int opcode, event, error;
    if (killer == nullptr || XQueryExtension(display, "MIT-SHM", &opcode, &event, &error) == 0)
        GTEST_SKIP() << "no kill-at-attach library, or a server without MIT-SHM";
    setenv("LD_PRELOAD", killer, 1);
    setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1); // the sanitizer's runtime is not loaded first
    Program orvelle({orvellePath, "-root"});
    unsetenv("LD_PRELOAD");
    unsetenv("ASAN_OPTIONS");
    ASSERT_EQ(orvelle.endSignal(), SIGKILL) << orvelle.stderrText();
    int segment = -1;
    ASSERT_EQ(std::sscanf(orvelle.stderrText().c_str(), "shmid %d", &segment), 1) << orvelle.stderrText();
    shmid_ds state;
    const bool left = shmctl(segment, IPC_STAT, &state) == 0;
    if (left)
        shmctl(segment, IPC_RMID, nullptr);
    EXPECT_FALSE(left) << "segment " << segment << " was left behind";
}

// A window of its own (the default), and full screen over everything: the pointer hidden, a movement of 4
// pixels or less (measured as |dx| + |dy|) keeps the show, one more pixel ends it.
TEST(X11Host, OwnWindowAndFullScreen)
{
    const Picture picture = RenderedPicture(DefaultVisualInfo());
    {
        Program orvelle(FixedClock({}));
        const Window window = FindOrvelleWindow();
        ASSERT_NE(window, 0u) << "no window named Orvelle appeared";
        EXPECT_TRUE(ShowsPicture(window, pictureWidth, pictureHeight, picture));
        ExpectEndBySignal(orvelle, SIGTERM);
    }
    const Window root = DefaultRootWindow(display);
    XWarpPointer(display, None, root, 0, 0, 0, 0, 100, 100);
    XSync(display, False);
    Program orvelle(FixedClock({"--full-screen"}));
    const Window window = FindOrvelleWindow();
    ASSERT_NE(window, 0u) << "no window named Orvelle appeared";
    EXPECT_TRUE(ShowsPicture(window, screenWidth, screenHeight, picture));
    XWarpPointer(display, None, root, 0, 0, 0, 0, 103, 101);
    XSync(display, False);
    usleep(500 * 1000); // a wrong end would come by now; a slow machine can only let a wrong end pass
    EXPECT_TRUE(orvelle.running()) << "a movement of 4 pixels ended the show";
    XWarpPointer(display, None, root, 0, 0, 0, 0, 103, 102);
    XSync(display, False);
    ExpectCleanEnd(orvelle, "after a movement of 5 pixels");
}

// Full screen, a key, any button and the wheel (buttons 4 to 7) end the show, pressed as a person would
// (xdotool, through the server's XTest).
TEST(X11Host, FullScreenEndsOnKeyButtonAndWheel)
{
    if (std::system("command -v xdotool >/dev/null") != 0)
        GTEST_SKIP() << "xdotool is not installed";
    for (const char* press : {"key x", "click 1", "click 3", "click 4", "click 7"}) {
        Program orvelle(FixedClock({"--full-screen"}));
        ASSERT_NE(FindOrvelleWindow(), 0u) << "no window named Orvelle appeared";
        EXPECT_EQ(std::system(("xdotool " + std::string(press)).c_str()), 0) << press;
        ExpectCleanEnd(orvelle, press);
    }
}

// Over two monitors in several layouts, the desktop red: full screen and on the root the exact frame centred
// on RandR's primary monitor and every other pixel black; a pointer movement on the other monitor ends the
// full-screen show.
TEST(X11Host, TwoMonitorsPictureOnThePrimaryRestBlack)
{
    if (!twoMonitors)
        GTEST_SKIP() << "needs the two-monitor X server (x11_host_tests ... two-monitors)";
    struct Layout {
        const char* name;
        Box primary, second;
    } layouts[] = {
        {"second left", {800, 0, 1024, 768}, {0, 0, 800, 600}},
        {"second right", {0, 0, 1024, 768}, {1024, 0, 800, 600}},
        {"second above", {0, 600, 1024, 768}, {0, 0, 800, 600}},
        {"second below, primary smaller", {0, 0, 800, 600}, {0, 600, 1024, 768}},
        {"equal, primary right", {1024, 0, 1024, 768}, {0, 0, 1024, 768}},
    };
    const XVisualInfo info = DefaultVisualInfo();
    const Picture picture = RenderedPicture(info);
    const Window root = DefaultRootWindow(display);
    for (const Layout& l : layouts) {
        SCOPED_TRACE(l.name);
        const int width = std::max(l.primary.x + l.primary.width, l.second.x + l.second.width);
        const int height = std::max(l.primary.y + l.primary.height, l.second.y + l.second.height);
        char command[256];
        std::snprintf(command, sizeof command,
                      "xrandr --output DUMMY0 --mode %dx%d --pos %dx%d --primary --output DUMMY1 --mode %dx%d "
                      "--pos %dx%d && xrandr --fb %dx%d",
                      l.primary.width, l.primary.height, l.primary.x, l.primary.y, l.second.width, l.second.height,
                      l.second.x, l.second.y, width, height);
        ASSERT_EQ(std::system(command), 0) << command;
        XSetWindowBackground(display, root, info.red_mask);
        XClearWindow(display, root);
        XWarpPointer(display, None, root, 0, 0, 0, 0, l.second.x + 100, l.second.y + 100);
        XSync(display, False);
        {
            Program orvelle(FixedClock({"-root"}));
            EXPECT_TRUE(ShowsPicture(root, width, height, picture, 0, l.primary)) << "-root";
            ExpectEndBySignal(orvelle, SIGTERM);
        }
        Program orvelle(FixedClock({"--full-screen"}));
        const Window window = FindOrvelleWindow();
        ASSERT_NE(window, 0u) << "no window named Orvelle appeared";
        EXPECT_TRUE(ShowsPicture(window, width, height, picture, 0, l.primary)) << "--full-screen";
        XWarpPointer(display, None, root, 0, 0, 0, 0, l.second.x + 103, l.second.y + 102);
        XSync(display, False);
        ExpectCleanEnd(orvelle, "after a movement of 5 pixels on the other monitor");
    }
}

// Bad command lines, displays, windows and visuals: a one-line message and a non-zero exit code; --help and
// --version answer on stdout.
TEST(X11Host, FailuresSayOneLine)
{
    XVisualInfo directColor;
    const bool hasDirectColor =
        XMatchVisualInfo(display, DefaultScreen(display), DefaultDepth(display, DefaultScreen(display)), DirectColor,
                         &directColor) != 0;
    const Window directWindow = hasDirectColor ? TestWindow(64, 64, directColor) : 0;
    struct Case {
        std::vector<std::string> args;
        const char* saverWindow;
        int exitCode;
        const char* says; // in the one line on stderr, or on stdout when the exit code is 0
    } cases[] = {
        {{"--bogus"}, nullptr, 2, "unknown option --bogus"},
        {{"-window-id"}, nullptr, 2, "needs a value"},
        {{"-window-id", "0x12z"}, nullptr, 2, "not a valid value"},
        {{"--tick-ms", "0"}, nullptr, 2, "not a valid value"},
        {{"-window-id", "0x3ffffff"}, nullptr, 1, "there is no window 0x3ffffff"},
        {{"-root"}, "window", 1, "XSCREENSAVER_WINDOW is not a window id"},
        {{"-display", ":9999"}, nullptr, 1, "cannot open display ':9999'"},
        {{"--help"}, nullptr, 0, "-window-id"},
        {{"-version"}, nullptr, 0, "orvelle " ORVELLE_VERSION},
    };
    // An answer that cannot be written is a failure, not silence.
    for (const char* option : {"--help", "--version"}) {
        Program orvelle({orvellePath, option}, nullptr, "/dev/full");
        EXPECT_EQ(orvelle.exitCode(), 1) << option << " to a full disk";
    }
    std::vector<Case> all(std::begin(cases), std::end(cases));
    if (hasDirectColor)
        all.push_back({{"-window-id", Hex(directWindow)}, nullptr, 1, "cannot draw on a DirectColor visual"});
    for (Case& c : all) {
        std::string line;
        for (const std::string& arg : c.args)
            line += arg + " ";
        SCOPED_TRACE(line);
        c.args.insert(c.args.begin(), orvellePath);
        Program orvelle(c.args, c.saverWindow);
        EXPECT_EQ(orvelle.exitCode(), c.exitCode);
        const std::string said = c.exitCode == 0 ? orvelle.stdoutText() : orvelle.stderrText();
        EXPECT_NE(said.find(c.says), std::string::npos) << said;
        if (c.exitCode != 0) {
            EXPECT_EQ(said.rfind("orvelle: ", 0), 0u) << said;
            EXPECT_EQ(said.find('\n'), said.size() - 1) << "not one line: " << said;
        }
    }
}

// The private X server: Xvfb at the depth asked for, its display number read from the descriptor it writes
// it to once it accepts connections. -noreset: a server that resets when its last client leaves may drop a
// client connecting at that moment (a saver started just as a checking client closes).
pid_t StartXvfb(const std::string& depth, const std::vector<std::string>& options)
{
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    std::vector<std::string> args = {
        "Xvfb",      "-displayfd", std::to_string(ready[1]),
        "-screen",   "0",          std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x" + depth,
        "-nolisten", "tcp",        "-noreset"};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addclose(&files, ready[0]);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, (work + "/xvfb.log").c_str(), O_WRONLY | O_CREAT, 0600);
    pid_t pid = -1;
    if (posix_spawnp(&pid, "Xvfb", &files, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&files);
    close(ready[1]);
    char number[16] = {};
    ssize_t length = 0;
    while (pid > 0 && length < ssize_t(sizeof number - 1)) {
        const ssize_t got = read(ready[0], number + length, sizeof number - 1 - length);
        if (got <= 0)
            break;
        length += got;
        if (std::strchr(number, '\n') != nullptr)
            break;
    }
    close(ready[0]);
    if (length == 0) {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        return -1;
    }
    setenv("DISPLAY", (":" + std::string(number, std::strcspn(number, "\n"))).c_str(), 1);
    return pid;
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: x11_host_tests ORVELLE ORVELLE-RENDER DEPTH [XVFB-OPTION...]\n");
        return 2;
    }
    orvellePath = argv[1];
    renderPath = argv[2];
    char workTemplate[] = "/tmp/orvelle-x11.XXXXXX";
    if (mkdtemp(workTemplate) == nullptr)
        return 1;
    work = workTemplate;
    unsetenv("XSCREENSAVER_WINDOW");
    // "two-monitors": the X server is already there, DISPLAY names it.
    twoMonitors = std::strcmp(argv[3], "two-monitors") == 0;
    xvfb = twoMonitors ? 0 : StartXvfb(argv[3], std::vector<std::string>(argv + 4, argv + argc));
    display = xvfb >= 0 ? XOpenDisplay(nullptr) : nullptr;
    if (display == nullptr) {
        std::fprintf(stderr, "x11_host_tests: Xvfb did not start: %s\n", Program::Read(work + "/xvfb.log").c_str());
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    XCloseDisplay(display);
    if (xvfb > 0) {
        kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
    }
    std::filesystem::remove_all(work);
    return result;
}
