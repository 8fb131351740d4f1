#include "LauncherEntry.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <algorithm>

namespace quillmorph {

LauncherEntry::LauncherEntry(const QString& desktopId)
    : appUri_(desktopId.isEmpty()
                  ? QString()
                  : QStringLiteral("application://") + desktopId + QStringLiteral(".desktop")) {}

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

void LauncherEntry::hide() {
    if (shownPercent_ < 0)
        return;
    shownPercent_ = -1;
    send(properties(0, 0));
}

void LauncherEntry::send(const QVariantMap& properties) const {
    if (appUri_.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // The listeners take the signal from any object path; they match the entry by its URI.
    QDBusMessage update = QDBusMessage::createSignal(
        QStringLiteral("/io/github/quillmorph/LauncherEntry"),
        QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    update << appUri_ << properties;
    bus.send(update);
}

} // namespace quillmorph
