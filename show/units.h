// Units of the show: angles in degrees, converted to radians by one fixed factor.
#pragma once

// Degrees to radians. This is the decimal the show has always used, not the exact pi/180 (which is
// 0.017453292519943...); the rotated positions and the sine tables depend on it, so it must not be "fixed".
inline constexpr double degreesToRadians = 0.0174532925;
