// The frame clock shared by the frame pump and the render tool.
#include "show/frame_clock.h"

uint32_t startTick = 0;
float sceneTime = 0.0f;
float frameDelta = 0.0f;

void StartFrameClock(uint32_t tick)
{
    startTick = tick;
    sceneTime = 0.0f;
    frameDelta = 0.0f;
}

void AdvanceFrameClock(uint32_t elapsedMs)
{
    // 0.001f is 0.0010000000474974513: the single-precision constant, not 0.001, is the factor whose
    // products every sceneTime, frameDelta and so every golden frame is computed from.
    const double seconds = double(elapsedMs) * double(0.001f);
    frameDelta = static_cast<float>(seconds - double(sceneTime));
    sceneTime = static_cast<float>(seconds);
}
