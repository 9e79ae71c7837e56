#include "shell/quit_signals.h"

#include <QSocketNotifier>

#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <string>

#include "platform/debug_out.h"
#include "platform/unique_fd.h"

namespace corvane::shell {
namespace {

constexpr std::array kQuitSignals{SIGTERM, SIGINT, SIGHUP};

// Written by the handler, read by the UI thread; the only state a handler may touch.
int g_signalFd = -1;
volatile sig_atomic_t g_lastSignal = 0;

void OnQuitSignal(int signal) {
    const int saved = errno;
    g_lastSignal = signal;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalFd, &one, sizeof one);
    errno = saved;
}

platform::UniqueFd& SignalFd() {
    static platform::UniqueFd fd;
    return fd;
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> quit) : quit_(std::move(quit)) {
    SignalFd().Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!SignalFd()) {
        platform::debugOut("signals: no eventfd; SIGTERM ends the program without its shutdown");
        return;
    }
    g_signalFd = SignalFd().Get();
    notifier_ = std::make_unique<QSocketNotifier>(g_signalFd, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { OnSignal(); });
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kQuitSignals) ::sigaction(signal, &action, nullptr);
}

QuitSignals::~QuitSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : kQuitSignals) ::sigaction(signal, &action, nullptr);
    notifier_.reset();
    g_signalFd = -1;
    SignalFd().Reset();
}

void QuitSignals::OnSignal() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(SignalFd().Get(), &count, sizeof count);
    platform::debugOut("signals: " + std::to_string(static_cast<int>(g_lastSignal)) + " received, quitting");
    if (quit_) quit_();
}

}  // namespace corvane::shell
