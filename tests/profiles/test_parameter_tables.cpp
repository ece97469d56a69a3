// Display texts of the parameter boxes and the values they store.
#include "profiles/ParameterTables.h"

#include <gtest/gtest.h>

using namespace fw;

TEST(ParameterTables, EncodersMapWithoutRegardToCase) {
    EXPECT_EQ(VideoEncoderIdentifier("H264"), "libx264");
    EXPECT_EQ(VideoEncoderIdentifier("MPEG-4"), "mpeg4");
    EXPECT_EQ(VideoEncoderIdentifier("Xvid"), "libxvid");
    EXPECT_FALSE(VideoEncoderIdentifier("vp9").has_value());
    EXPECT_EQ(AudioEncoderIdentifier("MP3"), "libmp3lame");
    EXPECT_EQ(AudioEncoderIdentifier("GSM"), "libgsm");
    EXPECT_TRUE(IsGsmAudioEncoder("Gsm"));
    EXPECT_EQ(AudioEncoderIdentifier("WMA2"), "wmav2");
    EXPECT_EQ(AudioEncoderIdentifier("pcm_mulaw "), "pcm_mulaw");  // the blank belongs to the name
    EXPECT_EQ(AudioEncoderIdentifier("pcm_mulaw"), std::nullopt);
}

TEST(ParameterTables, ChannelVolumeAndZoom) {
    EXPECT_EQ(ChannelValue("mono 1 channel"), "1");
    EXPECT_EQ(ChannelValue("stereo 2 channels"), "2");
    EXPECT_EQ(ChannelValue("as source"), "as source");
    EXPECT_FALSE(ChannelValue("Mono 1 channel").has_value());  // exact comparison
    const std::pair<const char*, std::optional<QString>> volumes[] = {
        {"25%", "64"}, {"100%", "256"}, {"400%", "1024"}, {"225%", std::nullopt},
        {"0%", std::nullopt}, {"", std::nullopt}, {"loud", std::nullopt}};
    for (const auto& [text, stored] : volumes) EXPECT_EQ(VolumeValue(text), stored) << text;
    EXPECT_EQ(ZoomValue(0), "full");
    EXPECT_EQ(ZoomValue(3), "center");
    EXPECT_FALSE(ZoomValue(4).has_value());
}
