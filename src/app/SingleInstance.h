#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

#include "files/FilePath.h"

class QLocalSocket;

namespace quillmorph {

// Keeps to one running copy per user: the first copy holds a lock file and listens on a local
// socket beside it (on Windows, a pipe named for the user and the session); a later copy finds
// the lock taken and can hand its files to the first one. Both ends talk only to a process of
// the same user. Lives on the GUI thread.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // folder holds the lock and the socket; it is created when missing. An empty folder: no
    // place to meet, so this copy runs alone and takes no hand-overs.
    explicit SingleInstance(const QString& folder, QObject* parent = nullptr);

    // Where the copies of one user meet: a folder of theirs that nobody else can enter (see
    // meetingFolder), from the session's runtime folder and the user's cache and configuration
    // folders (on Windows, the local application data and the user's temporary folder). Never
    // the shared temporary folder.
    static QString userFolder();
    // runtime when it is the user's own, not a link and closed to everyone else; otherwise the
    // first of the fallbacks that is, or can be made, such a folder (made 0700 when missing, an
    // existing one of the user's own closed); empty when none is.
    static QString meetingFolder(const QString& runtime, const QStringList& fallbacks);

    // The local socket the first copy listens on.
    const QString& serverName() const { return serverName_; }

    // True when no other copy runs: this one then holds the lock and takes hand-overs until it
    // is destroyed. False when another live copy holds the lock. A lock or socket another user
    // left in the folder is removed first; a lock of ours that names no process (a crash while
    // it was written) is taken over. Call once.
    bool claim();

    // How long a hand-over may take, from connecting to the answer, on either side.
    static constexpr int kHandOverTimeoutMs = 10000;

    // For a later copy: gives files (absolute paths) to the running copy and blocks until it
    // has confirmed them; false when it could not be reached within timeoutMs, or what listens
    // is not this user's. With a preset's name, the files convert with that preset.
    bool handOver(const FilePaths& files, int timeoutMs = kHandOverTimeoutMs,
                  const QString& preset = {}) const;

Q_SIGNALS:
    // The first copy: a later copy handed over these files, to convert with preset (empty: with
    // the window's choices).
    void filesReceived(const quillmorph::FilePaths& files, const QString& preset);

private:
    void onNewConnection();
    void readHandOver(QLocalSocket* socket);

    const QString folder_;
    const QString serverName_;
    QLockFile lock_;
    QLocalServer server_;
};

} // namespace quillmorph
