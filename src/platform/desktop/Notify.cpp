#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QStringList>
#include <QVariantMap>

#include "platform/desktop/Desktop.h"

namespace desktop {

void Notify(const std::string& title, const std::string& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("io.github.quorvel.Converter"));
    call << QStringLiteral("Quorvel Video Converter") << 0u
         << QStringLiteral("io.github.quorvel.Converter") << QString::fromStdString(title)
         << QString::fromStdString(body) << QStringList() << hints << -1;
    // Nobody waits for the answer: without a notification service it is an error
    // reply that nothing reads.
    bus.asyncCall(call);
}

}  // namespace desktop
