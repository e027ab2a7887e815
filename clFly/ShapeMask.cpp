#include "clFly/ShapeMask.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace quillop {

std::vector<std::uint8_t> AlphaMask(std::span<const std::uint8_t> bgra, std::uint8_t minAlpha) {
    std::vector<std::uint8_t> bits(bgra.size() / 4);
    for (std::size_t i = 0; i < bits.size(); ++i) {
        bits[i] = bgra[i * 4 + 3] >= minAlpha;
    }
    return bits;
}

int VisibleBoxSide(int side) {
    // 72 % of the side, rounded up: 44 of 60, 87 of 120.
    return std::min(side, (side * 72 + 99) / 100);
}

TrimmedPicture CutToBox(std::span<const std::uint8_t> bgra, int width, int height, int box) {
    int left = width;
    int top = height;
    int right = -1;
    int bottom = -1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (bgra[(static_cast<std::size_t>(y) * width + x) * 4 + 3] != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    // The box's corner on one axis: centred on the visible span, kept within the picture.
    const auto place = [box](int first, int last, int size) {
        const int side = std::min(box, size);
        const int start = last < first ? (size - side) / 2 : (first + last + 1 - side) / 2;
        return std::clamp(start, 0, size - side);
    };
    TrimmedPicture cut{place(left, right, width),
                       place(top, bottom, height),
                       std::min(box, width),
                       std::min(box, height),
                       {}};
    const std::size_t rowBytes = static_cast<std::size_t>(cut.Width) * 4;
    cut.Bgra.reserve(rowBytes * cut.Height);
    for (int y = cut.Top; y < cut.Top + cut.Height; ++y) {
        const auto first = bgra.begin() + (static_cast<std::ptrdiff_t>(y) * width + cut.Left) * 4;
        cut.Bgra.insert(cut.Bgra.end(), first, first + static_cast<std::ptrdiff_t>(rowBytes));
    }
    return cut;
}

std::vector<std::uint8_t> PackBitmap(std::span<const std::uint8_t> bits, int width, int height,
                                     const BitmapLayout& layout) {
    const int unit = layout.ScanlineUnit;
    const int pad = layout.ScanlinePad;
    const int stride = (width + pad - 1) / pad * pad / 8;
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (bits[static_cast<std::size_t>(y) * width + x] == 0) {
                continue;
            }
            const int unitStart = x / unit * unit / 8;
            const int bit = layout.LsbBitFirst ? x % unit : unit - 1 - x % unit;
            const int byteInUnit = layout.LsbByteFirst ? bit / 8 : unit / 8 - 1 - bit / 8;
            rows[static_cast<std::size_t>(y) * stride + unitStart + byteInUnit] |=
                static_cast<std::uint8_t>(1u << (bit % 8));
        }
    }
    return rows;
}

void CoarsenCut(std::vector<std::uint8_t>& bits, int width, int height) {
    const auto row = [&](int y) { return bits.begin() + static_cast<std::ptrdiff_t>(y) * width; };
    const auto count = [](auto first, auto last) { return std::count(first, last, 1); };
    int y = 0;
    while (y < height) {
        std::vector<std::uint8_t> band(row(y), row(y) + width);
        long original = count(band.begin(), band.end());
        int end = y + 1;
        for (; end < height; ++end) {
            std::vector<std::uint8_t> joined(band);
            for (int x = 0; x < width; ++x) {
                joined[x] &= row(end)[x];
            }
            const long kept = count(joined.begin(), joined.end());
            const long withRow = original + count(row(end), row(end) + width);
            const int rows = end - y + 1;
            if ((kept == 0) != (original == 0) || withRow - kept * rows > rows) {
                break;
            }
            band = std::move(joined);
            original = withRow;
        }
        for (int r = y; r < end; ++r) {
            std::copy(band.begin(), band.end(), row(r));
        }
        y = end;
    }
}

bool NarrowBodyCut(std::vector<std::uint8_t>& cut, std::span<const std::uint8_t> solid, int width,
                   int height) {
    std::vector<std::uint8_t> bits(solid.begin(), solid.end());
    if (cut.size() == bits.size()) {
        for (std::size_t i = 0; i < bits.size(); ++i) {
            bits[i] = bits[i] & cut[i];
        }
    }
    CoarsenCut(bits, width, height);
    if (bits == cut) {
        return false;
    }
    cut = std::move(bits);
    return true;
}

}  // namespace quillop
