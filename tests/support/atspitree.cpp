// SPDX-License-Identifier: GPL-3.0-or-later
#include "atspitree.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QProcess>
#include <QUuid>

namespace
{
const QString accessibleInterface = QStringLiteral("org.a11y.atspi.Accessible");
const QString registryName = QStringLiteral("org.a11y.atspi.Registry");
const QString rootPath = QStringLiteral("/org/a11y/atspi/accessible/root");

QDBusMessage callOn(const QString &connection, const QString &service, const QString &path, const QString &interface,
                    const QString &method, const QVariantList &arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection(connection).call(message, QDBus::Block, 10000);
}

// a(so): the references GetChildren answers with.
QVector<QPair<QString, QString>> references(const QDBusMessage &reply)
{
    QVector<QPair<QString, QString>> result;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return result;
    const auto argument = reply.arguments().constFirst().value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QString service;
        QDBusObjectPath path;
        argument.beginStructure();
        argument >> service >> path;
        argument.endStructure();
        result.append({service, path.path()});
    }
    argument.endArray();
    return result;
}
} // namespace

AtspiTree::AtspiTree(const QString &sessionAddress)
    : connectionName(QStringLiteral("atspi-") + QUuid::createUuid().toString(QUuid::Id128))
{
    // Asked as a screen reader asks, as a client of the session of its own.
    QProcess ask;
    ask.start(QStringLiteral("dbus-send"),
              {QStringLiteral("--bus=") + sessionAddress, QStringLiteral("--print-reply=literal"),
               QStringLiteral("--dest=org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
               QStringLiteral("org.a11y.Bus.GetAddress")});
    if (!ask.waitForFinished(30000) || ask.exitCode() != 0) {
        why = QStringLiteral("no accessibility bus: ") + QString::fromUtf8(ask.readAllStandardError());
        return;
    }
    const QString address = QString::fromUtf8(ask.readAllStandardOutput()).trimmed();
    connected = QDBusConnection::connectToBus(address, connectionName).isConnected();
    if (!connected)
        why = QStringLiteral("cannot connect to the accessibility bus at ") + address;
}

AtspiTree::~AtspiTree()
{
    QDBusConnection::disconnectFromBus(connectionName);
}

AtspiTree::Node AtspiTree::describe(const QString &service, const QString &path) const
{
    Node node;
    node.service = service;
    node.path = path;
    const QDBusMessage name = callOn(connectionName, service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                     QStringLiteral("Get"), {accessibleInterface, QStringLiteral("Name")});
    if (name.type() == QDBusMessage::ReplyMessage && !name.arguments().isEmpty())
        node.name = name.arguments().constFirst().value<QDBusVariant>().variant().toString();
    const QDBusReply<QString> role =
        callOn(connectionName, service, path, accessibleInterface, QStringLiteral("GetRoleName"));
    node.role = role.isValid() ? role.value() : QString();
    const QDBusMessage state = callOn(connectionName, service, path, accessibleInterface, QStringLiteral("GetState"));
    if (state.type() == QDBusMessage::ReplyMessage && !state.arguments().isEmpty()) {
        QList<uint> words;
        state.arguments().constFirst().value<QDBusArgument>() >> words;
        if (words.size() == 2)
            node.states = quint64(words.at(0)) | (quint64(words.at(1)) << 32);
    }
    return node;
}

QVector<AtspiTree::Node> AtspiTree::children(const Node &node) const
{
    QVector<Node> result;
    const auto refs =
        references(callOn(connectionName, node.service, node.path, accessibleInterface, QStringLiteral("GetChildren")));
    for (const auto &[service, path] : refs)
        result.append(describe(service, path));
    return result;
}

QVector<AtspiTree::Node> AtspiTree::programs() const
{
    Node desktop;
    desktop.service = registryName;
    desktop.path = rootPath;
    return children(desktop);
}

bool AtspiTree::followFocus()
{
    QDBusConnection bus(connectionName);
    if (!bus.connect(QString(), QString(), QStringLiteral("org.a11y.atspi.Event.Object"),
                     QStringLiteral("StateChanged"), this, SLOT(stateChanged(QDBusMessage))))
        return false;
    const QDBusMessage reply = callOn(connectionName, registryName, QStringLiteral("/org/a11y/atspi/registry"),
                                      registryName, QStringLiteral("RegisterEvent"),
                                      {QStringLiteral("object:state-changed:focused"), QStringList(), QString()});
    return reply.type() == QDBusMessage::ReplyMessage;
}

AtspiTree::Node AtspiTree::focused() const
{
    return focusPath.isEmpty() ? Node() : describe(focusService, focusPath);
}

void AtspiTree::stateChanged(const QDBusMessage &message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || arguments.at(0).toString() != QLatin1String("focused") || arguments.at(1).toInt() != 1)
        return;
    focusService = message.service();
    focusPath = message.path();
    ++changes;
}
