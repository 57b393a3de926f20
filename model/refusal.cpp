// SPDX-License-Identifier: GPL-3.0-or-later
#include "refusal.h"

#include <QStringList>

#include <cerrno>

namespace
{

QString record(const CPUCore &core, const char *name)
{
    const CPUPolicy policy = core.policies.value(QLatin1String(name));
    return policy.readError == 0 ? policy.value : QString();
}

} // namespace

QString Refusal::explain(const CPUCore &core, const QString &attribute, const QString &value, int error)
{
    if (error == 0)
        return QString();
    // The kernel takes nothing for an offline CPU and says only "busy".
    if (!core.isEnabled() && attribute != QLatin1String("online"))
        return QStringLiteral("cpu%1 is offline; the kernel takes no settings for an offline CPU").arg(core.core_id());
    if (attribute == QLatin1String("energy_performance_preference") && error == EBUSY
        && record(core, KnownCPUPolicy::scaling_governor) == QLatin1String("performance")
        && value.trimmed() != QLatin1String("performance"))
        return QStringLiteral("the performance governor holds the energy preference at \"performance\"; choose another "
                              "governor first");
    if (attribute == QLatin1String(KnownCPUPolicy::scaling_governor)) {
        const QStringList offered =
            record(core, KnownCPUPolicy::scaling_available_governors).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!offered.isEmpty() && !offered.contains(value.trimmed()))
            return QStringLiteral("the driver does not offer this governor; it offers %1")
                .arg(offered.join(QStringLiteral(", ")));
    }
    if (attribute == QLatin1String(KnownCPUPolicy::scaling_min_freq)
        || attribute == QLatin1String(KnownCPUPolicy::scaling_max_freq)) {
        bool ok = false;
        bool minOk = false;
        bool maxOk = false;
        const qint64 kHz = value.trimmed().toLongLong(&ok);
        const qint64 low = record(core, KnownCPUPolicy::cpuinfo_min_freq).toLongLong(&minOk);
        const qint64 high = record(core, KnownCPUPolicy::cpuinfo_max_freq).toLongLong(&maxOk);
        if (!ok)
            return QStringLiteral("a limit is a whole number of kHz");
        if (minOk && maxOk && (kHz < low || kHz > high))
            return QStringLiteral("the limit lies outside what the hardware can do, %1 to %2 kHz").arg(low).arg(high);
    }
    return QString();
}

WriteFailure Refusal::failure(const CPUCore &core, const QString &attribute, const QString &value, int error)
{
    return {core.core_id(), attribute, value, error, explain(core, attribute, value, error)};
}
