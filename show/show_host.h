// The show's host interface: the calls through which a host plays the show. A host owns the screen (or the
// memory), the pixel format, the timer and the loop; the show owns its one scene, surface and clock, and
// draws. The DirectDraw saver, the render tool, the resource generator, the benchmark and the tests are
// hosts; a new host is a new caller of these three calls, not a new copy of the frame's steps.
//
// A frame is screenGeometry.width x screenGeometry.height pixels (show/screen_geometry.h) in the format the
// show was started in; its rows lie pitch bytes apart. The calls, in the order a host makes them:
//
//   StartShow       once, when the format of the frames is known and before the first frame: starts the
//                   frame clock at the host's tick, gives the surface its format and clip size, and builds
//                   the scene (which draws from the show's random sequence).
//   ClearShowFrame  before each frame, by a host without a colour fill of its own: fills the frame with
//                   pixelSurface.clearValue (black). A host with a colour fill, as DirectDraw's, fills with
//                   that value itself.
//   DrawShowFrame   for each frame, with the frame's buffer (for DirectDraw, the locked surface) and the
//                   milliseconds elapsed since the tick given to StartShow, formed modulo 2^32 (the tick is
//                   kept as startTick, show/frame_clock.h): advances the clock, steps the scene and draws it.
//
// The buffer is borrowed for the call only. Nothing is allocated and nothing can fail; a format whose pixel
// size is not 1 to 4 bytes draws nothing. These three signatures are kept stable for the hosts built on them.
#pragma once

#include <cstdint>

#include "show/pixel_format.h"

void StartShow(const PixelFormat& format, uint32_t tick);
void ClearShowFrame(uint8_t* pixels, int32_t pitch);
void DrawShowFrame(uint8_t* pixels, int32_t pitch, uint32_t elapsedMs);
