#include "main/qt/QtSignalPipe.h"

#include <fcntl.h>
#include <unistd.h>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <utility>

namespace quillop {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

}  // namespace

std::atomic<int> SignalPipe::handlerWriteEnd_{-1};
std::atomic<bool> SignalPipe::throughLoop_{false};

void SignalPipe::OnSignal(int) {
    if (!throughLoop_.load()) {
        _exit(0);
    }
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = write(handlerWriteEnd_.load(), &byte, 1);
    errno = saved;
}

SignalPipe::SignalPipe(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    readEnd_ = fds[0];
    writeEnd_ = fds[1];
    handlerWriteEnd_ = writeEnd_;
    notifier_ = std::make_unique<QSocketNotifier>(readEnd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
        char bytes[16];
        while (read(readEnd_, bytes, sizeof bytes) > 0) {
        }
        onSignal_();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) {
        sigaction(signal, &action, nullptr);
    }
}

SignalPipe::~SignalPipe() {
    for (const int signal : kSignals) {
        std::signal(signal, SIG_DFL);
    }
    notifier_.reset();
    if (readEnd_ >= 0) {
        handlerWriteEnd_ = -1;
        close(readEnd_);
        close(writeEnd_);
    }
}

}  // namespace quillop
