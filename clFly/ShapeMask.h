// The 1-bit masks that shape the fly windows, made from the sprites' alpha and packed the way
// the X server takes bitmaps.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace quillop {

// How the server lays out the rows of a bitmap (from its connection setup).
struct BitmapLayout {
    // Bits in a scanline unit (8, 16 or 32), and the multiple of bits each row is padded to.
    int ScanlineUnit = 32;
    int ScanlinePad = 32;
    // The first pixel is the lowest bit of its unit / the unit's lowest byte comes first.
    bool LsbBitFirst = true;
    bool LsbByteFirst = true;
};

// One byte a pixel, 1 where the alpha of premultiplied blue-green-red-alpha pixels is at least
// `minAlpha`, else 0.
std::vector<std::uint8_t> AlphaMask(std::span<const std::uint8_t> bgra, std::uint8_t minAlpha);

// A piece cut out of a picture, and where it stood in the whole picture.
struct TrimmedPicture {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Bgra;
};

// The side of the square that holds the visible pixels of every fly picture of the given side
// (the fly's legs and shadow reach at most 42 of its 60 pixels, at every scale).
int VisibleBoxSide(int side);

// A `box` x `box` square of a premultiplied blue-green-red-alpha picture (at most its size),
// centred on the pixels with alpha > 0 as far as the picture's edges allow, cut out of it.
TrimmedPicture CutToBox(std::span<const std::uint8_t> bgra, int width, int height, int box);

// Packs a mask (one byte a pixel, 0 or 1, row after row) into bitmap rows of the layout.
std::vector<std::uint8_t> PackBitmap(std::span<const std::uint8_t> bits, int width, int height,
                                     const BitmapLayout& layout);

// Makes runs of neighbouring rows of a mask (one byte a pixel, 0 or 1) alike wherever that
// takes away at most one pixel a row on average, so that the server keeps the mask as fewer
// rectangles. Never adds a pixel.
void CoarsenCut(std::vector<std::uint8_t>& bits, int width, int height);

// Narrows the body cut of a heading (empty before its first picture) to the solid pixels of one
// more of its pictures, coarsened; true when the cut changed. The legs move from picture to
// picture and the body does not, so a fly cut to its body keeps one shape for a whole run.
bool NarrowBodyCut(std::vector<std::uint8_t>& cut, std::span<const std::uint8_t> solid, int width,
                   int height);

}  // namespace quillop
