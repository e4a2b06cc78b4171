// The show's host interface: the calls through which a host plays the show. A host owns the screen (or the
// memory), the pixel format, the timer and the loop; the show owns its one scene, surface and clock, and
// draws. What a host needs from the show comes through these calls: the frame clock is the show's own, and a
// host times its frames by asking how long after the start a tick of its own is (ShowElapsedMs), keeping no
// copy of the start. The hosts are the DirectDraw saver (windows/display/), the X11 saver
// (x11/), the web page (web/), the render tool (tools/render), the resource generator (tools/resources), the
// frame benchmark and the tests; a new host is a new caller of these calls, not a new copy of the frame's steps.
//
// A frame is screenGeometry.width x screenGeometry.height pixels (show/screen_geometry.h) in the format the
// show was started in, fill bits included; its rows lie pitch bytes apart. The calls, in the order a host
// makes them:
//
//   StartShow       once, when the format of the frames is known and before the first frame: starts the
//                   frame clock at the host's tick, gives the surface its format and clip size, and builds
//                   the scene (which draws from the show's random sequence).
//   ShowClearValue  the packed value each frame starts from: black, with the format's fill bits. A host
//                   with a colour fill of its own, as DirectDraw's, fills each frame with it.
//   ClearShowFrame  before each frame, by a host without a colour fill of its own: fills the frame with
//                   ShowClearValue().
//   ShowElapsedMs   the milliseconds from the tick the host gave StartShow to a later tick of the same
//                   clock, modulo 2^32, so that a wrap of the host's tick between them does not disturb it.
//   DrawShowFrame   for each frame, with the frame's buffer (for DirectDraw, the locked surface) and the
//                   milliseconds elapsed since the start (ShowElapsedMs of the host's tick now; a test clock
//                   gives its own count): advances the clock, steps the scene and draws it.
//
// The buffer is borrowed for the call only. Nothing is allocated and nothing can fail; a format whose pixel
// size is not 1 to 4 bytes draws nothing. These signatures are kept stable for the hosts built on them.
#pragma once

#include <cstdint>

#include "show/pixel_format.h"

void StartShow(const PixelFormat& format, uint32_t tick);
uint32_t ShowClearValue();
void ClearShowFrame(uint8_t* pixels, int32_t pitch);
uint32_t ShowElapsedMs(uint32_t tick);
void DrawShowFrame(uint8_t* pixels, int32_t pitch, uint32_t elapsedMs);
