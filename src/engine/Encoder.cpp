#include "engine/Encoder.h"

#include "engine/Transcoder.h"

#include <QMetaObject>
#include <QThread>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>
#include <chrono>

namespace fw::engine {

struct TFFmpegEncoder::Task {
    QString fileName;
    TInputOptions input;
    std::unique_ptr<TAVProbe> prober = std::make_unique<TAVProbe>();
    bool hasOutput = false;
    TOutputOptions output;
};

// One batch: a snapshot of the tasks and settings, and the controls the
// conversion threads watch.
struct TFFmpegEncoder::Run {
    struct Spec {
        TInputOptions input;
        bool hasOutput = false;
        TOutputOptions output;
    };
    std::vector<Spec> specs;
    bool preview = false;
    int interval = 500;
    TThreadPriority priority = TThreadPriority::Normal;
    bool trigger = true;

    std::atomic<bool> stop{false};
    std::atomic<int> next{0};
    std::atomic<int> workers{0};
    std::mutex mutex;  // pairs with cv for pause and delivery waits
    std::condition_variable cv;
    std::atomic<bool> paused{false};
};

class TFFmpegEncoder::Host : public ITranscodeHost {
  public:
    Host(TFFmpegEncoder* owner, std::shared_ptr<Run> run) : owner_(owner), run_(std::move(run)) {}
    const std::atomic<bool>& StopFlag() const override { return run_->stop; }
    int64_t WaitWhilePaused() override {
        std::unique_lock lock(run_->mutex);
        if (!run_->paused || run_->stop) return 0;
        const auto from = std::chrono::steady_clock::now();
        run_->cv.wait(lock, [&] { return !run_->paused.load() || run_->stop.load(); });
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - from)
            .count();
    }
    bool CallHook(THookInfo& info, QString* error) override {
        try {
            return owner_->OnCustomHook.Invoke(info);
        } catch (const std::exception& e) {
            *error = QString::fromUtf8(e.what());
        } catch (...) {
            *error = "unknown error";
        }
        if (error->isEmpty()) *error = "unknown error";
        return true;
    }
    int ProgressInterval() const override { return run_->interval; }
    bool WantsPreview() const override { return run_->preview && bool(owner_->OnPreviewBitmap); }
    void Progress(const TProgressInfo& info) override {
        TFFmpegEncoder* o = owner_;
        o->Deliver(
            run_, [o, info] { o->OnProgress.Invoke(info); }, true);
    }
    void Preview(const TPreviewInfo& info) override {
        TFFmpegEncoder* o = owner_;
        o->Deliver(
            run_, [o, info] { o->OnPreviewBitmap.Invoke(info); }, true);
    }
    void Log(const QString& message) override { owner_->Log(run_, message); }

  private:
    TFFmpegEncoder* owner_;
    std::shared_ptr<Run> run_;
};

TFFmpegEncoder::TFFmpegEncoder(QObject* parent) : QObject(parent) {}

TFFmpegEncoder::~TFFmpegEncoder() {
    StopTasks(true);
}

void TFFmpegEncoder::ClearTasks() {
    if (working_) throw FFmpegException("Cannot ClearTasks while working.");
    tasks_.clear();
}

int TFFmpegEncoder::AddTask(const QString& fileName, const TInputOptions& options) {
    auto task = std::make_unique<Task>();
    task->fileName = fileName;
    task->input = options;
    task->input.FileName = fileName;
    if (!task->prober->ProbeOpen(fileName, options.FileFormat)) {
        lastError_ = task->prober->LastError();
        return -1;
    }
    lastError_.clear();
    tasks_.push_back(std::move(task));
    return int(tasks_.size()) - 1;
}

TFFmpegEncoder::Task& TFFmpegEncoder::TaskAt(int task) {
    if (task < 0 || size_t(task) >= tasks_.size())
        throw FFmpegException(QString("Invalid task index: %1.").arg(task));
    return *tasks_[size_t(task)];
}

bool TFFmpegEncoder::SetOutputFile(int task, const QString& fileName,
                                   const TOutputOptions& options) {
    Task& t = TaskAt(task);
    if (fileName.isEmpty()) return false;
    t.output = options;
    t.output.FileName = fileName;
    t.hasOutput = true;
    return true;
}

void TFFmpegEncoder::RemoveTask(int task) {
    if (task < 0 || size_t(task) >= tasks_.size()) return;
    tasks_.erase(tasks_.begin() + task);
}

int TFFmpegEncoder::TaskCount() const {
    return int(tasks_.size());
}

TAVProbe& TFFmpegEncoder::TaskInputProber(int task, int input) {
    Task& t = TaskAt(task);
    if (input != 0) throw FFmpegException(QString("Invalid input index: %1.").arg(input));
    return *t.prober;
}

void TFFmpegEncoder::JoinThreads() {
    for (std::thread& t : threads_)
        if (t.joinable()) {
            if (t.get_id() == std::this_thread::get_id())
                t.detach();
            else
                t.join();
        }
    threads_.clear();
}

void TFFmpegEncoder::StartTask(int concurrent) {
    if (working_) throw FFmpegException("Cannot StartTask while working.");
    JoinThreads();
    auto run = std::make_shared<Run>();
    for (const auto& t : tasks_) run->specs.push_back({t->input, t->hasOutput, t->output});
    run->preview = PreviewBitmap;
    run->interval = ProgressInterval > 0 ? ProgressInterval : 500;
    run->priority = ThreadPriority;
    run->trigger = TriggerEventInMainThread;
    const int n = std::max(1, std::min<int>(concurrent, std::max<size_t>(1, run->specs.size())));
    run->workers = n;
    run_ = run;
    working_ = true;
    for (int i = 0; i < n; ++i) threads_.emplace_back([this, run] { Worker(run); });
}

void TFFmpegEncoder::PauseTasks() {
    if (!run_) return;
    std::lock_guard lock(run_->mutex);
    run_->paused = true;
}

void TFFmpegEncoder::ResumeTasks() {
    if (!run_) return;
    {
        std::lock_guard lock(run_->mutex);
        run_->paused = false;
    }
    run_->cv.notify_all();
}

bool TFFmpegEncoder::IsPaused() const {
    if (!run_) return false;
    std::lock_guard lock(run_->mutex);
    return run_->paused;
}

void TFFmpegEncoder::StopTasks(bool wait) {
    if (run_) {
        {
            std::lock_guard lock(run_->mutex);
            run_->stop = true;
            run_->paused = false;
        }
        run_->cv.notify_all();
    }
    if (wait) JoinThreads();
}

// With the events on the owner's thread, a call is queued there; `wait` makes
// the conversion thread wait for it, but never once a stop is asked for: the
// thread that stops may be the very one the delivery waits for.
void TFFmpegEncoder::Deliver(const std::shared_ptr<Run>& run, std::function<void()> call,
                             bool wait) {
    if (!run->trigger) {
        try {
            call();
        } catch (const std::exception& e) {
            Log(run, QString("Error in an event handler: %1").arg(e.what()));
        }
        return;
    }
    if (run->stop) return;
    auto done = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        this,
        [this, run, call = std::move(call), done] {
            try {
                call();
            } catch (const std::exception& e) {
                Log(run, QString("Error in an event handler: %1").arg(e.what()));
            }
            {
                std::lock_guard lock(run->mutex);
                *done = true;
            }
            run->cv.notify_all();
        },
        Qt::QueuedConnection);
    if (!wait) return;
    std::unique_lock lock(run->mutex);
    run->cv.wait(lock, [&] { return *done || run->stop.load(); });
}

void TFFmpegEncoder::Terminate(const std::shared_ptr<Run>& run, const TTerminateInfo& info) {
    if (!run->trigger) {
        try {
            OnTerminate.Invoke(info);
        } catch (const std::exception& e) {
            Log(run, QString("Error in an event handler: %1").arg(e.what()));
        }
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, run, info] {
            try {
                OnTerminate.Invoke(info);
            } catch (const std::exception& e) {
                Log(run, QString("Error in an event handler: %1").arg(e.what()));
            }
        },
        Qt::QueuedConnection);
}

void TFFmpegEncoder::Log(const std::shared_ptr<Run>& run, const QString& message) {
    if (!run->trigger) {
        OnLog.Invoke(message);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, message] { OnLog.Invoke(message); }, Qt::QueuedConnection);
}

namespace {

void ApplyPriority(TThreadPriority p) {
    // Threads the codecs start later inherit the conversion thread's setting.
    if (p == TThreadPriority::Idle) {
        sched_param param{};
        pthread_setschedparam(pthread_self(), SCHED_IDLE, &param);
        return;
    }
    const int nice = p == TThreadPriority::Lower ? 5 : p == TThreadPriority::Lowest ? 10 : 0;
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice);
}

}  // namespace

void TFFmpegEncoder::Worker(std::shared_ptr<Run> run) {
    ApplyPriority(run->priority);
    Host host(this, run);
    const int count = int(run->specs.size());
    for (;;) {
        const int i = run->next.fetch_add(1);
        if (i >= count) break;
        const Run::Spec& spec = run->specs[size_t(i)];
        TTerminateInfo info;
        info.TaskIndex = i;
        if (run->stop) {
            info.Finished = false;
        } else if (!spec.hasOutput) {
            info.Failed = true;
            info.ErrorText = QString("No output file set for task %1.").arg(i);
        } else {
            const TTranscodeResult r = RunTranscode(host, i, spec.input, spec.output);
            info.Finished = r.Finished;
            info.Failed = r.Failed;
            info.ErrorText = r.ErrorText;
        }
        if (info.Failed) Log(run, QString("Task %1 failed: %2").arg(i).arg(info.ErrorText));
        Terminate(run, info);
    }
    if (run->workers.fetch_sub(1) == 1) {
        // The last thread out reports the end of the batch; the batch no longer
        // counts as working when that report arrives.
        working_ = false;
        TTerminateInfo last;
        last.TaskIndex = -1;
        last.Finished = true;
        Terminate(run, last);
    }
}

}  // namespace fw::engine
