// SPDX-License-Identifier: GPL-3.0-or-later
#include "helperclient.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>

#include <cerrno>

#include "helperrequest.h"
#include "sysfsio.h"

namespace
{

const QString service = QStringLiteral("org.freqdeck.Helper");
const QString path = QStringLiteral("/org/freqdeck/Helper");
const QString interface = QStringLiteral("org.freqdeck.Helper1");
const QString errorPrefix = QStringLiteral("org.freqdeck.Error.");

QDBusMessage callFor(const HelperRequest::Request &request)
{
    switch (request.kind) {
    case HelperRequest::Kind::Online: {
        QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("SetOnline"));
        call << request.cpu << (request.value == QLatin1String("1"));
        return call;
    }
    case HelperRequest::Kind::Switch: {
        QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("SetSwitch"));
        call << request.name << request.value;
        return call;
    }
    case HelperRequest::Kind::Attribute:
        break;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("SetAttribute"));
    call << request.cpu << request.name << request.value;
    return call;
}

} // namespace

namespace HelperClient
{

int write(const QByteArray &root, const QByteArray &path, const QByteArray &bytes)
{
    const std::optional<HelperRequest::Request> request = HelperRequest::fromPath(root, path, bytes);
    if (!request)
        return SysfsIO::writeDirect(path, bytes);
    // What the helper would refuse is refused here: a NUL would end the D-Bus string and send a
    // cut value.
    if (const int error = HelperRequest::check(*request).error)
        return error;
    QDBusMessage call = callFor(*request);
    // polkit may ask for a password: the caller waits for the answer, however long that takes.
    call.setInteractiveAuthorizationAllowed(true);
    const QDBusMessage reply = QDBusConnection::systemBus().call(call, QDBus::Block, 15 * 60 * 1000);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return 0;
    const QString name = reply.errorName();
    if (name.startsWith(errorPrefix)) {
        const int error = SysfsIO::errnoFromName(name.mid(errorPrefix.size()).toLatin1());
        return error != 0 ? error : EIO;
    }
    // No helper on this bus: the write as the user, which the kernel refuses or takes as it would.
    if (name == QDBusError::errorString(QDBusError::ServiceUnknown)
        || name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") || name.isEmpty())
        return SysfsIO::writeDirect(path, bytes);
    return reply.errorName() == QDBusError::errorString(QDBusError::AccessDenied) ? EACCES : EIO;
}

void install(const QByteArray &root)
{
    SysfsIO::setWriter([root](const QByteArray &path, const QByteArray &bytes) { return write(root, path, bytes); });
}

} // namespace HelperClient
