#include "Icons.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

#include "Fly.h"
#include "Paint.h"
#include "PngFile.h"
#include "Raster.h"

namespace spritegen {

namespace {

constexpr int kSupersample = 16;

// Samples per pixel along each axis for a picture of size x size: fewer for the largest icon,
// whose pixels are small enough already and whose full supersampling would need gigabytes.
int Supersample(int size) {
    return size > 128 ? kSupersample / 2 : kSupersample;
}

// The style of the larger application icons: the sprite's detail with firmer legs.
FlyStyle IconStyle(double legWidth) {
    FlyStyle s;
    s.legWidth = legWidth;
    s.wingAlpha = 0.34;
    s.wingEdgeAlpha = 0.6;
    return s;
}

// Draws a fly with its shadow onto a picture of size x size pixels: heading along
// (dx, dy), scale pixels per fly unit, its middle at the picture's centre.
void DrawIconFly(Raster& out, int size, double dx, double dy, double scale, double shadow,
                 const FlyStyle& style) {
    const int ss = Supersample(size);
    const int big = size * ss;
    Raster fly(big, big);
    const double centre = 0.5 * big;
    const Placement p = Placement::Heading(dx, dy, scale * ss, {0.9, 0.0},
                                           {centre - 0.02 * big, centre - 0.02 * big});
    DrawFly(fly, p, WalkPose(2), style);
    Raster layer(big, big);
    if (shadow > 0) {
        const int offset = std::max(1, static_cast<int>(std::lround(0.04 * big)));
        layer = fly.Shadow(offset, offset, std::max(2, big / 60), shadow);
    }
    layer.Composite(fly);
    out.Composite(layer.Reduced(ss));
}

// A rounded square tile with a soft vertical gradient and a darker rim, size x size.
Raster Tile(int size) {
    const int ss = Supersample(size);
    const int big = size * ss;
    Raster tile(big, big);
    const double inset = std::max(0.5, size / 32.0) * ss;
    const double radius = size * 0.22 * ss;
    const double rim = std::max(1.0, size / 40.0) * ss;
    const double lo = inset, hi = big - inset;
    for (int y = 0; y < big; ++y) {
        for (int x = 0; x < big; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double cx = std::clamp(px, lo + radius, hi - radius);
            const double cy = std::clamp(py, lo + radius, hi - radius);
            const double d = std::hypot(px - cx, py - cy);
            if (d > radius) {
                continue;
            }
            const double t = (py - lo) / (hi - lo);
            Color c = Mix(Rgb(0xf7, 0xf2, 0xe4), Rgb(0xd9, 0xcd, 0xab), t);
            if (d > radius - rim) {
                c = Rgb(0x8c, 0x7f, 0x5e);
            }
            tile.Over(x, y, c);
        }
    }
    return tile.Reduced(ss);
}

// Fills an ellipse given in the figure's coordinates.
void PaintEllipse(Raster& r, const Placement& p, Vec2 c, double rx, double ry, const Color& fill) {
    Paint(r, p, {c.x - rx, c.y - ry}, {c.x + rx, c.y + ry}, [&](Vec2 q, Color& out) {
        const double u = (q.x - c.x) / rx, v = (q.y - c.y) / ry;
        out = fill;
        return u * u + v * v <= 1.0;
    });
}

// A fly drawn for 16 x 16 pixels, heading up: figure units are pixels, bold shapes, legs
// one pixel wide, wings with a dark rim so they read on any background.
void DrawTinyFly(Raster& r, const Placement& p) {
    const Color leg = Rgb(28, 26, 24);
    const Vec2 legs[3][3] = {
        {{6.6, 5.6}, {4.6, 4.3}, {3.6, 1.8}},
        {{6.3, 6.8}, {3.6, 7.0}, {1.7, 9.4}},
        {{6.6, 7.8}, {4.5, 10.0}, {3.5, 13.8}},
    };
    for (const auto& l : legs) {
        for (double side : {0.0, 1.0}) {
            const auto at = [&](Vec2 q) { return side > 0 ? Vec2{16.0 - q.x, q.y} : q; };
            PaintCapsule(r, p, at(l[0]), at(l[1]), 0.55, leg);
            PaintCapsule(r, p, at(l[1]), at(l[2]), 0.45, leg);
        }
    }
    PaintEllipse(r, p, {8.0, 10.2}, 2.4, 3.4, Rgb(44, 40, 36));
    PaintEllipse(r, p, {8.0, 9.6}, 0.7, 2.0, Rgb(120, 96, 64));
    for (double side : {-1.0, 1.0}) {
        const Vec2 base{8.0 + side * 0.8, 6.6};
        const Vec2 tip{8.0 + side * 3.9, 14.4};
        const Vec2 along = tip - base;
        const double len = std::hypot(along.x, along.y);
        const Vec2 u{along.x / len, along.y / len};
        const Vec2 mid = base + along * 0.5;
        const double rx = 0.5 * len + 0.4, ry = 1.9;
        Paint(r, p, {mid.x - rx, mid.y - rx}, {mid.x + rx, mid.y + rx}, [&](Vec2 q, Color& out) {
            const Vec2 d = q - mid;
            const double a = (d.x * u.x + d.y * u.y) / rx;
            const double b = (-d.x * u.y + d.y * u.x) / ry;
            const double e = a * a + b * b;
            if (e > 1.0) {
                return false;
            }
            out = e > 0.55 ? Rgb(52, 50, 52, 0.85) : Rgb(214, 222, 232, 0.55);
            return true;
        });
    }
    PaintEllipse(r, p, {8.0, 6.4}, 2.7, 2.1, Rgb(92, 90, 86));
    PaintCapsule(r, p, {7.2, 5.0}, {7.2, 7.6}, 0.35, Rgb(30, 28, 28));
    PaintCapsule(r, p, {8.8, 5.0}, {8.8, 7.6}, 0.35, Rgb(30, 28, 28));
    PaintEllipse(r, p, {8.0, 3.7}, 2.6, 1.6, Rgb(60, 54, 50));
    PaintEllipse(r, p, {6.7, 3.5}, 1.35, 1.4, Rgb(196, 52, 34));
    PaintEllipse(r, p, {9.3, 3.5}, 1.35, 1.4, Rgb(196, 52, 34));
}

// Draws the tiny fly at the given scale around the centre of a size x size picture, with
// a shadow of the given strength and a pale glow that keeps it visible on dark panels.
void DrawTinyIcon(Raster& out, int size, double scale, double shadow, double glow) {
    const int big = size * kSupersample;
    Raster fly(big, big);
    Placement p;
    p.scale = scale * kSupersample;
    p.origin = {0.5 * big - 8.0 * p.scale, 0.5 * big - 8.0 * p.scale};
    DrawTinyFly(fly, p);
    Raster layer = fly.Shadow(0, 0, kSupersample * 3 / 4, glow, Rgb(214, 212, 204));
    layer.Composite(fly.Shadow(kSupersample, kSupersample, kSupersample / 2, shadow));
    layer.Composite(fly);
    out.Composite(layer.Reduced(kSupersample));
}

// The sizes of the tray picture: a tray takes the one that matches its own size.
constexpr int kTraySizes[] = {16, 20, 24, 32, 48};

// The tray picture, size x size: the bold fly heading up with a faint shadow and a pale glow;
// from 32 pixels up, where the legs have room, the detailed fly of the application icon.
Raster TrayIcon(int size) {
    Raster out(size, size);
    if (size < 32) {
        DrawTinyIcon(out, size, size / 16.0, 0.22, 1.1);
    } else {
        DrawIconFly(out, size, 0.0, -1.0, size / 36.0, 0.3, IconStyle(1.6));
    }
    return out;
}

// The application icon: a fly walking up and to the right on a light tile.
Raster AppIcon(int size) {
    Raster out = Tile(size);
    if (size <= 16) {
        DrawTinyIcon(out, size, 0.8 * size / 16.0, 0.2, 0.0);
    } else {
        DrawIconFly(out, size, 1.0, -1.6, size / 44.0, 0.4, IconStyle(size >= 100 ? 1.2 : 1.5));
    }
    return out;
}

void Put16(std::vector<std::uint8_t>& v, unsigned value) {
    v.push_back(value & 0xff);
    v.push_back((value >> 8) & 0xff);
}

void Put32(std::vector<std::uint8_t>& v, std::uint32_t value) {
    Put16(v, value & 0xffff);
    Put16(v, value >> 16);
}

// One icon image in the classic form: BITMAPINFOHEADER with doubled height, 32-bit BGRA
// rows bottom to top, then the 1-bit AND mask marking fully transparent pixels.
std::vector<std::uint8_t> IconBitmap(const Raster& picture) {
    const int w = picture.Width(), h = picture.Height();
    const std::vector<std::uint8_t> rgba = picture.ToRgba8();
    const int maskRow = (w + 31) / 32 * 4;
    std::vector<std::uint8_t> v;
    Put32(v, 40);
    Put32(v, static_cast<std::uint32_t>(w));
    Put32(v, static_cast<std::uint32_t>(h * 2));
    Put16(v, 1);
    Put16(v, 32);
    Put32(v, 0);
    Put32(v, static_cast<std::uint32_t>(w * h * 4 + maskRow * h));
    for (int i = 0; i < 4; ++i) {
        Put32(v, 0);
    }
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * w + x) * 4];
            v.insert(v.end(), {p[2], p[1], p[0], p[3]});
        }
    }
    for (int y = h - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskRow, 0);
        for (int x = 0; x < w; ++x) {
            if (rgba[(static_cast<std::size_t>(y) * w + x) * 4 + 3] == 0) {
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        v.insert(v.end(), row.begin(), row.end());
    }
    return v;
}

// A Windows icon file holding the given pictures: PNG-compressed from 256 pixels up (as
// Windows Vista and later read them), bitmaps below.
std::vector<std::uint8_t> IconFile(const std::vector<Raster>& pictures) {
    std::vector<std::vector<std::uint8_t>> images;
    for (const Raster& r : pictures) {
        images.push_back(r.Width() >= 256 ? EncodePng(r.Width(), r.Height(), r.ToRgba8())
                                          : IconBitmap(r));
    }
    std::vector<std::uint8_t> v;
    Put16(v, 0);
    Put16(v, 1);
    Put16(v, static_cast<unsigned>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        v.push_back(static_cast<std::uint8_t>(pictures[i].Width() % 256));
        v.push_back(static_cast<std::uint8_t>(pictures[i].Height() % 256));
        v.push_back(0);
        v.push_back(0);
        Put16(v, 1);
        Put16(v, 32);
        Put32(v, static_cast<std::uint32_t>(images[i].size()));
        Put32(v, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& image : images) {
        v.insert(v.end(), image.begin(), image.end());
    }
    return v;
}

// Writes a picture as a PNG file.
void WritePicture(const std::string& path, const Raster& r) {
    WriteFile(path, EncodePng(r.Width(), r.Height(), r.ToRgba8()));
}

}  // namespace

void WriteIcons(const std::string& folder) {
    std::vector<Raster> tray;
    for (const int size : kTraySizes) {
        tray.push_back(TrayIcon(size));
        WritePicture(folder + "/tray" + std::to_string(size) + ".png", tray.back());
    }
    WriteFile(folder + "/Tray.ico", IconFile(tray));
    // Every size the build installs and compiles in, each drawn once; the Windows icon holds
    // those Windows asks for from 100 % to 300 % scale.
    std::map<int, Raster> app;
    for (const int size : {QUILLOP_APP_ICON_SIZES}) {
        const Raster& icon = app.emplace(size, AppIcon(size)).first->second;
        WritePicture(folder + "/app" + std::to_string(size) + ".png", icon);
    }
    std::vector<Raster> windows;
    for (const int size : {256, 48, 32, 24, 20, 16}) {
        windows.push_back(app.at(size));
    }
    WriteFile(folder + "/Quillop.ico", IconFile(windows));
}

}  // namespace spritegen
