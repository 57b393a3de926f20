// SPDX-License-Identifier: GPL-3.0-or-later
#include "groupwriter.h"

#include <cerrno>

#include "cpuinfo.h"
#include "refusal.h"
#include "topologytext.h"

namespace
{

CPUCore *coreOf(CPUInfo &cpuInfo, int cpu)
{
    for (CPUCore &core : cpuInfo.cores) {
        if (core.core_id() == cpu)
            return &core;
    }
    return nullptr;
}

// The CPU a policy is written through: its first online one, else its first.
CPUCore *writerOf(CPUInfo &cpuInfo, const QVector<int> &part)
{
    for (const int cpu : part) {
        CPUCore *core = coreOf(cpuInfo, cpu);
        if (core && core->isEnabled())
            return core;
    }
    return coreOf(cpuInfo, part.value(0, -1));
}

// Which CPUs a refusal concerns, where the policy serves more than the one written through.
QString policyCpus(const CPUInfo &cpuInfo, const CPUCore &writer)
{
    const CpuPlace *place = cpuInfo.topology().place(writer.core_id());
    if (!place || !place->sharesPolicy())
        return QString();
    return GroupWriter::tr("policy %1, CPUs %2")
        .arg(QString::number(place->policy), TopologyText::cpuRanges(place->policyCpus));
}

WriteFailure naming(WriteFailure failure, const QString &cpus)
{
    if (!cpus.isEmpty())
        failure.reason = failure.reason.isEmpty() ? cpus : failure.reason + QStringLiteral("; ") + cpus;
    return failure;
}

} // namespace

ApplyReport GroupWriter::applyProfile(CPUInfo &cpuInfo, PREDEFINED_GOVERNS govern, const QVector<int> &cpus)
{
    ApplyReport report;
    for (const QVector<int> &part : cpuInfo.topology().byPolicy(cpus)) {
        CPUCore *writer = writerOf(cpuInfo, part);
        if (!writer)
            continue;
        const QString named = policyCpus(cpuInfo, *writer);
        writer->setPredefinedGoverns(
            govern, [&report, &named](const WriteFailure &failure) { report.fail(naming(failure, named)); });
        // The policy's other CPUs follow it; those offline are brought online as everywhere else.
        for (const int cpu : part) {
            CPUCore *core = coreOf(cpuInfo, cpu);
            if (!core || core == writer || core->isEnabled())
                continue;
            const int error = core->storeEnabled(true);
            if (error != 0 && error != ENOENT)
                report.fail({cpu, QStringLiteral("online"), QStringLiteral("1"), error, QString()});
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
    for (const QVector<int> &part : cpuInfo.topology().byPolicy(cpus)) {
        CPUCore *writer = writerOf(cpuInfo, part);
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
        const QString named = policyCpus(cpuInfo, *writer);
        for (const auto &[name, value] : writes) {
            const QString text = QString::number(value);
            if (const int error = writer->storePolicy(name, QVariant(text)))
                report.fail(naming(Refusal::failure(*writer, name, text, error), named));
            else
                ++report.written;
        }
    }
    return report;
}
