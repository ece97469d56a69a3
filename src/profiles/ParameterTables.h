// The tables that turn the settings dialog's display texts into the values
// stored per profile ("paraVideoEncoder", "paraAudioEncoder", "paraChannel",
// "paraVolume", "paraZoom"). The dialog's save and the conversion's fallback
// to a profile's default rows both go through these.
#pragma once

#include <QString>

#include <optional>

namespace fw {

// Video encoder display name (any letter case) -> stored identifier.
// "h264" maps to "libx264"; the caller copies the H.264 settings then.
std::optional<QString> VideoEncoderIdentifier(const QString& displayName);

// Audio encoder display name (any letter case) -> stored identifier.
// "gsm" maps to "libgsm" and also forces 8000 Hz mono (see IsGsmAudioEncoder).
std::optional<QString> AudioEncoderIdentifier(const QString& displayName);
bool IsGsmAudioEncoder(const QString& displayName);

// "as source" / "mono 1 channel" / "stereo 2 channels" (exact) -> stored value.
std::optional<QString> ChannelValue(const QString& displayText);

// "100%" -> "256"; only the twelve mapped percentages store a value.
std::optional<QString> VolumeValue(const QString& displayText);

// Zoom box row -> stored mode: 0 full, 1 lbox, 2 pan, 3 center.
std::optional<QString> ZoomValue(int row);

}  // namespace fw
