// SPDX-License-Identifier: GPL-3.0-or-later
#include "topology.h"

#include <QFileInfo>

#include <algorithm>

#include "cpulist.h"
#include "sysfsio.h"

namespace
{

QString readText(const QString &path)
{
    const SysfsIO::ReadResult result = SysfsIO::readFile(QFile::encodeName(path), "");
    return result.error ? QString() : result.text;
}

int readNumber(const QString &path)
{
    bool ok = false;
    const int value = readText(path).toInt(&ok);
    return ok ? value : -1;
}

// Both spellings the kernel uses for CPU sets: "0-3,8" (…_list, cpus) and "0 1 2 3" (related_cpus).
QVector<int> readCpuSet(const QString &path, const QVector<int> &present)
{
    QString text = readText(path);
    if (text.isEmpty())
        return {};
    text = text.simplified().replace(QLatin1Char(' '), QLatin1Char(','));
    return CpuList::parse(text, present).value_or(QVector<int>());
}

// The policy number from the target of cpuN/cpufreq ("../cpufreq/policy4"), which stays while
// the CPU is offline, unlike the files behind it.
int policyOfLink(const QString &link)
{
    const QFileInfo info(link);
    if (!info.isSymLink())
        return -1;
    const QString name = QFileInfo(info.symLinkTarget()).fileName();
    if (!name.startsWith(QLatin1String("policy")))
        return -1;
    bool ok = false;
    const int number = name.mid(6).toInt(&ok);
    return ok ? number : -1;
}

} // namespace

Topology Topology::read(const QDir &cpuDir, const QVector<int> &cpus)
{
    Topology topology;
    QVector<int> present = cpus;
    std::sort(present.begin(), present.end());
    const QString devices = QDir::cleanPath(cpuDir.absoluteFilePath(QStringLiteral("../..")));
    const QVector<int> pCores = readCpuSet(devices + QStringLiteral("/cpu_core/cpus"), present);
    const QVector<int> eCores = readCpuSet(devices + QStringLiteral("/cpu_atom/cpus"), present);

    for (const int cpu : present) {
        CpuPlace place;
        place.cpu = cpu;
        const QString dir = cpuDir.absoluteFilePath(QStringLiteral("cpu%1").arg(cpu));
        place.policy = policyOfLink(dir + QStringLiteral("/cpufreq"));
        place.policyCpus = readCpuSet(dir + QStringLiteral("/cpufreq/related_cpus"), present);
        place.capacity = readNumber(dir + QStringLiteral("/cpu_capacity"));
        place.preferredRank = readNumber(dir + QStringLiteral("/cpufreq/amd_pstate_prefcore_ranking"));
        place.siblings = readCpuSet(dir + QStringLiteral("/topology/thread_siblings_list"), present);
        place.package = readNumber(dir + QStringLiteral("/topology/physical_package_id"));
        place.die = readNumber(dir + QStringLiteral("/topology/die_id"));
        if (pCores.contains(cpu))
            place.kind = CoreKind::Performance;
        else if (eCores.contains(cpu))
            place.kind = CoreKind::Efficient;
        topology.all.append(place);
    }

    // An offline CPU's policy files cannot be read; its policy's other CPUs know whom it serves.
    for (CpuPlace &place : topology.all) {
        if (place.policy < 0 && !place.policyCpus.isEmpty())
            place.policy = place.policyCpus.first();
        if (!place.policyCpus.isEmpty() || place.policy < 0)
            continue;
        for (const CpuPlace &other : qAsConst(topology.all)) {
            if (other.policy == place.policy && other.policyCpus.contains(place.cpu)) {
                place.policyCpus = other.policyCpus;
                break;
            }
        }
        if (place.policyCpus.isEmpty())
            place.policyCpus = {place.cpu};
    }

    // Capacities: the biggest cores are the performance cores, the smallest the efficient ones.
    if (pCores.isEmpty() && eCores.isEmpty()) {
        int lowest = -1;
        int highest = -1;
        for (const CpuPlace &place : qAsConst(topology.all)) {
            if (place.capacity < 0)
                continue;
            lowest = lowest < 0 ? place.capacity : std::min(lowest, place.capacity);
            highest = std::max(highest, place.capacity);
        }
        if (lowest >= 0 && lowest != highest) {
            for (CpuPlace &place : topology.all) {
                if (place.capacity == highest)
                    place.kind = CoreKind::Performance;
                else if (place.capacity == lowest)
                    place.kind = CoreKind::Efficient;
            }
        }
    }
    return topology;
}

const CpuPlace *Topology::place(int cpu) const
{
    const auto it = std::lower_bound(all.begin(), all.end(), cpu,
                                     [](const CpuPlace &place, int number) { return place.cpu < number; });
    return it != all.end() && it->cpu == cpu ? &*it : nullptr;
}

bool Topology::isHybrid() const
{
    return std::any_of(all.begin(), all.end(), [](const CpuPlace &p) { return p.kind == CoreKind::Performance; })
           && std::any_of(all.begin(), all.end(), [](const CpuPlace &p) { return p.kind == CoreKind::Efficient; });
}

bool Topology::hasSharedPolicies() const
{
    return std::any_of(all.begin(), all.end(), [](const CpuPlace &p) { return p.sharesPolicy(); });
}

QVector<CpuGroup> Topology::groups() const
{
    QVector<CpuGroup> result;
    if (isHybrid()) {
        CpuGroup performance{QStringLiteral("p-cores"), {}};
        CpuGroup efficient{QStringLiteral("e-cores"), {}};
        for (const CpuPlace &place : all) {
            if (place.kind == CoreKind::Performance)
                performance.cpus.append(place.cpu);
            else if (place.kind == CoreKind::Efficient)
                efficient.cpus.append(place.cpu);
        }
        result << performance << efficient;
    }
    QVector<int> seen;
    for (const CpuPlace &place : all) {
        if (place.policy < 0 || seen.contains(place.policy))
            continue;
        seen.append(place.policy);
        CpuGroup policy{QStringLiteral("policy%1").arg(place.policy), {}};
        for (const CpuPlace &member : all) {
            if (member.policy == place.policy)
                policy.cpus.append(member.cpu);
        }
        result << policy;
    }
    return result;
}

std::optional<QVector<int>> Topology::group(const QString &name) const
{
    for (const CpuGroup &group : groups()) {
        if (group.name.compare(name, Qt::CaseInsensitive) == 0)
            return group.cpus;
    }
    return std::nullopt;
}

QVector<QVector<int>> Topology::byPolicy(const QVector<int> &cpus) const
{
    QVector<int> sorted = cpus;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    QVector<QVector<int>> parts;
    QVector<int> partPolicy;
    for (const int cpu : sorted) {
        const CpuPlace *where = place(cpu);
        const int policy = where ? where->policy : -1;
        const int index = policy < 0 ? -1 : int(partPolicy.indexOf(policy));
        if (index >= 0) {
            parts[index].append(cpu);
            continue;
        }
        parts.append(QVector<int>{cpu});
        partPolicy.append(policy);
    }
    return parts;
}

QString Topology::sharedPolicyText(int cpu) const
{
    const CpuPlace *where = place(cpu);
    if (!where || !where->sharesPolicy())
        return QString();
    return QStringLiteral("policy %1, shared by CPUs %2").arg(where->policy).arg(CpuList::format(where->policyCpus));
}

WriteFailure Topology::onPolicy(WriteFailure failure) const
{
    // The online switch is each CPU's own.
    if (failure.attribute.isEmpty() || failure.attribute == QLatin1String("online"))
        return failure;
    const QString shared = sharedPolicyText(failure.core);
    if (shared.isEmpty() || failure.reason.contains(shared))
        return failure;
    failure.reason = failure.reason.isEmpty() ? shared : failure.reason + QStringLiteral("; ") + shared;
    return failure;
}
