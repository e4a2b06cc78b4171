// The frame clock: milliseconds of the system tick turned into the show's time in seconds.
#pragma once

#include <cstdint>

extern uint32_t startTick; // system tick (milliseconds) when the show started; frames are timed from it
extern float sceneTime;    // seconds from startTick to the latest frame
extern float frameDelta;   // seconds between the latest two frames; the first frame's equals its sceneTime

// Starts the clock at the given system tick: both times become 0.
void StartFrameClock(uint32_t tick);

// Advances the clock to a frame drawn elapsedMs milliseconds after startTick (the caller forms the
// difference modulo 2^32, so a wrap of the system tick does not disturb it). The time is the elapsed count
// times the single-precision 0.001, multiplied in double; frameDelta is taken from the stored, rounded
// previous sceneTime.
void AdvanceFrameClock(uint32_t elapsedMs);
