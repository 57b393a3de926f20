// SPDX-License-Identifier: GPL-3.0-or-later
#include "groupwriter.h"

#include <cerrno>

#include "cpuinfo.h"
#include "refusal.h"
#include "topologytext.h"

ApplyReport GroupWriter::applyProfile(CPUInfo &cpuInfo, PREDEFINED_GOVERNS govern, const QVector<int> &cpus)
{
    ApplyReport report;
    const Topology &topology = cpuInfo.topology();
    const WriteFailureHandler named = [&report, &topology](const WriteFailure &failure) {
        report.fail(topology.onPolicy(failure));
    };
    for (const QVector<int> &part : topology.byPolicy(cpus)) {
        // The online switch is each CPU's own, as for a profile for every CPU; an offline core's
        // files cannot be read, so it is read once it is back.
        for (const int cpu : part) {
            CPUCore *core = cpuInfo.coreNumbered(cpu);
            if (!core || core->isEnabled())
                continue;
            const int error = core->storeEnabled(true);
            if (error != 0 && error != ENOENT)
                report.fail({cpu, QStringLiteral("online"), QStringLiteral("1"), error, QString()});
            else if (core->isEnabled())
                core->update();
        }
        if (CPUCore *writer = cpuInfo.policyWriter(part)) {
            writer->writeProfile(govern, named);
            cpuInfo.refreshPolicy(part, writer);
        }
    }
    return report;
}

ApplyReport GroupWriter::applyLimits(CPUInfo &cpuInfo, const QVector<int> &cpus, std::optional<qint64> minKHz,
                                     std::optional<qint64> maxKHz)
{
    ApplyReport report;
    const QString minName = QLatin1String(KnownCPUPolicy::scaling_min_freq);
    const QString maxName = QLatin1String(KnownCPUPolicy::scaling_max_freq);
    const Topology &topology = cpuInfo.topology();
    for (const QVector<int> &part : topology.byPolicy(cpus)) {
        CPUCore *writer = cpuInfo.policyWriter(part);
        if (!writer)
            continue;
        if (!writer->isEnabled()) {
            report.fail({writer->core_id(), QString(), QString(), 0,
                         tr("no CPU of %1 is online; its limits were not written").arg(TopologyText::cpuRanges(part))});
            continue;
        }
        // The kernel checks each limit against the other one in force: a lower limit above the
        // present upper one goes after the new upper one, and the other way round.
        writer->updateSettings();
        const qint64 presentMax = writer->policies.value(maxName).value.toLongLong();
        QVector<QPair<QString, qint64>> writes;
        if (minKHz)
            writes.append({minName, *minKHz});
        if (maxKHz) {
            if (minKHz && *minKHz > presentMax)
                writes.prepend({maxName, *maxKHz});
            else
                writes.append({maxName, *maxKHz});
        }
        for (const auto &[name, value] : writes) {
            const QString text = QString::number(value);
            if (const int error = writer->storePolicy(name, QVariant(text)))
                report.fail(topology.onPolicy(Refusal::failure(*writer, name, text, error)));
            else
                ++report.written;
        }
        cpuInfo.refreshPolicy(part, writer);
    }
    return report;
}
