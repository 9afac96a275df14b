#include "app/gui_thread_caller.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QObject>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <condition_variable>
#include <deque>
#include <mutex>

// Shared by the caller object and every waiting caller, so that none of them
// outlives what it locks.
struct GuiThreadCaller::State {
  std::mutex mutex;
  std::condition_variable changed;  // room in the queue, an operation done, or closing
  std::deque<Operation> queue;
  bool slicePending = false;  // a slice is scheduled on the GUI thread
  bool closing = false;
  Operation beginSlice;
  Operation endSlice;
};

GuiThreadCaller::GuiThreadCaller(QObject* context)
    : context_(context),
      state_(std::make_shared<State>()),
      wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
      wakeNotifier_(std::make_unique<QSocketNotifier>(wakeFd_, QSocketNotifier::Read)) {
  QObject::connect(wakeNotifier_.get(), &QSocketNotifier::activated, context_,
                   [this] { onWake(); });
}

GuiThreadCaller::~GuiThreadCaller() {
  wakeNotifier_.reset();  // stops watching before the descriptor goes
  ::close(wakeFd_);
}

void GuiThreadCaller::setSliceHooks(Operation beginSlice, Operation endSlice) {
  state_->beginSlice = std::move(beginSlice);
  state_->endSlice = std::move(endSlice);
}

bool GuiThreadCaller::onGuiThread() const { return QThread::currentThread() == context_->thread(); }

bool GuiThreadCaller::post(Operation operation) {
  if (onGuiThread()) {
    operation();
    return true;
  }
  return enqueue(std::move(operation));
}

bool GuiThreadCaller::run(Operation operation) {
  if (onGuiThread()) {
    operation();
    return true;
  }
  const std::shared_ptr<State> state = state_;
  auto done = std::make_shared<bool>(false);
  const bool queued = enqueue([state, done, operation = std::move(operation)] {
    operation();
    std::lock_guard lock(state->mutex);
    *done = true;
  });
  if (!queued) return false;
  std::unique_lock lock(state->mutex);
  state->changed.wait(lock, [&] { return *done || state->closing; });
  return *done;
}

bool GuiThreadCaller::enqueue(Operation operation) {
  const std::shared_ptr<State> state = state_;
  bool scheduleSlice = false;
  {
    std::unique_lock lock(state->mutex);
    state->changed.wait(lock, [&] { return state->queue.size() < kQueueCapacity || state->closing; });
    if (state->closing) return false;
    state->queue.push_back(std::move(operation));
    scheduleSlice = !state->slicePending;
    state->slicePending = true;
  }
  if (scheduleSlice) {
    // Only a counter crosses to the GUI thread: what to run is in the queue,
    // handed over under our own lock.
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
  }
  return true;
}

void GuiThreadCaller::onWake() {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t read = ::read(wakeFd_, &count, sizeof count);
  // A posted call of the window's own, so that it queues behind what the
  // window has pending already.
  QMetaObject::invokeMethod(context_, [this] { applySlice(); }, Qt::QueuedConnection);
}

void GuiThreadCaller::applySlice() {
  State& state = *state_;
  if (state.beginSlice) state.beginSlice();
  const qint64 sliceNs = std::chrono::nanoseconds(kSliceLength).count();
  QElapsedTimer clock;
  clock.start();
  bool more = false;
  for (;;) {
    // A few operations at a time keeps the lock short for the worker.
    std::deque<Operation> batch;
    {
      std::lock_guard lock(state.mutex);
      if (state.closing || state.queue.empty()) {
        state.slicePending = false;
        break;
      }
      const auto take = static_cast<std::ptrdiff_t>(std::min<std::size_t>(state.queue.size(), 64));
      batch.assign(std::make_move_iterator(state.queue.begin()),
                   std::make_move_iterator(state.queue.begin() + take));
      state.queue.erase(state.queue.begin(), state.queue.begin() + take);
    }
    state.changed.notify_all();  // room in the queue
    for (Operation& operation : batch) operation();
    state.changed.notify_all();  // operations done
    if (clock.nsecsElapsed() >= sliceNs) {
      more = true;  // still pending: the next slice picks up the rest
      break;
    }
  }
  if (state.endSlice) state.endSlice();
  if (more) {
    // Back to the event loop for painting and input before the next slice.
    QTimer::singleShot(0, context_, [this] { applySlice(); });
  }
}

void GuiThreadCaller::close() {
  {
    std::lock_guard lock(state_->mutex);
    state_->closing = true;
    state_->queue.clear();
  }
  state_->changed.notify_all();
}

bool GuiThreadCaller::isClosing() const {
  std::lock_guard lock(state_->mutex);
  return state_->closing;
}
