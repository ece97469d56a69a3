// The per-frame hook as a stage of its own. A frame is converted to the
// handler's 24-bit BGR picture, handed to the handler and converted back on a
// worker thread, while the conversion thread filters and encodes the frame
// before it. Frames come out in the order they went in, one in hand at a time.
#pragma once

#include "engine/FFmpegPtr.h"
#include "engine/Transcoder.h"

#include <QRect>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace fw::engine {

// A picture-format converter at one size, kept while the size and formats
// stay. One thread: the codecs already keep the cores busy.
class TPictureConverter {
  public:
    // Converts all of src into dst (same size).
    bool Convert(const AVFrame* src, AVFrame* dst);
    // Converts rows [y0, y1) of src into the same rows of dst. y0 and y1 must
    // fall on whole chroma rows of both formats.
    bool ConvertRows(const AVFrame* src, AVFrame* dst, int y0, int y1);

  private:
    struct Key {
        int w = 0, h = 0, src = -1, dst = -1;
        bool operator==(const Key&) const = default;
    };
    SwsPtr ctx_;
    Key key_;
};

// Frames of one format and size whose buffers come from a pool, so the hot
// loop does not allocate. A frame handed out stays valid while referenced.
class TFramePool {
  public:
    bool Get(AVFrame* out, int format, int w, int h);

  private:
    BufferPoolPtr pool_;
    int w_ = 0, h_ = 0, format_ = -1;
    int lines_[4] = {};
    size_t planeSizes_[4] = {};
};

// The rows [y0, y1) that hold `changed` (clipped to a picture of height h),
// widened to whole chroma rows of `format`. y0 == y1 when nothing changed.
void ChangedRows(const QRect& changed, int w, int h, int format, int* y0, int* y1);

class THookStage {
  public:
    THookStage(ITranscodeHost& host, int task);
    ~THookStage();  // waits for the frame in hand
    THookStage(const THookStage&) = delete;
    THookStage& operator=(const THookStage&) = delete;

    // False once the handler asked to stop or none is attached; later frames
    // pass by the stage.
    bool Active() const { return active_; }
    // A frame was submitted and not yet taken.
    bool Busy() const { return busy_; }
    // Starts the handler's work on a frame (the stage takes its own reference).
    // Only when not Busy(). False when the frame could not be taken.
    bool Submit(const AVFrame* frame);
    // Waits for the submitted frame. *feed gets what the filters take, *picture
    // what the preview shows; both are new references.
    void Take(AVFrame* feed, AVFrame* picture);

  private:
    void WorkerLoop();
    void Process();  // in_ -> feed_, picture_

    ITranscodeHost& host_;
    const int task_;
    int counter_ = 0;
    bool busy_ = false;    // conversion thread only
    bool inline_ = false;  // no worker thread could be started
    std::atomic<bool> active_{true};
    TPictureConverter toBgr_, fromBgr_, fromBgrRows_;
    TFramePool bgrPool_, backPool_;
    FramePtr bgr_{av_frame_alloc()};
    FramePtr back_{av_frame_alloc()};
    FramePtr in_{av_frame_alloc()};
    FramePtr feed_{av_frame_alloc()};
    FramePtr picture_{av_frame_alloc()};

    std::thread worker_;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool job_ = false;   // in_ waits for the worker
    bool done_ = false;  // feed_ and picture_ are ready
    bool quit_ = false;
};

}  // namespace fw::engine
