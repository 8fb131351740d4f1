#include "frontend/TerminationSignals.h"

#include <QSocketNotifier>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace quillmorph {

namespace {

constexpr std::array kSignals{SIGINT, SIGTERM, SIGHUP};

// A signal handler reaches nothing but process-wide state; both are set only while a
// TerminationSignals lives.
std::atomic<int> caughtSignal{0};
std::atomic<int> wakeFd{-1};
std::array<struct sigaction, kSignals.size()> previous{};

void onSignal(int signalNumber) {
    const int savedErrno = errno;
    int none = 0;
    caughtSignal.compare_exchange_strong(none, signalNumber);
    if (const int fd = wakeFd.load(); fd >= 0) {
        const char byte = 1;
        // A full pipe already holds a wake-up; nothing is lost by dropping this one.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

// A pipe the handler writes a byte to.
struct TerminationSignals::Wake {
    int pipe[2] = {-1, -1};
    QSocketNotifier* notifier = nullptr; // a child of the object
};

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent), wake_(std::make_unique<Wake>()) {
    caughtSignal = 0;
    if (::pipe2(wake_->pipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        wakeFd = wake_->pipe[1];
        wake_->notifier = new QSocketNotifier(wake_->pipe[0], QSocketNotifier::Read, this);
        connect(wake_->notifier, &QSocketNotifier::activated, this, &TerminationSignals::onWake);
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted reads and writes of the libraries go on; a second signal is not caught.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &action, &previous[i]);
}

TerminationSignals::~TerminationSignals() {
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &previous[i], nullptr);
    wakeFd = -1;
    delete wake_->notifier;
    for (const int fd : wake_->pipe) {
        if (fd >= 0)
            ::close(fd);
    }
}

int TerminationSignals::caught() {
    return caughtSignal.load();
}

void TerminationSignals::onWake() {
    char bytes[16];
    while (::read(wake_->pipe[0], bytes, sizeof bytes) > 0) {
    }
    if (const int signalNumber = caught(); signalNumber != 0)
        Q_EMIT received(signalNumber);
}

} // namespace quillmorph
