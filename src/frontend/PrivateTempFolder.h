#pragma once

#include <QByteArray>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <optional>
#include <utility>

namespace quillmorph {

// A temporary folder of this process's own inside the system's, where every temporary file of
// the process goes: TMPDIR (on Windows TMP and TEMP) names it while it lives, for libvips (a
// picture it cannot stream is unpacked to disc there), ImageMagick and Qt. Whatever a library
// leaves behind goes with the folder when it is destroyed, at the end of main, a SIGTERM's orderly
// exit included. Folders of ours left by a process that was killed outright are removed as the next
// one starts. Make it first in main, before the imaging engine and any thread starts. Main thread.
class PrivateTempFolder {
public:
    PrivateTempFolder();
    // Removes the folder and everything in it, and gives TMPDIR (TMP, TEMP) back its earlier value.
    ~PrivateTempFolder();
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

    // False when it could not be made: the system's temporary folder is used as before.
    bool isValid() const { return dir_ && dir_->isValid(); }
    QString path() const { return isValid() ? dir_->path() : QString(); }

    // This process's environment with TMPDIR (TMP, TEMP) as it was outside the folder: a program
    // started from here (a file manager, a browser) may outlive the folder. Any thread.
    static QProcessEnvironment environmentOutside();

    // Removes the folders of ours in parent whose process is gone; the prefix is ours.
    static void removeLeftovers(const QString& parent);

private:
    std::optional<QTemporaryDir> dir_; // made once leftovers are gone
    // Each variable naming the folder with its earlier value; nothing: it was not set.
    QList<std::pair<QByteArray, std::optional<QByteArray>>> previous_;
};

} // namespace quillmorph
