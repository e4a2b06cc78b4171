// Units of the show: angles in degrees, converted to radians by one fixed factor.
#pragma once

// Degrees to radians: this decimal, not the exact pi/180 (which is 0.017453292519943...). Every turned
// sprite position and every sine table entry, and so the golden frames and the frames of every build, are
// computed with it; the exact value would move pixels.
inline constexpr double degreesToRadians = 0.0174532925;
