// The drifting star's image.
#include "show/bit_image.h"
#include "show/images.h"

namespace {

// clang-format off
constexpr const char* drifterRows[drifterImageHeight] = {
    "........#.......",
    "................",
    "........#.......",
    "....#.......#...",
    "........#.......",
    "......###.#.....",
    ".......#####....",
    "#.#.########.#.#",
    ".....######.....",
    ".......####.....",
    ".....#.##..#....",
    "........#.......",
    "...#.........#..",
    "........#.......",
    "................",
    "........#.......",
};
// clang-format on

} // namespace

// The trailing 0x80 is part of the star: a lone pixel under its lower ray, drawn as a seventeenth row (the
// draw walks every image byte), which the golden frames hold.
constexpr std::array<uint8_t, 33> drifterImage =
    bit_image::Pack<drifterImageWidth, drifterImageHeight>(drifterRows, 0x80);
