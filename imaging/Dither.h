#pragma once

#include <cstdint>

#include "imaging/Picture.h"

namespace velmar {

// Grayscale, threshold and dithering. Each changes the picture in place.
// The gray values: average (R + G + B) div 3 for MakeGrayScale and
// MakeBinary; (76 R + 151 G + 29 B) shr 8 for DitherFloydSteinberg;
// (76 R + 150 G + 30 B) shr 8 for the matrix dithers and DitherFSMatrix4x4.

// Threshold tables: pixel (x, y) uses row y mod n, column x mod n.
inline constexpr int Matrix2x2[2][2] = {{32, 160}, {222, 96}};
inline constexpr int Matrix3x3[3][3] = {{198, 255, 141}, {56, 28, 113}, {170, 85, 226}};
inline constexpr int Matrix4x4[4][4] = {
    {15, 143, 47, 175}, {207, 79, 239, 111}, {63, 191, 31, 159}, {255, 127, 223, 95}};

// Every pixel becomes its average gray.
void MakeGrayScale(Picture& picture);

// Error diffusion to black and white at 128, every row left to right.
void DitherFloydSteinberg(Picture& picture);

// Ordered dithers: white where the gray reaches the table entry.
void DitherMatrix2x2(Picture& picture);
void DitherMatrix3x3(Picture& picture);
void DitherMatrix4x4(Picture& picture);

// Error diffusion as DitherFloydSteinberg, thresholded by Matrix4x4.
void DitherFSMatrix4x4(Picture& picture);

// Black below Level, white above it; a pixel exactly at Level is black for
// Mode 1 and white for any other Mode.
void MakeBinary(std::uint8_t Level, std::uint8_t Mode, Picture& picture);

// Serpentine error diffusion of each channel by itself into levels: the
// value with its collected error is clamped to Min..Max and masked with
// Dither * 16.
void DitherLevels(Picture& picture, int Min, int Max, int Dither);

}  // namespace velmar
