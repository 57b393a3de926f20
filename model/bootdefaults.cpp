// SPDX-License-Identifier: GPL-3.0-or-later
#include "bootdefaults.h"

#include <QDir>
#include <QFileInfo>

#include "cpuinfo.h"

QString BootDefaults::path()
{
    const QString override = qEnvironmentVariable("FREQDECK_STATE_DIR");
    return (override.isEmpty() ? QStringLiteral("/var/lib/freqdeck") : override)
           + QStringLiteral("/boot-defaults.json");
}

bool BootDefaults::save(const CPUInfo &info, QString *errorString)
{
    const QString target = path();
    QDir().mkpath(QFileInfo(target).absolutePath());
    return info.dump(target, errorString);
}
