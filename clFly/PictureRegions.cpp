#include "clFly/PictureRegions.h"

#include <algorithm>
#include <cmath>

namespace quillop {

std::vector<Rect> VisibleRects(const Sprite& picture, int block) {
    block = std::max(block, 1);
    const int columns = (picture.Width + block - 1) / block;
    std::vector<Rect> rects;
    // The rectangles still open at the row of blocks above, which a run of this row may extend.
    std::vector<std::size_t> open;
    std::vector<bool> filled(static_cast<std::size_t>(columns));
    for (int top = 0; top < picture.Height; top += block) {
        const int bottom = std::min(top + block, picture.Height);
        std::fill(filled.begin(), filled.end(), false);
        for (int y = top; y < bottom; ++y) {
            const std::uint8_t* row =
                &picture.Pixels[static_cast<std::size_t>(y) * picture.Width * 4];
            for (int x = 0; x < picture.Width; ++x) {
                if (row[x * 4 + 3] > 0) {
                    filled[static_cast<std::size_t>(x / block)] = true;
                }
            }
        }
        std::vector<std::size_t> next;
        for (int column = 0; column < columns;) {
            if (!filled[static_cast<std::size_t>(column)]) {
                ++column;
                continue;
            }
            const int start = column;
            while (column < columns && filled[static_cast<std::size_t>(column)]) {
                ++column;
            }
            const Rect run{start * block, top,
                           std::min(column * block, picture.Width) - start * block, bottom - top};
            const auto same = std::find_if(open.begin(), open.end(), [&](std::size_t i) {
                return rects[i].Left == run.Left && rects[i].Width == run.Width;
            });
            if (same != open.end()) {
                rects[*same].Height += run.Height;
                next.push_back(*same);
            } else {
                rects.push_back(run);
                next.push_back(rects.size() - 1);
            }
        }
        open.swap(next);
    }
    return rects;
}

Rect LogicalCover(Rect device, double scale) {
    const int left = static_cast<int>(std::floor(device.Left / scale));
    const int top = static_cast<int>(std::floor(device.Top / scale));
    const int right = static_cast<int>(std::ceil((device.Left + device.Width) / scale));
    const int bottom = static_cast<int>(std::ceil((device.Top + device.Height) / scale));
    return {left, top, right - left, bottom - top};
}

Rect CellBounds(const std::vector<Rect>& visible, int cell) {
    if (visible.empty()) {
        return {};
    }
    int left = visible[0].Left, top = visible[0].Top;
    int right = left + visible[0].Width, bottom = top + visible[0].Height;
    for (const Rect& rect : visible) {
        left = std::min(left, rect.Left);
        top = std::min(top, rect.Top);
        right = std::max(right, rect.Left + rect.Width);
        bottom = std::max(bottom, rect.Top + rect.Height);
    }
    const auto down = [cell](int at) { return at / cell * cell; };
    const auto up = [cell](int at) { return (at + cell - 1) / cell * cell; };
    return {down(left), down(top), up(right) - down(left), up(bottom) - down(top)};
}

int LogicalGrid(double scale) {
    constexpr int kMaxGrid = 120;
    for (int grid = 1; grid < kMaxGrid; ++grid) {
        if (std::abs(grid * scale - std::round(grid * scale)) < 1e-6) {
            return grid;
        }
    }
    return kMaxGrid;
}

Point LogicalPlace(Point device, double scale) {
    const double cell = LogicalGrid(scale) * scale;
    const auto snap = [&](int at) {
        return LogicalGrid(scale) * static_cast<int>(std::lround(at / cell));
    };
    return {snap(device.Left), snap(device.Top)};
}

Rect WorkAreaOnOutput(const Rect& area, double factor, Point origin, Size size) {
    factor = factor > 0 ? factor : 1;
    const int left = std::max(0, static_cast<int>(std::ceil(area.Left / factor)) - origin.Left);
    const int top = std::max(0, static_cast<int>(std::ceil(area.Top / factor)) - origin.Top);
    const int right = std::min(
        size.Width, static_cast<int>(std::floor((area.Left + area.Width) / factor)) - origin.Left);
    const int bottom = std::min(
        size.Height, static_cast<int>(std::floor((area.Top + area.Height) / factor)) - origin.Top);
    if (right <= left || bottom <= top) {
        return {0, 0, size.Width, size.Height};
    }
    return {left, top, right - left, bottom - top};
}

}  // namespace quillop
