// sway's socket without sway: the messages cut from its stream, and the work area of its
// workspaces in the device pixels of Qt's screen at every device-pixel ratio.
#include <gtest/gtest.h>

#include <QRect>

#include <algorithm>
#include <string>
#include <vector>

#include "main/qt/QtSwaySession.h"

namespace quillop {
namespace {

// A message of type 4 whose header announces `length` bytes of payload.
std::string Header(std::uint32_t length) {
    std::string header = SwayFrame(4, "");
    header.replace(6, sizeof length, reinterpret_cast<const char*>(&length), sizeof length);
    return header;
}

TEST(SwayFramerTest, PartialAndJoinedFramesGiveEveryMessageOnce) {
    const std::vector<SwayMessage> sent = {{1, R"([{"num":1}])"}, {0x80000003, "{}"}, {4, ""}};
    std::string stream;
    std::vector<std::size_t> ends;
    for (const SwayMessage& message : sent) {
        stream += SwayFrame(message.Type, message.Payload);
        ends.push_back(stream.size());
    }
    SwayFramer whole;
    EXPECT_EQ(whole.Feed(stream).Messages, sent);
    // Byte by byte, each message comes with its last byte.
    SwayFramer bytewise;
    std::vector<SwayMessage> taken;
    for (std::size_t at = 1; at <= stream.size(); ++at) {
        const SwayFrames frames = bytewise.Feed(stream.substr(at - 1, 1));
        EXPECT_EQ(frames.Error, "");
        taken.insert(taken.end(), frames.Messages.begin(), frames.Messages.end());
        const auto complete =
            std::count_if(ends.begin(), ends.end(), [at](std::size_t end) { return end <= at; });
        EXPECT_EQ(taken.size(), static_cast<std::size_t>(complete)) << at;
    }
    EXPECT_EQ(taken, sent);
}

TEST(SwayFramerTest, ABadMagicOrAnOversizedLengthEndsTheStream) {
    std::string badMagic = SwayFrame(4, "{}");
    badMagic[0] = 'I';
    for (const std::string& bad : {badMagic, Header(SwayFramer::kMaxPayload + 1)}) {
        SwayFramer framer;
        const SwayFrames frames = framer.Feed(SwayFrame(1, "[]") + bad + SwayFrame(1, "[]"));
        EXPECT_EQ(frames.Messages, (std::vector<SwayMessage>{{1, "[]"}}));
        EXPECT_NE(frames.Error, "");
        // Nothing more is taken until a new connection.
        EXPECT_TRUE(framer.Feed(SwayFrame(1, "[]")).Messages.empty());
        framer.Reset();
        EXPECT_EQ(framer.Feed(SwayFrame(1, "[]")).Messages.size(), 1U);
    }
    // The longest payload taken is waited for.
    SwayFramer framer;
    EXPECT_EQ(framer.Feed(Header(SwayFramer::kMaxPayload)).Error, "");
}

TEST(SwayWorkAreaTest, ComparedInDevicePixelsAtEveryRatio) {
    // Two outputs of 1920 x 1080 side by side with a panel of 30 at the top of each: sway's
    // rectangles are XWayland's pixels, which are Qt's device pixels.
    const std::vector<QRect> visible = {{0, 30, 1920, 1050}, {1920, 30, 1920, 1050}};
    for (const double ratio : {1.0, 1.5, 2.0}) {
        // Qt's screens keep their corner in device pixels and scale their size.
        const int width = static_cast<int>(1920 / ratio);
        const int height = static_cast<int>(1080 / ratio);
        for (const int left : {0, 1920}) {
            EXPECT_EQ(SwayWorkArea(visible, QRect(left, 0, width, height), ratio),
                      (Rect{0, 30, 1920, 1050}))
                << ratio << " " << left;
        }
        EXPECT_EQ(SwayWorkArea({}, QRect(0, 0, width, height), ratio), std::nullopt);
    }
}

}  // namespace
}  // namespace quillop
