#pragma once

#include <QObject>
#include <memory>

namespace quillmorph {

// Turns SIGINT, SIGTERM and SIGHUP into a request to stop, for as long as it lives: the handler
// only records the signal and wakes the owner's thread, where the work is done. A second
// signal ends the process as if nothing had been handled, so a program stuck in a long file can
// still be ended. One instance per process at a time; lives on a thread with an event loop when
// received() is wanted, any thread otherwise.
// Each system has its own implementation file. On Windows the console's events stand for the
// signals: Ctrl+C for SIGINT, Ctrl+Break for SIGBREAK, closing the console, logging off and
// shutting down for SIGTERM.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    // Restores the handlers that were there before.
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Any thread: the first signal caught, 0 while none.
    static int caught();

Q_SIGNALS:
    // The first signal caught, delivered through this object's event loop.
    void received(int signalNumber);

private:
    void onWake();

    // How the handler wakes this object's thread, as the system has it.
    struct Wake;
    std::unique_ptr<Wake> wake_;
};

} // namespace quillmorph
