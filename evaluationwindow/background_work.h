#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

// Runs one piece of long work at a time off the UI thread, with a cancel
// flag it polls. What the work found reaches the window on the UI thread,
// unless the work was cancelled or superseded in the meantime: a closed or
// reopened window never gets a late result. Work that lasts longer than a
// tenth of a second shows the window busy.
class TBackgroundWork : public QObject {
    Q_OBJECT

  public:
    // Runs on the UI thread with the work's result.
    using Delivery = std::function<void()>;
    using Work = std::function<Delivery(const std::atomic<bool>& cancel)>;

    explicit TBackgroundWork(QObject* parent);
    // Cancels what still runs and waits for it: it touches nothing of the
    // window, and stops soon once cancelled.
    ~TBackgroundWork() override;

    // Starts `work(cancel)` on a pool thread after cancelling the work that
    // still runs. `compute` must not touch widgets; what it returns is run
    // on the UI thread as a command (an error it throws is shown). An error
    // thrown by `compute` itself is shown the same way.
    template <class Compute, class Deliver>
    void Start(Compute compute, Deliver deliver) {
        StartWork([compute = std::move(compute),
                   deliver = std::move(deliver)](const std::atomic<bool>& cancel) -> Delivery {
            auto result = std::make_shared<decltype(compute(cancel))>(compute(cancel));
            return [deliver, result] { deliver(std::move(*result)); };
        });
    }

    // Asks the running work to stop and drops its result.
    void Cancel();

    bool Busy() const { return running_ != nullptr; }

  signals:
    // True a tenth of a second after work starts, false when it ends.
    void busyChanged(bool busy);

  private:
    void StartWork(Work work);
    void Finished(QFutureWatcher<Delivery>* watcher);
    void EndBusy();

    std::shared_ptr<std::atomic<bool>> cancel_;
    QFutureWatcher<Delivery>* running_ = nullptr;
    std::vector<QFutureWatcher<Delivery>*> watchers_;  // also cancelled ones still running
    QTimer busyDelay_;
    bool shownBusy_ = false;
};
