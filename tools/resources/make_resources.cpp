// orvelle-make-resources: draws the still (bitmap 103) and the icon images (group 102) from the show.
//
// Each picture is a moment of the show played off screen in the 8-bit colour-cube format, exactly as the
// saver draws it on an 8-bit display, then reduced by averaging square blocks of pixels and mapped to the
// nearest colour of the target palette. The output is fully determined by the show, so running the tool
// again writes the same bytes.
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "show/pixel_format.h"
#include "show/screen_geometry.h"
#include "show/show_host.h"
#include "tools/render/frame_writer.h"

namespace {

const char usage[] = "usage: orvelle-make-resources DIRECTORY [--png]\n"
                     "Writes DIRECTORY/show_still.bmp (bitmap 103) and DIRECTORY/orvelle.ico (icon group 102),\n"
                     "drawn from the Orvelle show; with --png also PNG views of them for inspection.\n";

constexpr uint32_t frameTickMs = 16; // the frames are played at 16 ms intervals, as in orvelle-render

// The still: frame 900 (14.4 seconds in), the ring wide open above the sea, reduced 4:1 to 160x120.
constexpr uint32_t stillFrame = 900;
constexpr int stillWidth = 160;
constexpr int stillHeight = 120;

// The icon: frame 1400 (22.4 seconds in), the ring drawn together into a small wheel; a square around the
// picture's centre, reduced to 32x32 and 16x16, with black made transparent.
constexpr uint32_t iconFrame = 1400;
constexpr int iconCropSize = 224;
constexpr int iconCropLeft = screenGeometry.centreX() - iconCropSize / 2;
constexpr int iconCropTop = screenGeometry.centreY() - iconCropSize / 2;

constexpr int32_t pixelsPerMetre = 2834; // 72 dots per inch

using PaletteTable = std::vector<Colour>;
using Picture = std::vector<Colour>; // rows top to bottom

// The show played once from its start, as the saver plays it on an 8-bit display, keeping the frames of
// the two moments as colour-cube colours (640x480, rows top to bottom). The scene is built once per
// process, so both moments come from this one run.
struct Moments {
    Picture still;
    Picture icon;
};

Picture FrameColours(const std::vector<uint8_t>& frame)
{
    Picture picture(frame.size());
    for (std::size_t i = 0; i < frame.size(); ++i)
        picture[i] = colourCubeFormat.unpack(frame[i]);
    return picture;
}

Moments CaptureMoments()
{
    std::vector<uint8_t> frame(std::size_t(screenGeometry.width) * screenGeometry.height);
    const int32_t pitch = screenGeometry.width;
    StartShow(colourCubeFormat, 0);
    Moments moments;
    const uint32_t lastFrame = stillFrame > iconFrame ? stillFrame : iconFrame;
    for (uint32_t number = 1; number <= lastFrame; ++number) {
        ClearShowFrame(frame.data(), pitch);
        DrawShowFrame(frame.data(), pitch, number * frameTickMs);
        if (number == stillFrame)
            moments.still = FrameColours(frame);
        if (number == iconFrame)
            moments.icon = FrameColours(frame);
    }
    return moments;
}

// The sums of a block's colours and how many pixels were summed.
struct BlockSum {
    uint32_t red, green, blue, count;
};

// Sums the block x block pixels whose top-left corner is (left, top); with litOnly, only those that are not
// black.
BlockSum SumBlock(const Picture& frame, int left, int top, int block, bool litOnly)
{
    BlockSum sum = {};
    for (int y = top; y < top + block; ++y)
        for (int x = left; x < left + block; ++x) {
            const Colour& pixel = frame[std::size_t(y) * screenGeometry.width + x];
            if (litOnly && pixel.red == 0 && pixel.green == 0 && pixel.blue == 0)
                continue;
            sum.red += pixel.red;
            sum.green += pixel.green;
            sum.blue += pixel.blue;
            ++sum.count;
        }
    return sum;
}

// The rounded mean colour of a sum of at least one pixel.
Colour RoundedMean(const BlockSum& sum)
{
    const uint32_t half = sum.count / 2;
    return {uint8_t((sum.red + half) / sum.count), uint8_t((sum.green + half) / sum.count),
            uint8_t((sum.blue + half) / sum.count)};
}

// The still's reduction: each 4x4 block of the frame becomes the rounded mean of its colours.
Picture ReduceStill(const Picture& frame)
{
    const int block = screenGeometry.width / stillWidth;
    Picture result(std::size_t(stillWidth) * stillHeight);
    for (int y = 0; y < stillHeight; ++y)
        for (int x = 0; x < stillWidth; ++x)
            result[std::size_t(y) * stillWidth + x] = RoundedMean(SumBlock(frame, x * block, y * block, block, false));
    return result;
}

// The icon's reduction: each block of the square around the picture's centre becomes the mean colour of
// its lit (not black) pixels, so that the thin, bright spokes keep their colour instead of fading into
// the night; a block with less than a third of its pixels lit stays black and becomes transparent.
Picture ReduceIcon(const Picture& frame, int size)
{
    const int block = iconCropSize / size;
    Picture result(std::size_t(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const BlockSum lit = SumBlock(frame, iconCropLeft + x * block, iconCropTop + y * block, block, true);
            if (lit.count * 3 >= uint32_t(block * block))
                result[std::size_t(y) * size + x] = RoundedMean(lit);
        }
    return result;
}

// The 3-3-2 colour cube the show uses on 8-bit displays.
PaletteTable ColourCube()
{
    PaletteTable palette(256);
    for (uint32_t i = 0; i < 256; ++i)
        palette[i] = colourCubeFormat.unpack(i);
    return palette;
}

// The sixteen colours of the standard VGA palette, the usual table of 4-bit icons.
PaletteTable SixteenColours()
{
    return {{0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
            {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
            {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
}

// The palette entry nearest to a colour in plain RGB distance; the first of equally near entries.
uint8_t NearestIndex(const PaletteTable& palette, Colour colour)
{
    uint32_t best = 0;
    uint32_t bestDistance = UINT32_MAX;
    for (uint32_t i = 0; i < palette.size(); ++i) {
        const int32_t dr = int32_t(colour.red) - palette[i].red;
        const int32_t dg = int32_t(colour.green) - palette[i].green;
        const int32_t db = int32_t(colour.blue) - palette[i].blue;
        const uint32_t distance = uint32_t(dr * dr + dg * dg + db * db);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return uint8_t(best);
}

std::vector<uint8_t> Quantize(const Picture& picture, const PaletteTable& palette)
{
    std::vector<uint8_t> indices(picture.size());
    for (std::size_t i = 0; i < picture.size(); ++i)
        indices[i] = NearestIndex(palette, picture[i]);
    return indices;
}

void Put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

uint32_t RowBytes(int width, int bitsPerPixel)
{
    return (uint32_t(width) * bitsPerPixel + 31) / 32 * 4;
}

// A BITMAPINFOHEADER followed by the palette as RGBQUADs (blue, green, red, 0).
void PutInfoHeader(std::vector<uint8_t>& out, int width, int height, int bitsPerPixel, uint32_t imageBytes,
                   int32_t resolution, const PaletteTable& palette)
{
    Put32(out, 40);
    Put32(out, uint32_t(width));
    Put32(out, uint32_t(height));
    Put16(out, 1);
    Put16(out, uint32_t(bitsPerPixel));
    Put32(out, 0); // BI_RGB
    Put32(out, imageBytes);
    Put32(out, uint32_t(resolution));
    Put32(out, uint32_t(resolution));
    Put32(out, uint32_t(palette.size()));
    Put32(out, uint32_t(palette.size()));
    for (const Colour& colour : palette) {
        out.push_back(colour.blue);
        out.push_back(colour.green);
        out.push_back(colour.red);
        out.push_back(0);
    }
}

// Pixel rows bottom-up, each padded to a multiple of four bytes, 1, 4 or 8 bits per pixel with the
// leftmost pixel in the most significant bits.
void PutRows(std::vector<uint8_t>& out, const std::vector<uint8_t>& indices, int width, int height, int bitsPerPixel)
{
    const uint32_t rowBytes = RowBytes(width, bitsPerPixel);
    const int perByte = 8 / bitsPerPixel;
    for (int y = height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(rowBytes, 0);
        for (int x = 0; x < width; ++x) {
            const int shift = 8 - bitsPerPixel * (x % perByte + 1);
            row[x / perByte] |= uint8_t((indices[std::size_t(y) * width + x] & ((1 << bitsPerPixel) - 1)) << shift);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
}

// The still as a .bmp file: file header, then exactly the bytes of the bitmap resource.
std::vector<uint8_t> MakeStillFile(const Picture& frame)
{
    const PaletteTable palette = ColourCube();
    const std::vector<uint8_t> indices = Quantize(ReduceStill(frame), palette);

    const uint32_t imageBytes = RowBytes(stillWidth, 8) * stillHeight;
    const uint32_t headerBytes = 14 + 40 + 4 * uint32_t(palette.size());
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, headerBytes + imageBytes);
    Put32(out, 0);
    Put32(out, headerBytes);
    PutInfoHeader(out, stillWidth, stillHeight, 8, imageBytes, pixelsPerMetre, palette);
    PutRows(out, indices, stillWidth, stillHeight, 8);
    return out;
}

struct IconImage {
    int size;         // width and height
    int bitsPerPixel; // 4 or 8
    std::vector<uint8_t> bytes;
};

// One icon image: the header (height doubled for the colour and the mask bitmaps), the palette, the colour
// bits, and the mask, which is set (transparent) where the picture is black.
IconImage MakeIconImage(const Picture& frame, int size, int bitsPerPixel)
{
    const PaletteTable palette = bitsPerPixel == 4 ? SixteenColours() : ColourCube();
    std::vector<uint8_t> colours = Quantize(ReduceIcon(frame, size), palette);
    std::vector<uint8_t> mask(colours.size());
    for (std::size_t i = 0; i < colours.size(); ++i)
        mask[i] = colours[i] == 0 ? 1 : 0;

    const uint32_t imageBytes = (RowBytes(size, bitsPerPixel) + RowBytes(size, 1)) * uint32_t(size);
    IconImage image{size, bitsPerPixel, {}};
    PutInfoHeader(image.bytes, size, size * 2, bitsPerPixel, imageBytes, 0, palette);
    PutRows(image.bytes, colours, size, size, bitsPerPixel);
    PutRows(image.bytes, mask, size, size, 1);
    return image;
}

// The .ico file: the directory of the three images, then the images in that order (the resource compiler
// numbers them 1, 2 and 3).
std::vector<uint8_t> MakeIconFile(const Picture& frame)
{
    const std::array<IconImage, 3> images{MakeIconImage(frame, 32, 4), MakeIconImage(frame, 32, 8),
                                          MakeIconImage(frame, 16, 4)};
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1); // icons
    Put16(out, uint32_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (const IconImage& image : images) {
        out.push_back(uint8_t(image.size));
        out.push_back(uint8_t(image.size));
        out.push_back(image.bitsPerPixel == 4 ? 16 : 0); // colour count, 0 for 256
        out.push_back(0);
        Put16(out, 1);
        Put16(out, uint32_t(image.bitsPerPixel));
        Put32(out, uint32_t(image.bytes.size()));
        Put32(out, offset);
        offset += uint32_t(image.bytes.size());
    }
    for (const IconImage& image : images)
        out.insert(out.end(), image.bytes.begin(), image.bytes.end());
    return out;
}

bool CannotWrite(const std::string& path)
{
    std::fprintf(stderr, "orvelle-make-resources: cannot write %s\n", path.c_str());
    return false;
}

bool WriteResource(const std::string& path, const std::vector<uint8_t>& bytes)
{
    return WriteFile(path, bytes.data(), bytes.size()) || CannotWrite(path);
}

// A PNG view of a picture, enlarged by an integer factor, for looking at the artwork.
bool WriteView(const std::string& path, const Picture& picture, int width, int height, int factor)
{
    Picture enlarged;
    for (int y = 0; y < height * factor; ++y)
        for (int x = 0; x < width * factor; ++x)
            enlarged.push_back(picture[std::size_t(y / factor) * width + x / factor]);
    return WritePng(path, uint32_t(width * factor), uint32_t(height * factor), enlarged.data()) || CannotWrite(path);
}

// Views of the still and the three icon images in their stored colours (icons on grey where transparent).
bool WriteViews(const std::string& directory, const Moments& moments)
{
    const PaletteTable cube = ColourCube();
    Picture still = ReduceStill(moments.still);
    for (Colour& pixel : still)
        pixel = cube[NearestIndex(cube, pixel)];
    if (!WriteView(directory + "/show_still.png", still, stillWidth, stillHeight, 2))
        return false;
    const int sizes[3] = {32, 32, 16};
    const int bits[3] = {4, 8, 4};
    for (int i = 0; i < 3; ++i) {
        const PaletteTable palette = bits[i] == 4 ? SixteenColours() : cube;
        Picture icon = ReduceIcon(moments.icon, sizes[i]);
        for (Colour& pixel : icon) {
            const uint8_t index = NearestIndex(palette, pixel);
            pixel = index == 0 ? Colour{96, 96, 96} : palette[index];
        }
        const std::string name = directory + "/icon-" + std::to_string(i + 1) + ".png";
        if (!WriteView(name, icon, sizes[i], sizes[i], 256 / sizes[i]))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const bool views = argc == 3 && std::string(argv[2]) == "--png";
    if (argc < 2 || argc > 3 || (argc == 3 && !views) || argv[1][0] == '-') {
        std::fputs(usage, stderr);
        return 2;
    }
    const std::string directory = argv[1];
    const Moments moments = CaptureMoments();
    if (!WriteResource(directory + "/show_still.bmp", MakeStillFile(moments.still)) ||
        !WriteResource(directory + "/orvelle.ico", MakeIconFile(moments.icon)))
        return 1;
    if (views && !WriteViews(directory, moments))
        return 1;
    return 0;
}
