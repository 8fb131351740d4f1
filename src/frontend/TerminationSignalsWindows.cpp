#include "frontend/TerminationSignalsWindows.h"

#include "frontend/TerminationSignals.h"

#include <atomic>
#include <csignal>
#include <functional>
#include <mutex>
#include <windows.h>

namespace quillmorph {

namespace {

// The handler runs on a thread the system starts for it and reaches only this; both are set
// only while a TerminationSignals lives.
std::atomic<int> caughtSignal{0};
std::mutex ownerMutex;
const std::function<void()>* wakeOwner = nullptr; // guarded by ownerMutex

int signalFor(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
        return SIGINT;
    case CTRL_BREAK_EVENT:
        return SIGBREAK;
    default: // the console closed, the user logging off, the system shutting down
        return SIGTERM;
    }
}

bool ownerLives() {
    const std::lock_guard lock(ownerMutex);
    return wakeOwner != nullptr;
}

BOOL WINAPI onConsoleEvent(DWORD event) {
    return takeConsoleEvent(event) ? TRUE : FALSE;
}

} // namespace

bool takeConsoleEvent(unsigned long event) {
    int none = 0;
    // A second event goes on to the system's handler, which ends the process.
    if (!caughtSignal.compare_exchange_strong(none, signalFor(event)))
        return false;
    {
        const std::lock_guard lock(ownerMutex);
        if (wakeOwner != nullptr)
            (*wakeOwner)();
    }
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        return true;
    // After these the system ends the process as soon as the handler returns, so it waits while
    // the owner finishes its file and saves, within the few seconds the system grants.
    while (ownerLives())
        Sleep(50);
    return true;
}

// A call that queues onWake to the object's thread.
struct TerminationSignals::Wake {
    std::function<void()> post;
};

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent), wake_(std::make_unique<Wake>()) {
    caughtSignal = 0;
    wake_->post = [this] {
        QMetaObject::invokeMethod(this, &TerminationSignals::onWake, Qt::QueuedConnection);
    };
    {
        const std::lock_guard lock(ownerMutex);
        wakeOwner = &wake_->post;
    }
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

TerminationSignals::~TerminationSignals() {
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    const std::lock_guard lock(ownerMutex);
    wakeOwner = nullptr;
}

int TerminationSignals::caught() {
    return caughtSignal.load();
}

void TerminationSignals::onWake() {
    if (const int signalNumber = caught(); signalNumber != 0)
        Q_EMIT received(signalNumber);
}

} // namespace quillmorph
