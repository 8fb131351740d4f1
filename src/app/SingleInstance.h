#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

#include "FilePath.h"

class QLocalSocket;

namespace quillmorph {

// Keeps to one running copy per user: the first copy holds a lock file and listens on a local
// socket beside it; a later copy finds the lock taken and can hand its files to the first one.
// Lives on the GUI thread.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // folder holds the lock and the socket; it is created when missing.
    explicit SingleInstance(const QString& folder, QObject* parent = nullptr);

    // The user's runtime folder, where the copies of one user meet.
    static QString userFolder();

    // The local socket the first copy listens on.
    const QString& serverName() const { return serverName_; }

    // True when no other copy runs: this one then holds the lock and takes hand-overs until it
    // is destroyed. False when another live copy holds the lock. Call once.
    bool claim();

    // How long a hand-over may take, from connecting to the answer, on either side.
    static constexpr int kHandOverTimeoutMs = 10000;

    // For a later copy: gives files (absolute paths) to the running copy and blocks until it
    // has confirmed them; false when it could not be reached within timeoutMs.
    bool handOver(const FilePaths& files, int timeoutMs = kHandOverTimeoutMs) const;

Q_SIGNALS:
    // The first copy: a later copy handed over these files.
    void filesReceived(const quillmorph::FilePaths& files);

private:
    void onNewConnection();
    void readHandOver(QLocalSocket* socket);

    const QString serverName_;
    QLockFile lock_;
    QLocalServer server_;
};

} // namespace quillmorph
