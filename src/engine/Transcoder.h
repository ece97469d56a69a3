// One conversion: reads the input, decodes, runs the per-frame hook and the
// filter graphs, encodes and writes the output under a hidden temporary name
// that is moved into place only when everything succeeded.
#pragma once

#include "engine/EngineTypes.h"
#include "engine/OptionPlan.h"

#include <QString>

#include <atomic>

namespace fw::engine {

// What a conversion asks of the component that runs it.
class ITranscodeHost {
  public:
    virtual ~ITranscodeHost() = default;
    virtual const std::atomic<bool>& StopFlag() const = 0;
    // Blocks while the run is paused; returns the time spent waiting (ms).
    virtual int64_t WaitWhilePaused() = 0;
    // Calls the per-frame hook; false when no handler is attached. Errors the
    // handler raises are caught and reported through *error.
    virtual bool CallHook(THookInfo& info, QString* error) = 0;
    virtual int ProgressInterval() const = 0;
    virtual bool WantsPreview() const = 0;
    virtual void Progress(const TProgressInfo& info) = 0;
    virtual void Preview(const TPreviewInfo& info) = 0;
    virtual void Log(const QString& message) = 0;
};

struct TTranscodeResult {
    bool Finished = false;
    bool Failed = false;
    QString ErrorText;
};

TTranscodeResult RunTranscode(ITranscodeHost& host, int taskIndex, const TInputOptions& in,
                              const TOutputOptions& out);

// The hidden name beside `finalName` that a conversion writes to.
QString TemporaryOutputPrefix(const QString& finalName);

}  // namespace fw::engine
