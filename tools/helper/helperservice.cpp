// SPDX-License-Identifier: GPL-3.0-or-later
#include "helperservice.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMap>
#include <QVariantMap>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#include "sysfsio.h"

namespace
{

// polkit's subject, (sa{sv}): always the caller's unique bus name, which no other process can ever
// take over, never a process id that could be reused.
struct PolkitSubject {
    QString kind;
    QVariantMap details;
};

using PolkitDetails = QMap<QString, QString>;

QDBusArgument &operator<<(QDBusArgument &argument, const PolkitSubject &subject)
{
    argument.beginStructure();
    argument << subject.kind << subject.details;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PolkitSubject &subject)
{
    argument.beginStructure();
    argument >> subject.kind >> subject.details;
    argument.endStructure();
    return argument;
}

// CheckAuthorization's flag that lets polkit ask the user for a password.
constexpr uint allowUserInteraction = 1;

} // namespace

Q_DECLARE_METATYPE(PolkitSubject)
Q_DECLARE_METATYPE(PolkitDetails)

HelperService::HelperService(QByteArray cpuTree, QObject *parent)
    : QObject(parent)
    , cpuTree(std::move(cpuTree))
{
    qDBusRegisterMetaType<PolkitSubject>();
    qDBusRegisterMetaType<PolkitDetails>();
}

bool HelperService::publish(QDBusConnection connection)
{
    bus = connection;
    return connection.registerObject(QLatin1String(objectPath), this, QDBusConnection::ExportScriptableSlots)
           && connection.registerService(QLatin1String(serviceName));
}

void HelperService::SetAttribute(uint cpu, const QString &name, const QString &value)
{
    begin({HelperRequest::Kind::Attribute, cpu, name, value});
}

void HelperService::SetOnline(uint cpu, bool online)
{
    begin({HelperRequest::Kind::Online, cpu, QString(), online ? QStringLiteral("1") : QStringLiteral("0")});
}

void HelperService::SetSwitch(const QString &name, const QString &value)
{
    begin({HelperRequest::Kind::Switch, 0, name, value});
}

void HelperService::begin(const HelperRequest::Request &request)
{
    const QDBusMessage call = message();
    setDelayedReply(true);
    const HelperRequest::Checked checked = HelperRequest::check(request);
    if (checked.error != 0) {
        replyError(call, checked.error, QStringLiteral("not a request the helper takes"));
        return;
    }
    QDBusMessage check = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.PolicyKit1"), QStringLiteral("/org/freedesktop/PolicyKit1/Authority"),
        QStringLiteral("org.freedesktop.PolicyKit1.Authority"), QStringLiteral("CheckAuthorization"));
    const PolkitSubject subject{QStringLiteral("system-bus-name"), {{QStringLiteral("name"), call.service()}}};
    check << QVariant::fromValue(subject) << QString::fromLatin1(action) << QVariant::fromValue(PolkitDetails())
          << (call.isInteractiveAuthorizationAllowed() ? allowUserInteraction : 0U) << QString();
    // A password prompt may stay open for long; polkit ends it on its own.
    constexpr int promptTimeout = 10 * 60 * 1000;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(check, promptTimeout), this);
    const HelperRequest::Write write = checked.write;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, call, write](QDBusPendingCallWatcher *w) { authorized(w, call, write); });
}

void HelperService::authorized(QDBusPendingCallWatcher *watcher, const QDBusMessage &call,
                               const HelperRequest::Write &write)
{
    watcher->deleteLater();
    const QDBusMessage reply = watcher->reply();
    bool allowed = false;
    if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 1) {
        const auto result = reply.arguments().constFirst().value<QDBusArgument>();
        if (result.currentSignature() == QLatin1String("(bba{ss})")) {
            bool challenge = false;
            PolkitDetails details;
            result.beginStructure();
            result >> allowed >> challenge >> details;
            result.endStructure();
        }
    }
    if (!allowed) {
        replyError(call, EACCES, QStringLiteral("not authorized to change the CPU settings"));
        return;
    }
    // A caller that went away while polkit asked no longer wants the write.
    if (!bus.interface()->isServiceRegistered(call.service())) {
        emit handled();
        return;
    }
    int error = checkTarget(write.relativePath);
    if (error == 0)
        error = SysfsIO::writeDirect(cpuTree + '/' + write.relativePath, write.bytes);
    if (error != 0) {
        replyError(call, error, SysfsIO::errorText(error));
        return;
    }
    bus.send(call.createReply());
    emit handled();
}

int HelperService::checkTarget(const QByteArray &relativePath) const
{
    const int slash = relativePath.indexOf('/');
    struct stat st;
    // A switch has no CPU directory; a CPU's own files need it to be there.
    if (relativePath.startsWith("cpu") && !relativePath.startsWith("cpufreq/")) {
        if (int error = SysfsIO::statPath(cpuTree + '/' + relativePath.left(slash), st))
            return error == ENOENT ? ENODEV : error;
        if (!S_ISDIR(st.st_mode))
            return ENODEV;
    }
    if (int error = SysfsIO::statAt(AT_FDCWD, cpuTree + '/' + relativePath, st))
        return error;
    if (!S_ISREG(st.st_mode))
        return EPERM;
    if (!(st.st_mode & S_IWUSR))
        return EACCES;
    return 0;
}

void HelperService::replyError(const QDBusMessage &call, int error, const QString &why)
{
    QByteArray name = SysfsIO::errnoName(error);
    if (name.isEmpty())
        name = QByteArrayLiteral("EIO");
    bus.send(call.createErrorReply(QStringLiteral("org.freqdeck.Error.") + QString::fromLatin1(name), why));
    emit handled();
}
