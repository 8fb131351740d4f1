#pragma once

#include <QVariantMap>
#include <QtGlobal>
#include <memory>

namespace quillmorph {

// What the Windows task bar is told about a window's button (ITaskbarList3, FlashWindowEx);
// an interface so that a test can see the calls, which Wine's task bar does not show.
class TaskbarCalls {
public:
    virtual ~TaskbarCalls() = default;
    virtual void setProgress(quintptr window, quint64 done, quint64 total) = 0;
    virtual void clearProgress(quintptr window) = 0;
    // Flashes the button once and leaves it lit until the window comes to the front.
    virtual void flash(quintptr window) = 0;
};

// The launcher's properties (LauncherEntry::properties) as the task bar's calls.
void tellTaskbar(TaskbarCalls& taskbar, quintptr window, const QVariantMap& properties);

// The running system's task bar.
std::unique_ptr<TaskbarCalls> systemTaskbar();

} // namespace quillmorph
