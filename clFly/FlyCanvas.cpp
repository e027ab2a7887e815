#include "clFly/FlyCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace quillop {

namespace {

// More separate rectangles than this are drawn as the one that bounds them.
constexpr std::size_t kMaxDamage = 1024;

bool Empty(const Rect& rect) {
    return rect.Width <= 0 || rect.Height <= 0;
}

// The smallest rectangle that holds a picture's visible pixels (alpha > 0).
Rect VisibleBounds(const Sprite& picture) {
    int left = picture.Width, top = picture.Height, right = 0, bottom = 0;
    for (int y = 0; y < picture.Height; ++y) {
        const std::uint8_t* row = &picture.Pixels[static_cast<std::size_t>(y) * picture.Width * 4];
        for (int x = 0; x < picture.Width; ++x) {
            if (row[x * 4 + 3] > 0) {
                left = std::min(left, x);
                right = std::max(right, x + 1);
                top = std::min(top, y);
                bottom = y + 1;
            }
        }
    }
    return right > left ? Rect{left, top, right - left, bottom - top} : Rect{};
}

}  // namespace

Rect FlyCanvas::ShownAt(Point at, const Sprite* picture) {
    if (picture == nullptr) {
        return {};
    }
    // NOTE: a fly's picture is mostly transparent (its legs and shadow reach 42 of its 60
    // pixels); what the compositor redraws is what changed, so only the visible part counts.
    auto [found, made] = visible_.try_emplace(picture);
    if (made) {
        found->second = VisibleBounds(*picture);
    }
    const Rect& shown = found->second;
    return Intersection({at.Left + shown.Left, at.Top + shown.Top, shown.Width, shown.Height},
                        Bounds());
}

Rect FlyCanvas::Bounds() const {
    const Rect all{0, 0, size_.Width, size_.Height};
    return clip_ ? Intersection(*clip_, all) : all;
}

void FlyCanvas::SetClip(std::optional<Rect> clip) {
    if (clip != clip_) {
        clip_ = clip;
        Damage({0, 0, size_.Width, size_.Height});
    }
}

void FlyCanvas::Resize(Size size) {
    size_ = {std::max(size.Width, 0), std::max(size.Height, 0)};
    pixels_.assign(static_cast<std::size_t>(size_.Width) * size_.Height * 4, 0);
    damage_.clear();
    Damage({0, 0, size_.Width, size_.Height});
}

void FlyCanvas::Set(std::uint32_t id, Point at, const Sprite* picture) {
    const auto found = items_.find(id);
    if (found != items_.end()) {
        if (found->second.At == at && found->second.Picture == picture) {
            return;
        }
        Damage(ShownAt(found->second.At, found->second.Picture));
    }
    if (picture == nullptr) {
        if (found != items_.end()) {
            items_.erase(found);
        }
        return;
    }
    items_[id] = Item{at, picture};
    Damage(ShownAt(at, picture));
}

void FlyCanvas::Damage(Rect rect) {
    rect = Intersection(rect, {0, 0, size_.Width, size_.Height});
    if (Empty(rect)) {
        return;
    }
    // Overlapping rectangles (a fly's place before and after a step) become one.
    for (std::size_t i = 0; i < damage_.size();) {
        if (!Empty(Intersection(rect, damage_[i]))) {
            rect = Bounding(rect, damage_[i]);
            damage_.erase(damage_.begin() + static_cast<std::ptrdiff_t>(i));
            i = 0;
        } else {
            ++i;
        }
    }
    damage_.push_back(rect);
    if (damage_.size() > kMaxDamage) {
        Rect all = damage_.front();
        for (const Rect& each : damage_) {
            all = Bounding(all, each);
        }
        damage_.assign(1, all);
    }
}

std::vector<Rect> FlyCanvas::Paint() {
    const int stride = Stride();
    // Where each item shows, measured once for every rectangle drawn.
    std::vector<std::pair<Rect, const Item*>> shown;
    shown.reserve(items_.size());
    for (const auto& [id, item] : items_) {
        const Rect rect = ShownAt(item.At, item.Picture);
        if (!Empty(rect)) {
            shown.emplace_back(rect, &item);
        }
    }
    for (const Rect& area : damage_) {
        for (int y = area.Top; y < area.Top + area.Height; ++y) {
            std::memset(&pixels_[static_cast<std::size_t>(y) * stride + area.Left * 4], 0,
                        static_cast<std::size_t>(area.Width) * 4);
        }
        for (const auto& [rect, each] : shown) {
            const Rect part = Intersection(area, rect);
            if (Empty(part)) {
                continue;
            }
            const Item& item = *each;
            const Sprite& picture = *item.Picture;
            for (int y = part.Top; y < part.Top + part.Height; ++y) {
                const std::uint8_t* from =
                    &picture.Pixels[(static_cast<std::size_t>(y - item.At.Top) * picture.Width +
                                     (part.Left - item.At.Left)) *
                                    4];
                std::uint8_t* to = &pixels_[static_cast<std::size_t>(y) * stride + part.Left * 4];
                for (int x = 0; x < part.Width; ++x, from += 4, to += 4) {
                    // Premultiplied "over": the picture, and what lies below as far as it shows.
                    // Most of a picture is transparent, and most flies stand alone.
                    if (from[3] == 0) {
                        continue;
                    }
                    if (from[3] == 255 || to[3] == 0) {
                        std::memcpy(to, from, 4);
                        continue;
                    }
                    const int rest = 255 - from[3];
                    for (int c = 0; c < 4; ++c) {
                        to[c] = static_cast<std::uint8_t>(from[c] + to[c] * rest / 255);
                    }
                }
            }
        }
    }
    std::vector<Rect> drawn;
    drawn.swap(damage_);
    return drawn;
}

std::uint32_t FlyCanvas::ItemAt(int x, int y) const {
    const Rect bounds = Bounds();
    if (x < bounds.Left || y < bounds.Top || x >= bounds.Left + bounds.Width ||
        y >= bounds.Top + bounds.Height) {
        return 0;
    }
    for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
        const Item& item = it->second;
        const int px = x - item.At.Left;
        const int py = y - item.At.Top;
        if (px >= 0 && py >= 0 && px < item.Picture->Width && py < item.Picture->Height &&
            item.Picture->Pixels[(static_cast<std::size_t>(py) * item.Picture->Width + px) * 4 +
                                 3] > 0) {
            return it->first;
        }
    }
    return 0;
}

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

Rect Intersection(const Rect& a, const Rect& b) {
    const int left = std::max(a.Left, b.Left);
    const int top = std::max(a.Top, b.Top);
    const int right = std::min(a.Left + a.Width, b.Left + b.Width);
    const int bottom = std::min(a.Top + a.Height, b.Top + b.Height);
    return right > left && bottom > top ? Rect{left, top, right - left, bottom - top} : Rect{};
}

Rect Bounding(const Rect& a, const Rect& b) {
    const int left = std::min(a.Left, b.Left);
    const int top = std::min(a.Top, b.Top);
    const int right = std::max(a.Left + a.Width, b.Left + b.Width);
    const int bottom = std::max(a.Top + a.Height, b.Top + b.Height);
    return {left, top, right - left, bottom - top};
}

Rect LogicalCover(Rect device, double scale) {
    const int left = static_cast<int>(std::floor(device.Left / scale));
    const int top = static_cast<int>(std::floor(device.Top / scale));
    const int right = static_cast<int>(std::ceil((device.Left + device.Width) / scale));
    const int bottom = static_cast<int>(std::ceil((device.Top + device.Height) / scale));
    return {left, top, right - left, bottom - top};
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
