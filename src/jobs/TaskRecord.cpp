#include "jobs/TaskRecord.h"

namespace fw {

bool IsNeutral(const TlvFilesRecord& rec) {
    return rec.TrimStart == 0 && rec.TrimLength == 0 && !rec.HasCrop() && rec.Brightness == 255 &&
           rec.Contrast == 0 && rec.Saturation == 255 && rec.Exposure == 0 &&
           rec.WaterMarks.isEmpty();
}

effects::TFrameEffects FrameEffectsOf(const TlvFilesRecord& rec) {
    effects::TFrameEffects fx;
    fx.Brightness = rec.Brightness;
    fx.Contrast = rec.Contrast;
    fx.Saturation = rec.Saturation;
    fx.Exposure = rec.Exposure;
    fx.WaterMarks = rec.WaterMarks;
    return fx;
}

void SetFrameEffects(TlvFilesRecord& rec, const effects::TFrameEffects& fx) {
    rec.Brightness = fx.Brightness;
    rec.Contrast = fx.Contrast;
    rec.Saturation = fx.Saturation;
    rec.Exposure = fx.Exposure;
    rec.WaterMarks = fx.WaterMarks;
}

bool NeedsVideoHook(const TlvFilesRecord& rec) {
    return effects::HookSwitchedOn(FrameEffectsOf(rec));
}

}  // namespace fw
