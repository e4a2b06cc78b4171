// Drawing listed sprite pixels on the x87 (32-bit builds without SSE): in integers where they are exact
// (show/sprite_pixels_integer.cpp), which is every draw but those turned within about a tenth of a degree of
// an axis; those few by the definition.
#include "show/listed_pixels.h"

#if !defined(__i386__) || defined(__SSE2_MATH__)
#error "sprite_pixels_x87.cpp is for 32-bit x86 builds that compute doubles on the x87"
#endif

void DrawListedFast(const PixelList& list, const ListedDraw& draw)
{
    if (!DrawListedInIntegers(list, draw))
        DrawListedOneByOne(list, draw);
}
