// The task entry record: everything the user decided for one file of the
// task list (trim, zoom, crop, picture adjustments, watermark items).
#pragma once

#include "effects/FrameHook.h"
#include "effects/WaterMark.h"

#include <QList>
#include <QString>

#include <cstdint>

namespace fw {

struct TlvFilesRecord {
    int32_t BatchIndex = 0;  // position in the selection that added the file
    QString SourceFile;
    QString AddedDestination;  // output path worked out when the row was added
    int32_t SourceSeconds = 0;
    int64_t TrimStart = 0;   // microseconds
    int64_t TrimLength = 0;  // microseconds; 0 means up to the end
    QString ZoomMode;        // "full", "lbox", "pan" or "center"
    int32_t CropTop = 0;     // source pixels, even
    int32_t CropLeft = 0;
    int32_t CropBottom = 0;
    int32_t CropRight = 0;
    int32_t CropSpinUp = 0;  // crop editor values in preview pixels
    int32_t CropSpinLeft = 0;
    int32_t CropSpinDown = 0;
    int32_t CropSpinRight = 0;
    QList<effects::TWmRec> WaterMarks;  // drawing order
    int32_t Brightness = 255;
    int32_t Contrast = 0;
    int32_t Saturation = 255;
    int32_t Exposure = 0;
    bool ProcessText = false;
    bool ProcessImage = false;

    bool HasCrop() const { return CropTop > 0 || CropLeft > 0 || CropBottom > 0 || CropRight > 0; }
};

// True when the record holds the values of a new row: no trim, no crop,
// neutral adjustments and no watermark item.
bool IsNeutral(const TlvFilesRecord& rec);

// What the per-frame hook needs of a record, and the way back.
effects::TFrameEffects FrameEffectsOf(const TlvFilesRecord& rec);
void SetFrameEffects(TlvFilesRecord& rec, const effects::TFrameEffects& fx);

// Whether the encoder must call the per-frame hook for this record's task.
bool NeedsVideoHook(const TlvFilesRecord& rec);

}  // namespace fw
