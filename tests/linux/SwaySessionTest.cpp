// sway's socket without sway: the messages cut from its stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "main/SwayFramer.h"

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

}  // namespace
}  // namespace quillop
