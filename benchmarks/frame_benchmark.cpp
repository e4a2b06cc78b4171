// The cost of one frame of the show (clear plus update and draw, mid-animation) in each display format,
// of its parts (stars, sea, ring), and of clearing a 640x480 32-bit frame with memset as the baseline.
#include <array>
#include <cstring>
#include <string>

#include <benchmark/benchmark.h>

#include "show/pixel_surface.h"
#include "show/random.h"
#include "show/scene.h"
#include "show/screen_geometry.h"
#include "show/show_host.h"

namespace {

constexpr std::size_t frameBytes = std::size_t(screenGeometry.width) * screenGeometry.height * 4;
alignas(64) std::array<uint8_t, frameBytes> frame;
int32_t framePitch = 0;

void DrawFrame(uint32_t ms)
{
    ClearShowFrame(frame.data(), framePitch);
    DrawShowFrame(frame.data(), framePitch, ms);
}

// The show, as at process start, set up in one of the five formats and played for 20 seconds at 60 frames a
// second, so the ring has breathed out and turned, the sea has moved and the stars have drifted.
void PlayTwentySeconds(const NamedPixelFormat& named, benchmark::State& state)
{
    randomState = 1;
    scene = Scene();
    framePitch = static_cast<int32_t>(screenGeometry.width * named.format->bytesPerPixel);
    StartShow(*named.format, 0);
    for (uint32_t ms = 16; ms <= 20000; ms += 16)
        DrawFrame(ms);
    state.SetLabel(std::string(named.name));
}

void Frame(benchmark::State& state)
{
    PlayTwentySeconds(namedPixelFormats[state.range(0)], state);
    uint32_t ms = 20000;
    for (auto _ : state) {
        DrawFrame(ms += 16);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(Frame)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

void Clear(benchmark::State& state)
{
    PlayTwentySeconds(namedPixelFormats[state.range(0)], state);
    for (auto _ : state) {
        ClearShowFrame(frame.data(), framePitch);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(Clear)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

void Stars(benchmark::State& state)
{
    PlayTwentySeconds(namedPixelFormats.back(), state);
    for (auto _ : state) {
        DrawDrifters();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(Stars)->Unit(benchmark::kMicrosecond);

void Sea(benchmark::State& state)
{
    PlayTwentySeconds(namedPixelFormats[state.range(0)], state);
    for (auto _ : state) {
        DrawSea();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(Sea)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

void Ring(benchmark::State& state)
{
    PlayTwentySeconds(namedPixelFormats[state.range(0)], state);
    for (auto _ : state) {
        DrawRing();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(Ring)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

void MemsetBaseline(benchmark::State& state)
{
    for (auto _ : state) {
        std::memset(frame.data(), 0, frameBytes);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(MemsetBaseline)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
