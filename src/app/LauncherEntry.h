#pragma once

#include <QString>
#include <QVariantMap>

namespace quillmorph {

// The batch's progress on the desktop's task bar or dock, through the launcher-entry signal
// (D-Bus, com.canonical.Unity.LauncherEntry) that KDE's task manager and GNOME's docks show.
// Nothing happens without a session bus or a desktop entry to name. What is sent, and how, is
// each system's own implementation file's (Windows' task bar shows nothing yet). GUI thread.
class LauncherEntry {
public:
    // desktopId names the desktop entry the task bar shows the window by (without ".desktop").
    explicit LauncherEntry(const QString& desktopId);

    // done of count files are stored; count 0 shows nothing. Only a change of a whole percent
    // is sent: a batch of thousands of files does not flood the bus.
    void show(int done, int count);
    void hide();

    // The properties the signal carries for done of count (nothing shown when count is 0).
    static QVariantMap properties(int done, int count);

private:
    void send(const QVariantMap& properties) const;

    QString appUri_;
    int shownPercent_ = -1; // -1: nothing shown
};

} // namespace quillmorph
