// Drawing listed sprite pixels on processors without a faster way of their own: one by one, as defined.
#include "show/listed_pixels.h"

void DrawListedFast(const PixelList& list, const ListedDraw& draw)
{
    DrawListedOneByOne(list, draw);
}
