// SPDX-License-Identifier: GPL-3.0-or-later
#include "powersource.h"

#include <QDir>
#include <QFile>

namespace
{
QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.read(4096)).trimmed();
}
} // namespace

QString PowerState::describe() const
{
    if (!onBattery)
        return QStringLiteral("on AC");
    if (capacity < 0)
        return QStringLiteral("on battery");
    return QStringLiteral("on battery (%1 %)").arg(capacity);
}

PowerState PowerState::read(const QString &sysDir)
{
    const QDir supplies(sysDir + QStringLiteral("/class/power_supply"));
    bool sawMains = false;
    bool mainsOnline = false;
    bool discharging = false;
    PowerState state;
    for (const QString &name : supplies.entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString base = supplies.filePath(name) + QLatin1Char('/');
        const QString type = readText(base + QStringLiteral("type"));
        if (type == QLatin1String("Mains") || type == QLatin1String("USB")) {
            sawMains = true;
            mainsOnline = mainsOnline || readText(base + QStringLiteral("online")) == QLatin1String("1");
        } else if (type == QLatin1String("Battery")) {
            // Peripherals' batteries (a mouse's) say scope "Device"; they do not power the machine.
            if (readText(base + QStringLiteral("scope")) == QLatin1String("Device"))
                continue;
            discharging = discharging || readText(base + QStringLiteral("status")) == QLatin1String("Discharging");
            bool ok = false;
            const int capacity = readText(base + QStringLiteral("capacity")).toInt(&ok);
            if (ok && state.capacity < 0)
                state.capacity = capacity;
        }
    }
    state.onBattery = sawMains ? !mainsOnline : discharging;
    return state;
}
