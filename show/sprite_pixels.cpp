// Drawing a bitmap sprite's set pixels: listed once per image, pivot and shading mode, then turned,
// coloured, clipped and stored at every draw.
#include "show/sprite_pixels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "show/bitmap_sprite.h"
#include "show/listed_pixels.h"
#include "show/pixel_surface.h"
#include "show/portable_math.h"

namespace {

// ForEachSetByte calls visit(bits, rx, ry) for every byte of the image with a set bit, with the column of
// its leftmost pixel and its row from the pivot; ForEachSetPixel calls visit(rx, ry) for every set bit, with
// its column and row from the pivot. Both in drawing order: last byte first, and within a byte the rightmost
// pixel first. Where two pixels land on one screen position the later one wins, so every way of drawing
// keeps this order.
template <typename Visit> void ForEachSetByte(const BitmapSprite& sprite, Visit&& visit)
{
    // The byte's row and its place in the row, stepped back with n rather than divided out for every byte.
    int32_t row = (sprite.imageSize - 1) / sprite.bytesPerRow;
    int32_t byteInRow = (sprite.imageSize - 1) % sprite.bytesPerRow;
    for (int32_t n = sprite.imageSize - 1; n >= 0; --n) {
        if (sprite.image[n] != 0)
            visit(sprite.image[n], 8 * int64_t(byteInRow) - sprite.pivotX, int64_t(row) - sprite.pivotY);
        if (byteInRow-- == 0) {
            byteInRow = sprite.bytesPerRow - 1;
            --row;
        }
    }
}

template <typename Visit> void ForEachSetPixel(const BitmapSprite& sprite, Visit&& visit)
{
    ForEachSetByte(sprite, [&](uint8_t bits, int64_t byteColumn, int64_t ry) {
        for (int k = 7; k >= 0; --k) {
            if ((bits & (0x80 >> k)) != 0)
                visit(byteColumn + k, ry);
        }
    });
}

// The low 8 bits of the shading term of a pixel rx columns and ry rows from the pivot.
uint8_t ShadingTerm(uint8_t mode, int64_t rx, int64_t ry)
{
    const int64_t ax = rx < 0 ? -rx : rx;
    const int64_t ay = ry < 0 ? -ry : ry;
    switch (mode) {
    case shadingHorizontal: return static_cast<uint8_t>(ax);
    case shadingVertical: return static_cast<uint8_t>(ay);
    case shadingRadial: return static_cast<uint8_t>(static_cast<int64_t>(std::sqrt(double(ax * ax + ay * ay))));
    default: return 0;
    }
}

} // namespace

bool HasListFor(const PixelList& list, const BitmapSprite& sprite)
{
    return list.imageSize == sprite.imageSize && list.bytesPerRow == sprite.bytesPerRow &&
           list.pivotX == sprite.pivotX && list.pivotY == sprite.pivotY && list.mode == sprite.shadingMode &&
           std::memcmp(list.image.data(), sprite.image, std::size_t(sprite.imageSize)) == 0;
}

namespace {

// What a list is gathered into as its pixels are found: held apart from the list, which every pixel stored
// into it could otherwise be taken to change.
struct ListWalk {
    int32_t count = 0;
    int32_t runCount = 0;
    int32_t left = INT16_MAX, right = INT16_MIN, top = INT16_MAX, bottom = INT16_MIN;
    uint32_t farthestSquared = 0;

    // Lists a pixel within 2^15 of the pivot either way; false when the list is full.
    bool add(PixelList& list, uint8_t mode, int32_t rx, int32_t ry)
    {
        if (count == listedPixels)
            return false;
        left = std::min(left, rx), right = std::max(right, rx), top = std::min(top, ry), bottom = std::max(bottom, ry);
        const PixelPlace place = {static_cast<int16_t>(rx), static_cast<int16_t>(ry)};
        if (count > 0 && place.ry == list.places[count - 1].ry && place.rx == list.places[count - 1].rx - 1)
            ++list.runLengths[runCount - 1]; // at most listedPixels, which uint16_t holds
        else
            list.runLengths[runCount++] = 1;
        list.places[count] = place;
        // Both within 2^15 in magnitude: the squared distance fits 32 bits unsigned.
        const uint32_t ax = static_cast<uint32_t>(rx < 0 ? -rx : rx), ay = static_cast<uint32_t>(ry < 0 ? -ry : ry);
        const uint32_t squared = ax * ax + ay * ay;
        // The radial term as ShadingTerm takes it, from the squared distance already at hand.
        list.terms[count] = mode == shadingRadial
                                ? static_cast<uint8_t>(static_cast<int64_t>(std::sqrt(double(squared))))
                                : ShadingTerm(mode, rx, ry);
        farthestSquared = std::max(farthestSquared, squared);
        ++count;
        return true;
    }
};

bool InPlaceRange(int64_t value)
{
    return value >= INT16_MIN && value <= INT16_MAX;
}

} // namespace

bool ListPixels(const BitmapSprite& sprite, PixelList& list)
{
    list.imageSize = 0;
    if (sprite.imageSize > listedImageBytes)
        return false;
    ListWalk walk;
    bool fits = true;
    ForEachSetByte(sprite, [&](uint8_t bits, int64_t byteColumn, int64_t ry) {
        // Checked pixel by pixel only in a byte that reaches past the range.
        const bool inside = InPlaceRange(byteColumn) && InPlaceRange(byteColumn + 7) && InPlaceRange(ry);
        for (uint32_t bit = 1, k = 7; bit < 0x100 && fits; bit <<= 1, --k) { // the rightmost pixel first
            if ((bits & bit) == 0)
                continue;
            fits = (inside || (InPlaceRange(byteColumn + k) && InPlaceRange(ry))) &&
                   walk.add(list, sprite.shadingMode, static_cast<int32_t>(byteColumn + k), static_cast<int32_t>(ry));
        }
    });
    if (!fits)
        return false;
    list.count = walk.count;
    list.runCount = walk.runCount;
    list.farthestSquared = walk.farthestSquared;
    const bool any = walk.count > 0;
    list.left = static_cast<int16_t>(any ? walk.left : 0), list.right = static_cast<int16_t>(any ? walk.right : 0);
    list.top = static_cast<int16_t>(any ? walk.top : 0), list.bottom = static_cast<int16_t>(any ? walk.bottom : 0);
    list.bytesPerRow = sprite.bytesPerRow;
    list.pivotX = sprite.pivotX;
    list.pivotY = sprite.pivotY;
    list.mode = sprite.shadingMode;
    std::memcpy(list.image.data(), sprite.image, std::size_t(sprite.imageSize));
    list.imageSize = sprite.imageSize;
    return true;
}

namespace {

// A palette packed for a format, twice over, so that entry (offset + term) mod 256 of the palette is entry
// term of the packed one read from offset on.
struct PackedColours {
    bool packed;
    PixelFormat format;
    Palette palette;
    std::array<uint32_t, 512> colours;
};

bool IsPackedFor(const PackedColours& packed, const Palette& palette, const PixelFormat& format)
{
    return packed.packed && std::memcmp(&packed.format, &format, sizeof format) == 0 &&
           std::memcmp(packed.palette.data(), palette.data(), sizeof palette) == 0;
}

void PackColours(const Palette& palette, const PixelFormat& format, PackedColours& packed)
{
    const PackedPalette once = PackPalette(format, palette);
    std::copy(once.begin(), once.end(), packed.colours.begin());
    std::copy(once.begin(), once.end(), packed.colours.begin() + once.size());
    packed.format = format;
    packed.palette = palette;
    packed.packed = true;
}

// The entries of the last two different keys used, for the two sprites a frame draws in turn (the stars,
// then the ring): findOrFill gives the one that matches, or else fills the one used less recently afresh
// (null when it cannot be).
template <typename Entry> struct LastTwoUsed {
    std::array<Entry, 2> entries;
    int lastUsed = 0;

    template <typename Matches, typename Fill> const Entry* findOrFill(Matches&& matches, Fill&& fill)
    {
        for (int k = 0; k < 2; ++k) {
            if (matches(entries[k])) {
                lastUsed = k;
                return &entries[k];
            }
        }
        lastUsed = 1 - lastUsed;
        return fill(entries[lastUsed]) ? &entries[lastUsed] : nullptr;
    }
};
// The ring's eighteen spokes share one list, and the nine stars are one sprite; finding the pixels costs
// about what drawing them does.
LastTwoUsed<PixelList> pixelLists;
LastTwoUsed<PackedColours> packedPalettes;

// Whether every listed pixel, turned by any angle about the pivot on (x, y), lands inside the clip size.
// A turned pixel lies no farther from the pivot than in the image (c and s are a unit vector up to
// single-precision rounding); two pixels of margin cover that rounding and the truncation.
bool FitsInside(const PixelList& list, const ListedDraw& d)
{
    const int64_t radius = static_cast<int64_t>(std::sqrt(double(list.farthestSquared))) + 2;
    return d.x - radius >= 0 && d.x + radius < int64_t(d.clipWidth) && d.y - radius >= 0 &&
           d.y + radius < int64_t(d.clipHeight);
}

// The formula pixel by pixel, for images too large to list: every set bit through the plot. Positions in
// 64 bits, so that no pivot or pixel far out can wrap around onto the surface.
void DrawBitByBit(const BitmapSprite& sprite, PixelSurface& surface, double sine, double cosine, int32_t x, int32_t y)
{
    ForEachSetPixel(sprite, [&](int64_t rx, int64_t ry) {
        const double across = double(rx) * cosine - double(ry) * sine;
        const double down = double(rx) * sine + double(ry) * cosine;
        if (!(std::fabs(across) < 4.0e9 && std::fabs(down) < 4.0e9)) // far off any surface, or not a number
            return;
        const int64_t sx = x + static_cast<int64_t>(across), sy = y + static_cast<int64_t>(down);
        if (sx < 0 || sx >= int64_t(surface.clipWidth) || sy < 0 || sy >= int64_t(surface.clipHeight))
            return;
        const Colour colour = sprite.palette[(sprite.colourOffset + ShadingTerm(sprite.shadingMode, rx, ry)) & 0xFF];
        surface.plot(static_cast<int32_t>(sx), static_cast<int32_t>(sy), colour.red, colour.green, colour.blue);
    });
}

} // namespace

ListedDraw SetupListedDraw(const PixelList& list, double sine, double cosine, int32_t x, int32_t y,
                           const uint32_t* colours)
{
    const PixelSurface& surface = pixelSurface;
    ListedDraw draw;
    draw.pixels = surface.pixels;
    draw.pitch = surface.pitch;
    draw.bytesPerPixel = surface.bytesPerPixel;
    draw.clipWidth = surface.clipWidth;
    draw.clipHeight = surface.clipHeight;
    draw.x = x;
    draw.y = y;
    draw.sine = sine;
    draw.cosine = cosine;
    draw.colours = colours;
    draw.clip = !FitsInside(list, draw);
    return draw;
}

void DrawListedOneByOne(const PixelList& list, const ListedDraw& draw)
{
    WithListedDrawKind(draw, [&](auto size, auto clip) {
        DrawOneByOne<size(), clip()>(list, 0, draw, [](double value) { return TruncateToInt32(value); });
    });
}

void DrawSpritePixels(const BitmapSprite& sprite, double sine, double cosine, int32_t x, int32_t y)
{
    if (sprite.imageSize <= 0 || sprite.bytesPerRow <= 0 || sprite.image == nullptr)
        return;
    const PixelList* list = pixelLists.findOrFill([&](const PixelList& kept) { return HasListFor(kept, sprite); },
                                                  [&](PixelList& kept) { return ListPixels(sprite, kept); });
    if (list == nullptr) {
        DrawBitByBit(sprite, pixelSurface, sine, cosine, x, y);
        return;
    }
    const PackedColours* packed = packedPalettes.findOrFill(
        [&](const PackedColours& kept) { return IsPackedFor(kept, sprite.palette, pixelSurface); },
        [&](PackedColours& kept) {
            PackColours(sprite.palette, pixelSurface, kept);
            return true;
        });
    DrawListedFast(*list, SetupListedDraw(*list, sine, cosine, x, y, packed->colours.data() + sprite.colourOffset));
}
