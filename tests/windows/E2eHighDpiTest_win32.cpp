// Quillop.exe on a screen of 192 dots per inch: the fly windows are per-monitor aware and
// twice the size in the screen's own pixels, keep within the work area, and show the pictures
// drawn at that size.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "clFly/SpriteDecoder.h"
#include "clFly/SpriteSource.h"
#include "resources/EmbeddedSprites.h"
#include "tests/windows/Desktop_win32.h"
#include "tests/windows/Registry_win32.h"

namespace quillop::e2e {
namespace {

constexpr int kSide = 120;

// The colours of a "x,y: (r,g,b)" listing of a kSide x kSide crop, row by row.
std::vector<COLORREF> ReadListing(const std::string& path) {
    std::vector<COLORREF> pixels(kSide * kSide, 0);
    std::ifstream listing(path);
    std::string line;
    while (std::getline(listing, line)) {
        int x = 0, y = 0, r = 0, g = 0, b = 0;
        if (std::sscanf(line.c_str(), "%d,%d: (%d,%d,%d", &x, &y, &r, &g, &b) == 5 && x < kSide &&
            y < kSide) {
            pixels[y * kSide + x] = RGB(r, g, b);
        }
    }
    return pixels;
}

// How many opaque pixels of a picture (premultiplied BGRA, kSide / step pixels a side, each
// shown as step x step) the screen shows in another colour; -1 for no such picture.
int Mismatches(const std::vector<COLORREF>& screen, const std::string& name, int step) {
    const auto bytes = EmbeddedSprites().Find(name);
    if (!bytes) {
        return -1;
    }
    const Sprite picture = DecodeSprite(*bytes);
    int count = 0;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const std::uint8_t* p = &picture.Pixels[((y / step) * picture.Width + x / step) * 4];
            const COLORREF seen = screen[y * kSide + x];
            if (p[3] == 255 &&
                (std::abs(GetRValue(seen) - p[2]) > 8 || std::abs(GetGValue(seen) - p[1]) > 8 ||
                 std::abs(GetBValue(seen) - p[0]) > 8)) {
                ++count;
            }
        }
    }
    return count;
}

// The fewest mismatches of the fly on screen with any picture of the set ("@2x" or the 1x
// pictures doubled).
int BestMatch(const std::vector<COLORREF>& screen, const char* suffix, int step) {
    int best = kSide * kSide;
    for (int d = 1; d <= kDirections; ++d) {
        for (int f = 1; f <= kFrames; ++f) {
            const int count = Mismatches(screen, SpriteName(d, f) + suffix, step);
            if (count >= 0) {
                best = std::min(best, count);
            }
        }
    }
    return best;
}

// Whether a fly stands apart from the others, so that its window shows it alone.
bool StandsAlone(const std::vector<HWND>& flies, HWND fly) {
    const RECT r = WindowBounds(fly);
    RECT overlap{};
    return r.left >= 0 && r.top >= 0 && std::none_of(flies.begin(), flies.end(), [&](HWND other) {
               const RECT o = WindowBounds(other);
               return other != fly && IntersectRect(&overlap, &r, &o);
           });
}

TEST(QuillopHighDpi, FliesAreDrawnForTheScreensDpi) {
    // NOTE: the driver reads places in physical pixels only when it is DPI aware itself.
    SetProcessDPIAware();
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(dpi, 192) << "the script sets LogPixels to 192";
    ForgetSettings();
    Program program(Environment("QUILLOP_EXE", "Quillop.exe"));
    ASSERT_TRUE(program.Started()) << "Quillop.exe did not start";
    const DWORD start = GetTickCount();
    while (WindowsOfProcess(program.Id(), "frmPngFly").size() < 3 &&
           GetTickCount() - start < 15000) {
        Pump(10);
    }
    const std::vector<HWND> flies = WindowsOfProcess(program.Id(), "frmPngFly");
    ASSERT_EQ(flies.size(), 3u);
    const RECT area = WorkArea();
    const DWORD walking = GetTickCount();
    while (GetTickCount() - walking < 3000 && !HasFailure()) {
        for (HWND fly : flies) {
            const RECT r = WindowBounds(fly);
            EXPECT_EQ(r.right - r.left, 120);
            EXPECT_EQ(r.bottom - r.top, 120);
            // The overhangs, twice as long as at 96 dpi.
            EXPECT_GE(r.left, area.left - 40);
            EXPECT_LE(r.right, area.right + 40);
        }
        Pump(20);
    }
    // One fly standing apart and still while the screen is taken shows one of the 2x pictures.
    // A shot may catch a fly between two of its pictures (it turns on the spot), so the best of
    // the shots taken within 20 s counts.
    const std::string dir = Environment("QUILLOP_E2E_DIR", "/tmp");
    int shots = 0;
    int drawn = 1 << 30;
    int doubled = 0;
    const DWORD looking = GetTickCount();
    while (drawn > 20 && GetTickCount() - looking < 20000) {
        for (HWND fly : flies) {
            const RECT before = WindowBounds(fly);
            if (!StandsAlone(flies, fly) ||
                !RunShell("import -window root " + dir + "/highdpi.png") ||
                !SameRect(before, WindowBounds(fly))) {
                continue;
            }
            ASSERT_TRUE(RunShell("convert " + dir + "/highdpi.png -crop 120x120+" +
                                 std::to_string(before.left) + "+" + std::to_string(before.top) +
                                 " txt:" + dir + "/highdpi.txt"));
            const std::vector<COLORREF> screen = ReadListing(WindowsPath(dir + "/highdpi.txt"));
            ++shots;
            const int match = BestMatch(screen, "@2x", 1);
            if (match < drawn) {
                drawn = match;
                doubled = BestMatch(screen, "", 2);
            }
            break;
        }
        Pump(50);
    }
    ASSERT_GT(shots, 0) << "no fly stood apart and still for a screenshot";
    std::printf(
        "best of %d shots: the fly differs from a 2x picture in %d opaque pixels, from a 1x "
        "picture doubled in %d\n",
        shots, drawn, doubled);
    EXPECT_LE(drawn, 20);
    EXPECT_GT(doubled, drawn + 100);
    PostMessageA(FindWindowA("TfrmMain", "Quillop 1.1"), 0x467, 0, 0);
    EXPECT_EQ(program.WaitForExit(5000), 0u);
}

}  // namespace
}  // namespace quillop::e2e
