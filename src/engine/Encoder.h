// The encoder component: a list of conversion tasks (one input, one output
// each) converted on conversion threads, with the per-frame hook, preview,
// progress and end-of-task events.
#pragma once

#include "engine/AVProbe.h"
#include "engine/EngineTypes.h"
#include "engine/FFmpegException.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace fw::engine {

// An event handler slot that may be attached or detached while a conversion
// thread calls it: assignment waits for a running call to return.
template <typename... Args>
class TEventHandler {
  public:
    using Function = std::function<void(Args...)>;
    TEventHandler() = default;
    TEventHandler(const TEventHandler&) = delete;
    TEventHandler& operator=(const TEventHandler&) = delete;
    template <typename F>
    TEventHandler& operator=(F&& f) {
        std::lock_guard lock(mutex_);
        fn_ = Function(std::forward<F>(f));
        return *this;
    }
    TEventHandler& operator=(std::nullptr_t) {
        std::lock_guard lock(mutex_);
        fn_ = nullptr;
        return *this;
    }
    explicit operator bool() const {
        std::lock_guard lock(mutex_);
        return static_cast<bool>(fn_);
    }
    // Calls the handler under the lock; false when none is attached.
    // Exceptions the handler throws pass through to the caller.
    template <typename... CallArgs>
    bool Invoke(CallArgs&&... args) const {
        std::lock_guard lock(mutex_);
        if (!fn_) return false;
        fn_(std::forward<CallArgs>(args)...);
        return true;
    }

  private:
    mutable std::recursive_mutex mutex_;
    Function fn_;
};

class TFFmpegEncoder : public QObject {
    Q_OBJECT
  public:
    explicit TFFmpegEncoder(QObject* parent = nullptr);
    // Stops a running batch and waits for its threads.
    ~TFFmpegEncoder() override;

    // Empties the task list; throws "Cannot ClearTasks while working." during a run.
    void ClearTasks();
    // Opens the input; the new task's index, or a negative number when the
    // file cannot be opened (LastError() then holds the reason).
    int AddTask(const QString& fileName, const TInputOptions& options = {});
    // Sets the task's output. Throws for a task index that does not exist.
    bool SetOutputFile(int task, const QString& fileName, const TOutputOptions& options);
    void RemoveTask(int task);
    int TaskCount() const;
    // The prober of a task's input, open on the file since AddTask.
    TAVProbe& TaskInputProber(int task, int input = 0);
    TAVProbe& EncoderProber() { return prober_; }
    QString LastError() const { return lastError_; }

    // Converts every task; `concurrent` tasks at a time (1: one after another).
    // Returns at once.
    void StartTask(int concurrent = 1);
    void PauseTasks();
    void ResumeTasks();
    // Stops every task: running ones end as soon as they notice, waiting ones
    // end at once. With `wait`, returns when the conversion threads have ended.
    void StopTasks(bool wait);
    bool IsWorking() const { return working_.load(); }
    bool IsPaused() const;

    // Settings (read at StartTask).
    bool PreviewBitmap = false;
    int ProgressInterval = 500;  // milliseconds
    TThreadPriority ThreadPriority = TThreadPriority::Normal;
    bool TriggerEventInMainThread = true;

    // Events. OnCustomHook runs on the conversion thread. With
    // TriggerEventInMainThread, OnPreviewBitmap and OnProgress run on the
    // thread this object lives in while the conversion thread waits, and
    // OnTerminate is queued to that thread in order; otherwise all run on the
    // conversion thread. OnLog runs on the thread this object lives in.
    TEventHandler<THookInfo&> OnCustomHook;
    TEventHandler<const TPreviewInfo&> OnPreviewBitmap;
    TEventHandler<const TProgressInfo&> OnProgress;
    TEventHandler<const TTerminateInfo&> OnTerminate;
    TEventHandler<const QString&> OnLog;

  private:
    struct Task;
    struct Run;
    class Host;

    void Worker(std::shared_ptr<Run> run);
    void JoinThreads();
    void Deliver(const std::shared_ptr<Run>& run, std::function<void()> call, bool wait);
    void Terminate(const std::shared_ptr<Run>& run, const TTerminateInfo& info);
    void Log(const std::shared_ptr<Run>& run, const QString& message);
    Task& TaskAt(int task);

    std::vector<std::unique_ptr<Task>> tasks_;
    TAVProbe prober_;
    QString lastError_;
    std::atomic<bool> working_{false};
    std::shared_ptr<Run> run_;
    std::vector<std::thread> threads_;
};

}  // namespace fw::engine
