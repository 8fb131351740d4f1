#include "LauncherEntryWindows.h"

#include "LauncherEntry.h"

#include <QWidget>
#include <cmath>

#include <windows.h>
#include <shobjidl.h>

namespace quillmorph {

namespace {

// Parts of a whole the button's bar is told in: fine enough for a whole percent.
constexpr quint64 kParts = 1000;

HWND handle(quintptr window) {
    return reinterpret_cast<HWND>(window);
}

class SystemTaskbar : public TaskbarCalls {
public:
    SystemTaskbar() {
        if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_ITaskbarList3, reinterpret_cast<void**>(&list_))) ||
            FAILED(list_->HrInit())) {
            release();
        }
    }
    ~SystemTaskbar() override { release(); }
    SystemTaskbar(const SystemTaskbar&) = delete;
    SystemTaskbar& operator=(const SystemTaskbar&) = delete;

    void setProgress(quintptr window, quint64 done, quint64 total) override {
        if (!list_)
            return;
        list_->SetProgressState(handle(window), TBPF_NORMAL);
        list_->SetProgressValue(handle(window), done, total);
    }
    void clearProgress(quintptr window) override {
        if (list_)
            list_->SetProgressState(handle(window), TBPF_NOPROGRESS);
    }
    void flash(quintptr window) override {
        FLASHWINFO flash{sizeof(FLASHWINFO), handle(window), FLASHW_TRAY, 1, 0};
        FlashWindowEx(&flash);
    }

private:
    void release() {
        if (list_)
            list_->Release();
        list_ = nullptr;
    }
    ITaskbarList3* list_ = nullptr;
};

quintptr buttonOf(const QWidget* window) {
    // Only a window shown on the desktop has a button (and a native handle to name it by).
    return window && window->isVisible() ? quintptr(window->winId()) : 0;
}

} // namespace

void tellTaskbar(TaskbarCalls& taskbar, quintptr window, const QVariantMap& properties) {
    if (!properties.value(QStringLiteral("progress-visible")).toBool())
        return taskbar.clearProgress(window);
    const double share = properties.value(QStringLiteral("progress")).toDouble();
    taskbar.setProgress(window, quint64(std::lround(share * kParts)), kParts);
}

std::unique_ptr<TaskbarCalls> systemTaskbar() {
    return std::make_unique<SystemTaskbar>();
}

void LauncherEntry::send(const QVariantMap& properties) const {
    if (const quintptr window = buttonOf(window_))
        tellTaskbar(*systemTaskbar(), window, properties);
}

void LauncherEntry::askForAttention() const {
    if (const quintptr window = buttonOf(window_))
        systemTaskbar()->flash(window);
}

} // namespace quillmorph
