// How orvelle-wayland sizes the buffer of a surface that covers an output, so that the picture lands 1:1 on
// the output's device pixels at any scale: the portable rule, apart from any Wayland call.
#pragma once

#include <cstdint>

#include "host_rules/picture_placement.h"

// What the compositor has said about an output and the surface covering it.
struct OutputScale {
    int32_t logicalWidth = 0; // the surface's configured size, in surface coordinates; 0: not said
    int32_t logicalHeight = 0;
    int32_t modeWidth = 0; // the output's current mode in device pixels, turned as the output is; 0: unknown
    int32_t modeHeight = 0;
    int32_t integerScale = 1;    // wl_output's scale (a compositor without fractional scaling rounds up)
    uint32_t preferredScale = 0; // fractional-scale-v1's scale in 120ths; 0: not offered
    bool hasViewporter = false;  // wp_viewporter is offered
};

// The buffer to attach and how it is shown.
struct SurfaceLayout {
    int32_t bufferWidth = 0; // device pixels; 0: nothing can be drawn yet
    int32_t bufferHeight = 0;
    int32_t bufferScale = 1;    // wl_surface.set_buffer_scale
    bool viewport = false;      // shown through a viewport whose destination is the logical size
    PicturePlacement picture{}; // the picture centred in the buffer
};

// The buffer for an output:
// - with a fractional scale from fractional-scale-v1 and a viewporter: the logical size times the scale,
//   rounded half up, shown through the viewport at the logical size;
// - a logical size that is the mode divided by the integer scale: the mode's size at that buffer scale;
// - otherwise, with a viewporter and a mode that lies between 1x and the integer scale times the logical size
//   (a fractional scale the compositor reports rounded up): the mode's size, shown through the viewport;
// - otherwise the logical size times the integer scale, at that buffer scale.
// A logical size that was not said is the mode divided by the integer scale.
SurfaceLayout LayOutSurface(const OutputScale& output);

// The logical size at an output's fractional scale (in 120ths): the device size rounded half up. The
// result is held to 32 bits.
int32_t ScaleToDevice(int32_t logical, uint32_t scale120);
