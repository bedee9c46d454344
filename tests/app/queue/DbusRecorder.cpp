// A stand-in for the desktop's notification service and sleep portal on a
// private D-Bus session: each call it gets becomes a line of the file named by
// its argument ("Notify<TAB>summary<TAB>body", "Inhibit<TAB>reason", "Close").
// The first line, "ready", says the names are taken.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QFile>
#include <QTextStream>
#include <QVariantMap>

namespace {

class Recorder : public QDBusVirtualObject {
public:
    explicit Recorder(const QString& file) : file_(file) {
        file_.open(QIODevice::WriteOnly | QIODevice::Text);
    }
    void Write(const QString& line) {
        file_.write((line + "\n").toUtf8());
        file_.flush();
    }
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        const QList<QVariant> args = message.arguments();
        QDBusMessage reply = message.createReply();
        if (message.member() == QLatin1String("Notify") && args.size() >= 5) {
            Write(QStringLiteral("Notify\t%1\t%2").arg(args[3].toString(), args[4].toString()));
            reply << 1u;
        } else if (message.member() == QLatin1String("Inhibit") && args.size() >= 3) {
            Write(QStringLiteral("Inhibit\t%1")
                      .arg(qdbus_cast<QVariantMap>(args[2])
                               .value(QStringLiteral("reason"))
                               .toString()));
            reply << QVariant::fromValue(
                QDBusObjectPath(QStringLiteral("/org/freedesktop/portal/desktop/request/1/q1")));
        } else if (message.member() == QLatin1String("Close")) {
            Write(QStringLiteral("Close"));
        } else {
            return false;
        }
        bus.send(reply);
        return true;
    }

private:
    QFile file_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) return 2;
    Recorder recorder(QString::fromLocal8Bit(argv[1]));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), &recorder) ||
        !bus.registerVirtualObject(QStringLiteral("/org/freedesktop/portal/desktop"), &recorder,
                                   QDBusConnection::SubPath) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications")) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")))
        return 1;
    recorder.Write(QStringLiteral("ready"));
    return app.exec();
}
