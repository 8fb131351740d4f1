#include "LauncherEntry.h"

#include <algorithm>

namespace quillmorph {

LauncherEntry::LauncherEntry(const QString& desktopId, const QWidget* window)
    : appUri_(desktopId.isEmpty()
                  ? QString()
                  : QStringLiteral("application://") + desktopId + QStringLiteral(".desktop")),
      window_(window) {}

QVariantMap LauncherEntry::properties(int done, int count) {
    if (count <= 0)
        return {{QStringLiteral("progress-visible"), false}};
    return {{QStringLiteral("progress"), std::clamp(double(done) / count, 0.0, 1.0)},
            {QStringLiteral("progress-visible"), true}};
}

void LauncherEntry::show(int done, int count) {
    if (count <= 0)
        return hide();
    const int percent = 100 * std::clamp(done, 0, count) / count;
    if (percent == shownPercent_)
        return;
    shownPercent_ = percent;
    send(properties(done, count));
}

void LauncherEntry::batchEnded(bool windowInFront) {
    if (!windowInFront)
        askForAttention();
}

void LauncherEntry::hide() {
    if (shownPercent_ < 0)
        return;
    shownPercent_ = -1;
    send(properties(0, 0));
}

} // namespace quillmorph
