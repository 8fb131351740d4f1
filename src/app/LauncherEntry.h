#pragma once

#include <QString>
#include <QVariantMap>

class QWidget;

namespace quillmorph {

// The batch's progress on the desktop's task bar or dock, through the launcher-entry signal
// (D-Bus, com.canonical.Unity.LauncherEntry) that KDE's task manager and GNOME's docks show;
// nothing happens there without a session bus or a desktop entry to name. On Windows, the
// window's task bar button (ITaskbarList3), which also flashes when a batch ends behind other
// windows. What is sent, and how, is each system's own implementation file's. GUI thread.
class LauncherEntry {
public:
    // desktopId names the desktop entry the task bar shows the window by (without ".desktop");
    // window is the one whose button shows the progress (may be null: none on Windows).
    explicit LauncherEntry(const QString& desktopId, const QWidget* window = nullptr);

    // done of count files are stored; count 0 shows nothing. Only a change of a whole percent
    // is sent: a batch of thousands of files does not flood the bus.
    void show(int done, int count);
    void hide();
    // A batch has ended: a window not in front asks for the user's attention where the system
    // has such a thing (Windows' flashing button), once.
    void batchEnded(bool windowInFront);

    // The properties the signal carries for done of count (nothing shown when count is 0).
    static QVariantMap properties(int done, int count);

private:
    void send(const QVariantMap& properties) const;
    void askForAttention() const;

    QString appUri_;
    const QWidget* window_;
    int shownPercent_ = -1; // -1: nothing shown
};

} // namespace quillmorph
