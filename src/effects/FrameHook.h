// The conversion's per-frame handler: the task's picture adjustments, then its
// watermark items, drawn into each decoded frame.
#pragma once

#include "effects/Adjustments.h"
#include "effects/WaterMark.h"

#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QList>
#include <QString>

#include <cstdint>
#include <mutex>

namespace fw::effects {

// What the per-frame handler needs of a task.
struct TFrameEffects {
    int Brightness = 255, Contrast = 0, Saturation = 255, Exposure = 0;
    QList<TWmRec> WaterMarks;  // drawing order: later items over earlier ones

    bool operator==(const TFrameEffects&) const = default;
};

// Whether the encoder calls the handler for a task at all: an off-neutral
// adjustment, or a first item with a text or a picture file. Only the first
// item is looked at, so later items behind an empty first one are not drawn.
bool HookSwitchedOn(const TFrameEffects& fx);

// "Field=value" lines, one per field that differs from a new task's value, e.g.
// "Brightness=300", "WaterMarks[0].Text=Hello". Colours as RRGGBB, flags 1/0.
QString DescribeEffects(const TFrameEffects& fx);

// The whole-second of a frame time: truncated toward zero, so -0.5 s is second 0.
inline int64_t FrameSecond(int64_t frameTimeMicros) {
    return frameTimeMicros / 1000000;
}
// Whether an item is drawn at a frame of that second (both bounds inclusive)
// and has something to draw.
bool ItemVisibleAt(const TWmRec& item, int64_t second);

// One per conversion. Process() is called on the conversion thread for one
// frame at a time. Between frames it keeps loaded pictures (by path, file size
// and modification time), the adjustment tables of the last values and a few
// worker threads that take bands of each large frame; the picture drawn is
// the same as without any of them.
class TFrameHookProcessor {
  public:
    // bands: how many bands the adjustments of a large frame are split into
    // (0: one per processor core, up to four; 1: all on the calling thread).
    explicit TFrameHookProcessor(int bands = 0);

    // Applies the adjustments, then every item visible at this frame's second
    // in array order. When a visible picture cannot be loaded it returns false
    // with the reason and leaves the frame exactly as it came in; the next
    // call tries the file again. *changed (when given) receives the part of the
    // frame that may have been drawn into; no pixel outside it changes.
    bool Process(QImage& frame, int64_t frameTimeMicros, const TFrameEffects& fx, QString* error,
                 QRect* changed = nullptr);

  private:
    struct TPicture {
        qint64 Size = -1;
        QDateTime Modified;
        QImage Image;  // Format_BGR888
        bool UsedNow = false;
    };
    QImage Picture(const QString& path, QString* error);  // null on failure

    const TAdjustPlan& Plan(const TFrameEffects& fx);

    std::mutex mutex_;
    QHash<QString, TPicture> pictures_;
    int planValues_[4] = {kNeutralBrightness, kNeutralContrast, kNeutralSaturation,
                          kNeutralExposure};
    TAdjustPlan plan_;  // for planValues_; neutral values change nothing
    TBandWorkers workers_;
};

}  // namespace fw::effects
