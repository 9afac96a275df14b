// GuiThreadCaller: runs window operations on the GUI thread for any caller.
//
// A call made on the GUI thread runs at once. A call from another thread is
// posted to the GUI thread's event queue and the caller waits until it has
// been applied, so one caller's operations take effect in the order it makes
// them. Posted calls are also served while the GUI thread sits in a nested
// event loop (a popup menu or a modal message box).
//
// Shutdown: close() is the closing switch. It wakes every waiting caller, and
// from then on calls from other threads return their fallback at once and
// posted calls that have not run yet are dropped. The GUI thread can therefore
// join a worker after close() without the worker waiting on it forever.
//
// The context object must outlive every caller: join workers after close()
// and before the window is destroyed.
#pragma once

#include <functional>
#include <memory>

class QObject;

class GuiThreadCaller {
 public:
  // `context` is the object whose thread runs the operations.
  explicit GuiThreadCaller(QObject* context);

  // Copying would split the closing switch between copies.
  GuiThreadCaller(const GuiThreadCaller&) = delete;
  GuiThreadCaller& operator=(const GuiThreadCaller&) = delete;

  // Runs `operation` on the GUI thread; true when it ran, false when the
  // closing switch was thrown first (from another thread).
  bool run(std::function<void()> operation);

  // As run(), returning the operation's result or `fallback` when it did not run.
  template <class Result>
  Result call(std::function<Result()> operation, Result fallback) {
    auto result = std::make_shared<Result>(std::move(fallback));
    run([result, operation = std::move(operation)] { *result = operation(); });
    return std::move(*result);
  }

  // The closing switch; call it on the GUI thread. Cannot be undone.
  void close();
  bool isClosing() const;

 private:
  struct State;

  QObject* context_;
  std::shared_ptr<State> state_;
};
