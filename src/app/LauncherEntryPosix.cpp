#include "LauncherEntry.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace quillmorph {

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

// The docks show the progress; asking for attention is left to the completion box.
void LauncherEntry::askForAttention() const {}

} // namespace quillmorph
