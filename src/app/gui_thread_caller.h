// GuiThreadCaller: carries window operations from any thread to the GUI thread.
//
// A call made on the GUI thread runs at once. From another thread, operations
// go into one queue that the GUI thread works through in order:
//  - post() queues an operation and returns without waiting (it waits only
//    while the queue is full), so a worker's writes cost no round trip;
//  - run() / call() queue an operation behind everything posted before and
//    wait until it has been applied.
// The GUI thread applies queued operations in slices of a few milliseconds and
// returns to its event loop between slices, so the window repaints and takes
// input however fast a worker posts. Slices are also served while the GUI
// thread sits in a nested event loop (a popup menu or a modal message box).
// The slice hooks run before and after each slice on the GUI thread (the list
// uses them to announce a slice's new rows at once).
//
// Shutdown: close() is the closing switch. It drops what is queued, wakes
// every waiting caller, and from then on calls from other threads return at
// once without running their operation. The GUI thread can therefore join a
// worker after close() without the worker waiting on it forever.
//
// The context object must outlive every caller: join workers after close()
// and before the window is destroyed.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

class QObject;
class QSocketNotifier;

class GuiThreadCaller {
 public:
  using Operation = std::function<void()>;

  static constexpr std::size_t kQueueCapacity = 4096;
  static constexpr std::chrono::milliseconds kSliceLength{8};

  // `context` is the object whose thread runs the operations; construct the
  // caller on that thread.
  explicit GuiThreadCaller(QObject* context);
  ~GuiThreadCaller();

  // Copying would split the queue and the closing switch between copies.
  GuiThreadCaller(const GuiThreadCaller&) = delete;
  GuiThreadCaller& operator=(const GuiThreadCaller&) = delete;

  void setSliceHooks(Operation beginSlice, Operation endSlice);

  bool onGuiThread() const;

  // Queues `operation` without waiting for it; false when the closing switch
  // was thrown first (from another thread).
  bool post(Operation operation);

  // Runs `operation` on the GUI thread after everything posted before it and
  // waits for it; true when it ran, false when the closing switch came first.
  bool run(Operation operation);

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

  bool enqueue(Operation operation);
  void onWake();
  void applySlice();

  QObject* context_;
  std::shared_ptr<State> state_;
  // A worker wakes the GUI thread through this counter rather than by posting
  // a Qt event itself, so every hand-over between the threads goes through
  // synchronisation of our own (the queue's lock and the counter).
  int wakeFd_;
  std::unique_ptr<QSocketNotifier> wakeNotifier_;
};
