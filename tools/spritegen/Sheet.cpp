#include "Sheet.h"

#include "Sprites.h"

namespace spritegen {

namespace {

constexpr int kMargin = 16;
constexpr int kLabel = 14;  // room for the row and column numbers
constexpr int kGap = 4;
constexpr int kZoom = 3;

// The digits 0..9 in a 3 x 5 pixel font, one row of three bits per entry.
constexpr int kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 3, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 2, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

// Draws one digit with its top-left corner at (x, y), each font pixel 2 x 2.
void DrawDigit(Raster& r, int digit, int x, int y, const Color& c) {
    for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 3; ++col) {
            if ((kDigits[digit][row] >> (2 - col)) & 1) {
                for (int k = 0; k < 4; ++k) {
                    r.Over(x + col * 2 + k % 2, y + row * 2 + k / 2, c);
                }
            }
        }
    }
}

// Fills a rectangle with a straight colour.
void FillRect(Raster& r, int x, int y, int w, int h, const Color& c) {
    for (int j = y; j < y + h; ++j) {
        for (int i = x; i < x + w; ++i) {
            r.Over(i, j, c);
        }
    }
}

// One grid of all sprites at the given zoom with its numbers; returns its width.
int DrawGrid(Raster& r, const std::vector<Raster>& sprites, int zoom, int x0, int y0,
             const Color& cell, const Color& ink) {
    const int pitch = kSpriteSize * zoom + kGap * zoom;
    for (int f = 0; f < kFrames; ++f) {
        DrawDigit(r, f + 1, x0 + kLabel + f * pitch + kSpriteSize * zoom / 2 - 3, y0, ink);
    }
    for (int d = 0; d < kDirections; ++d) {
        const int y = y0 + kLabel + d * pitch;
        DrawDigit(r, d + 1, x0, y + kSpriteSize * zoom / 2 - 5, ink);
        for (int f = 0; f < kFrames; ++f) {
            const int x = x0 + kLabel + f * pitch;
            FillRect(r, x, y, kSpriteSize * zoom, kSpriteSize * zoom, cell);
            const Raster& s = sprites[d * kFrames + f];
            r.Composite(zoom == 1 ? s : s.Enlarged(zoom), x, y);
        }
    }
    return kLabel + kFrames * pitch;
}

}  // namespace

Raster ReviewSheet(const std::vector<Raster>& sprites) {
    const int small = kLabel + kFrames * (kSpriteSize + kGap);
    const int large = kLabel + kFrames * (kSpriteSize + kGap) * kZoom;
    const int panelW = kMargin * 3 + small + large;
    const int panelH = kMargin * 2 + kLabel + kDirections * (kSpriteSize + kGap) * kZoom;
    Raster sheet(panelW, panelH * 2);
    struct Panel {
        Color background, cell, ink;
    };
    const Panel panels[2] = {
        {Rgb(0xd8, 0xd4, 0xc8), Rgb(0xe2, 0xde, 0xd3), Rgb(0x50, 0x4c, 0x44)},
        {Rgb(0x30, 0x36, 0x40), Rgb(0x38, 0x3e, 0x49), Rgb(0xb0, 0xb4, 0xbc)},
    };
    for (int i = 0; i < 2; ++i) {
        const int top = i * panelH;
        FillRect(sheet, 0, top, panelW, panelH, panels[i].background);
        const int width =
            DrawGrid(sheet, sprites, 1, kMargin, top + kMargin, panels[i].cell, panels[i].ink);
        DrawGrid(sheet, sprites, kZoom, kMargin * 2 + width, top + kMargin, panels[i].cell,
                 panels[i].ink);
    }
    return sheet;
}

}  // namespace spritegen
