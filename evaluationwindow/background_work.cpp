#include "background_work.h"

#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <exception>

#include "command_wiring.h"

namespace {

// Shorter work is over before a busy indicator could be read.
constexpr int kBusyAfterMs = 100;

}  // namespace

TBackgroundWork::TBackgroundWork(QObject* parent) : QObject(parent) {
    busyDelay_.setSingleShot(true);
    busyDelay_.setInterval(kBusyAfterMs);
    connect(&busyDelay_, &QTimer::timeout, this, [this] {
        if (running_ == nullptr) return;
        shownBusy_ = true;
        emit busyChanged(true);
    });
}

TBackgroundWork::~TBackgroundWork() {
    if (cancel_) cancel_->store(true);
    for (QFutureWatcher<Delivery>* watcher : watchers_) {
        watcher->disconnect(this);
        watcher->waitForFinished();
    }
}

void TBackgroundWork::StartWork(Work work) {
    Cancel();
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    auto* watcher = new QFutureWatcher<Delivery>(this);
    connect(watcher, &QFutureWatcher<Delivery>::finished, this,
            [this, watcher] { Finished(watcher); });
    watcher->setFuture(QtConcurrent::run([work = std::move(work), cancel = cancel_]() -> Delivery {
        // No exception may leave the pool thread: it is handed to the UI
        // thread, which shows it as any command's error.
        try {
            return work(*cancel);
        } catch (...) {
            return [error = std::current_exception()] { std::rethrow_exception(error); };
        }
    }));
    running_ = watcher;
    watchers_.push_back(watcher);
    busyDelay_.start();
}

void TBackgroundWork::Cancel() {
    if (running_ == nullptr) return;
    cancel_->store(true);
    running_ = nullptr;
    EndBusy();
}

void TBackgroundWork::Finished(QFutureWatcher<Delivery>* watcher) {
    watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), watcher), watchers_.end());
    watcher->deleteLater();
    if (watcher != running_) return;  // cancelled: its result goes nowhere
    running_ = nullptr;
    EndBusy();
    const Delivery delivery = watcher->result();
    RunCommand(delivery);
}

void TBackgroundWork::EndBusy() {
    busyDelay_.stop();
    if (!shownBusy_) return;
    shownBusy_ = false;
    emit busyChanged(false);
}
