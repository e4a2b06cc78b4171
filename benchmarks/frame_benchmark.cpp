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
#include "tools/render/headless_show.h"

namespace {

constexpr std::size_t frameBytes = std::size_t(screenGeometry.width) * screenGeometry.height * 4;
alignas(64) std::array<uint8_t, frameBytes> frame;

// The show set up in a format and played for 20 seconds at 60 frames a second, so the ring has breathed
// out and turned, the sea has moved and the stars have drifted.
void StartShow(const PixelFormat& format)
{
    randomState = 1;
    scene = Scene();
    AttachHeadlessFrame(format, frame.data());
    StartHeadlessShow();
    for (uint32_t ms = 16; ms <= 20000; ms += 16)
        DrawHeadlessFrame(ms);
}

void Frame(benchmark::State& state)
{
    StartShow(pixelFormats[state.range(0)]);
    uint32_t ms = 20000;
    for (auto _ : state) {
        DrawHeadlessFrame(ms += 16);
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::string(pixelFormats[state.range(0)].name));
}
BENCHMARK(Frame)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

void Clear(benchmark::State& state)
{
    StartShow(pixelFormats[state.range(0)]);
    for (auto _ : state) {
        pixelSurface.fill(pixelSurface.clearValue);
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::string(pixelFormats[state.range(0)].name));
}
BENCHMARK(Clear)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

void Stars(benchmark::State& state)
{
    StartShow(pixelFormats[4]);
    for (auto _ : state) {
        for (int i = 0; i < drifterCount; ++i)
            scene.drifterSprite.draw(0.016f, scene.drifterX[i], scene.drifterY[i]);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(Stars)->Unit(benchmark::kMicrosecond);

void Sea(benchmark::State& state)
{
    StartShow(pixelFormats[state.range(0)]);
    for (auto _ : state) {
        scene.seaField.draw(320, 400);
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::string(pixelFormats[state.range(0)].name));
}
BENCHMARK(Sea)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

void Ring(benchmark::State& state)
{
    StartShow(pixelFormats[state.range(0)]);
    for (auto _ : state) {
        for (int k = 0; k < ringSpokeCount; ++k) {
            int32_t x, y;
            RingSpokePlacement(k, scene.ringRadius, x, y);
            scene.ringSprites[k].draw(0.016f, x, y);
        }
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::string(pixelFormats[state.range(0)].name));
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
