#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QVariantMap>

#include "platform/desktop/Desktop.h"

namespace desktop {

// logind's answer is a descriptor held open for as long as sleep is held off;
// the portal's is a request object closed to let go.
struct SleepInhibitor::Hold {
    bool wanted = false;
    QDBusUnixFileDescriptor descriptor;
    QString portalRequest;
};

namespace {

using Hold = SleepInhibitor::Hold;

void ClosePortalRequest(const QString& path) {
    QDBusConnection::sessionBus().asyncCall(QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"), path,
        QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Close")));
}

// Calls `call` on `bus` and hands its reply to `done` on this thread.
template <typename Done>
void Ask(QDBusConnection bus, const QDBusMessage& call, Done done) {
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [done](QDBusPendingCallWatcher* w) {
                         done(*w);
                         w->deleteLater();
                     });
}

void AskPortal(const std::shared_ptr<Hold>& hold, const QString& why) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"),
        QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
    QVariantMap options;
    options.insert(QStringLiteral("reason"), why);
    call << QString() << 4u /* suspend */ + 8u /* idle */ << options;
    Ask(bus, call, [hold](QDBusPendingCallWatcher& w) {
        QDBusPendingReply<QDBusObjectPath> reply = w;
        if (reply.isError()) return;
        if (hold->wanted)
            hold->portalRequest = reply.value().path();
        else
            ClosePortalRequest(reply.value().path());  // let go of before it came
    });
}

}  // namespace

SleepInhibitor::SleepInhibitor() = default;

SleepInhibitor::~SleepInhibitor() { Release(); }

void SleepInhibitor::Acquire(const std::string& who, const std::string& why) {
    if (hold_ && hold_->wanted) return;
    // A fresh hold each time: replies to an earlier one find it no longer wanted.
    hold_ = std::make_shared<Hold>();
    hold_->wanted = true;
    const QString reason = QString::fromStdString(why);
    QDBusConnection system = QDBusConnection::systemBus();
    if (!system.isConnected()) {
        AskPortal(hold_, reason);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QString::fromStdString(who) << reason
         << QStringLiteral("block");
    Ask(system, call, [hold = hold_, reason](QDBusPendingCallWatcher& w) {
        QDBusPendingReply<QDBusUnixFileDescriptor> reply = w;
        if (reply.isError()) {
            if (hold->wanted) AskPortal(hold, reason);
            return;
        }
        if (hold->wanted) hold->descriptor = reply.value();  // closed with its last copy
    });
}

void SleepInhibitor::Release() {
    if (!hold_) return;
    hold_->wanted = false;
    hold_->descriptor = QDBusUnixFileDescriptor();
    if (!hold_->portalRequest.isEmpty()) ClosePortalRequest(hold_->portalRequest);
    hold_.reset();
}

}  // namespace desktop
