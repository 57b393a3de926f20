// SPDX-License-Identifier: GPL-3.0-or-later
#include "powertoolprobe.h"

#include <algorithm>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>

namespace
{

const QString systemdName = QStringLiteral("org.freedesktop.systemd1");

// Answers come from local services; a hung one must not hold the caller for long.
constexpr int callTimeoutMs = 2000;

// The unit's ActiveState, or nothing for a unit systemd has not loaded.
QString activeState(const QDBusConnection &bus, const QString &unit)
{
    QDBusMessage getUnit =
        QDBusMessage::createMethodCall(systemdName, QStringLiteral("/org/freedesktop/systemd1"),
                                       QStringLiteral("org.freedesktop.systemd1.Manager"), QStringLiteral("GetUnit"));
    getUnit << unit;
    const QDBusReply<QDBusObjectPath> path = bus.call(getUnit, QDBus::Block, callTimeoutMs);
    if (!path.isValid())
        return QString();
    QDBusMessage get = QDBusMessage::createMethodCall(
        systemdName, path.value().path(), QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.freedesktop.systemd1.Unit") << QStringLiteral("ActiveState");
    const QDBusReply<QDBusVariant> state = bus.call(get, QDBus::Block, callTimeoutMs);
    return state.isValid() ? state.value().variant().toString() : QString();
}

} // namespace

PowerTools::Observed PowerToolProbe::observe(const QDBusConnection &bus)
{
    PowerTools::Observed observed;
    if (!bus.isConnected()) {
        observed.error =
            bus.lastError().message().isEmpty() ? QStringLiteral("no system bus") : bus.lastError().message();
        return observed;
    }
    QDBusConnectionInterface *names = bus.interface();
    const bool haveSystemd = names && names->isServiceRegistered(systemdName).value();
    if (haveSystemd) {
        for (const QString &unit : PowerTools::allUnits()) {
            const QString state = activeState(bus, unit);
            if (!state.isEmpty())
                observed.unitStates.insert(unit, state);
        }
    }
    if (names) {
        for (const QString &name : PowerTools::allBusNames()) {
            if (names->isServiceRegistered(name).value())
                observed.ownedNames << name;
        }
    }
    return observed;
}

PowerTools::Observed PowerToolProbe::observe()
{
    const QString name = QStringLiteral("freqdeck-power-tools");
    PowerTools::Observed observed;
    {
        // The address is looked up here: the bus library keeps the first one it read for good.
        const QString address = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
        const QDBusConnection bus = address.isEmpty() ? QDBusConnection::connectToBus(QDBusConnection::SystemBus, name)
                                                      : QDBusConnection::connectToBus(address, name);
        observed = observe(bus);
    }
    QDBusConnection::disconnectFromBus(name);
    return observed;
}

QString PowerToolProbe::profileOwners()
{
    const PowerTools::Choice choice = PowerTools::storedChoice();
    if (choice == PowerTools::Choice::Undecided)
        return QString();
    static const QStringList profileSettings{QStringLiteral("scaling_governor"), QStringLiteral("scaling_min_freq"),
                                             QStringLiteral("scaling_max_freq")};
    QStringList owners;
    for (const PowerTools::Found &tool : PowerTools::judge(observe())) {
        const bool overlaps = std::any_of(profileSettings.begin(), profileSettings.end(),
                                          [&tool](const QString &name) { return tool.manages.contains(name); });
        if (choice == PowerTools::Choice::Leave || overlaps)
            owners << tool.name;
    }
    return owners.join(QStringLiteral(", "));
}
