// Termination signals (SIGTERM, SIGINT, SIGHUP) carried into the Qt event loop.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace quillop {

// A pipe whose write end the signal handler writes a byte to, and whose read end wakes the
// loop. While it lives, the signals are handled; its end gives them their default back. One at a
// time. Until ThroughLoop, a signal ends the program at once with exit code 0: while the settings
// are read the start-up may wait on the system, and it has nothing to save yet.
class SignalPipe {
  public:
    // `onSignal` runs in the loop after one or more signals. Without a pipe the signals keep
    // their default.
    explicit SignalPipe(std::function<void()> onSignal);
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    // From now on signals go through the loop.
    void ThroughLoop() { throughLoop_ = true; }

  private:
    // The handler: writes one byte to the pipe.
    static void OnSignal(int);

    // NOTE: a signal handler is given nothing but the signal's number, so the one write end it
    // may use is kept where it can reach without an object; it is atomic, as the handler may run
    // while it changes.
    static std::atomic<int> handlerWriteEnd_;
    static std::atomic<bool> throughLoop_;

    int readEnd_ = -1;
    int writeEnd_ = -1;
    std::function<void()> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace quillop
