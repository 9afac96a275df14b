#include "app/gui_thread_caller.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <condition_variable>
#include <mutex>

// Shared by the caller object, every waiting caller and every posted call, so
// that none of them outlives what it locks.
struct GuiThreadCaller::State {
  std::mutex mutex;
  std::condition_variable changed;
  bool closing = false;
};

namespace {

struct PostedCall {
  bool done = false;
};

}  // namespace

GuiThreadCaller::GuiThreadCaller(QObject* context)
    : context_(context), state_(std::make_shared<State>()) {}

bool GuiThreadCaller::run(std::function<void()> operation) {
  if (QThread::currentThread() == context_->thread()) {
    operation();
    return true;
  }

  const std::shared_ptr<State> state = state_;
  auto posted = std::make_shared<PostedCall>();
  {
    std::lock_guard lock(state->mutex);
    if (state->closing) return false;
  }

  QMetaObject::invokeMethod(
      context_,
      [state, posted, operation = std::move(operation)] {
        // The switch is only thrown on this thread, so it cannot flip between
        // this check and the operation.
        {
          std::lock_guard lock(state->mutex);
          if (state->closing) return;
        }
        operation();
        {
          std::lock_guard lock(state->mutex);
          posted->done = true;
        }
        state->changed.notify_all();
      },
      Qt::QueuedConnection);

  std::unique_lock lock(state->mutex);
  state->changed.wait(lock, [&] { return posted->done || state->closing; });
  return posted->done;
}

void GuiThreadCaller::close() {
  {
    std::lock_guard lock(state_->mutex);
    state_->closing = true;
  }
  state_->changed.notify_all();
}

bool GuiThreadCaller::isClosing() const {
  std::lock_guard lock(state_->mutex);
  return state_->closing;
}
