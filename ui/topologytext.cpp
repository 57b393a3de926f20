// SPDX-License-Identifier: GPL-3.0-or-later
#include "topologytext.h"

#include <QMap>
#include <QStringList>

#include <algorithm>

#include "cpuinfo.h"
#include "topology.h"

namespace
{

// What the navigation tells apart: the kind (or capacity) and, where shared, the policy.
struct GroupKey {
    CoreKind kind;
    int capacity;
    int policy; // -1 where the CPU's policy is its own

    bool operator==(const GroupKey &other) const
    {
        return kind == other.kind && capacity == other.capacity && policy == other.policy;
    }
};

GroupKey keyOf(const Topology &topology, const CpuPlace &place)
{
    const bool middle = place.kind == CoreKind::Unknown && topology.isHybrid();
    return {place.kind, middle ? place.capacity : -1, place.sharesPolicy() ? place.policy : -1};
}

QString kindPlural(const Topology &topology, const CpuPlace &place)
{
    switch (place.kind) {
    case CoreKind::Performance:
        return TopologyText::tr("P-cores");
    case CoreKind::Efficient:
        return TopologyText::tr("E-cores");
    case CoreKind::Unknown:
        break;
    }
    if (topology.isHybrid() && place.capacity >= 0)
        return TopologyText::tr("Cores of capacity %1").arg(place.capacity);
    return QString();
}

} // namespace

QString TopologyText::cpuRanges(QVector<int> cpus)
{
    std::sort(cpus.begin(), cpus.end());
    QStringList parts;
    for (int i = 0; i < cpus.size();) {
        int j = i;
        while (j + 1 < cpus.size() && cpus.at(j + 1) == cpus.at(j) + 1)
            ++j;
        if (j == i)
            parts << QString::number(cpus.at(i));
        else
            parts << QStringLiteral("%1–%2").arg(cpus.at(i)).arg(cpus.at(j));
        i = j + 1;
    }
    return parts.join(QStringLiteral(", "));
}

QString TopologyText::badge(const Topology &topology, const CpuPlace &place)
{
    switch (place.kind) {
    case CoreKind::Performance:
        return tr("P", "performance core");
    case CoreKind::Efficient:
        return tr("E", "efficient core");
    case CoreKind::Unknown:
        break;
    }
    // Between the biggest and the smallest cores of a machine with three classes or more.
    if (topology.isHybrid() && place.capacity >= 0)
        return tr("cap. %1", "core capacity").arg(place.capacity);
    return QString();
}

QString TopologyText::sharedPolicy(const CpuPlace &place)
{
    if (!place.sharesPolicy())
        return QString();
    return tr("Policy %1, shared by CPUs %2").arg(QString::number(place.policy), cpuRanges(place.policyCpus));
}

QString TopologyText::pageNote(const Topology &topology, const CpuPlace &place)
{
    QString about = description(topology, place);
    if (!place.sharesPolicy())
        return about;
    return about + QLatin1Char('\n') + tr("A change here applies to all of them.");
}

QString TopologyText::description(const Topology &topology, const CpuPlace &place)
{
    QString kind;
    if (place.kind == CoreKind::Performance)
        kind = tr("Performance core");
    else if (place.kind == CoreKind::Efficient)
        kind = tr("Efficient core");
    else if (topology.isHybrid() && place.capacity >= 0)
        kind = tr("Core of capacity %1").arg(place.capacity);
    if (kind.isEmpty() || !place.sharesPolicy())
        return kind + sharedPolicy(place);
    return tr("%1 · policy %2, shared by CPUs %3")
        .arg(kind, QString::number(place.policy), cpuRanges(place.policyCpus));
}

QVector<TopologyText::Group> TopologyText::navigationGroups(const CPUInfo &cpuInfo)
{
    const Topology &topology = cpuInfo.topology();
    if (!topology.isHybrid() && !topology.hasSharedPolicies())
        return {};
    QVector<Group> groups;
    QVector<GroupKey> keys;
    QVector<QVector<int>> numbers;
    for (int k = 0; k < int(cpuInfo.cores.size()); ++k) {
        const int cpu = cpuInfo.cores[size_t(k)].core_id();
        const CpuPlace *place = topology.place(cpu);
        const GroupKey key = place ? keyOf(topology, *place) : GroupKey{CoreKind::Unknown, -1, -1};
        const int index = int(std::find(keys.begin(), keys.end(), key) - keys.begin());
        if (index < keys.size()) {
            groups[index].cores.append(k);
            numbers[index].append(cpu);
            continue;
        }
        keys.append(key);
        numbers.append(QVector<int>{cpu});
        groups.append({place ? kindPlural(topology, *place) : QString(), {k}});
    }
    for (int i = 0; i < groups.size(); ++i) {
        const QString cpus = cpuRanges(numbers.at(i));
        QString &heading = groups[i].heading;
        if (keys.at(i).policy >= 0 && !heading.isEmpty())
            heading = tr("%1 · policy %2 (CPUs %3)").arg(heading, QString::number(keys.at(i).policy), cpus);
        else if (keys.at(i).policy >= 0)
            heading = tr("Policy %1 (CPUs %2)").arg(QString::number(keys.at(i).policy), cpus);
        else if (!heading.isEmpty())
            heading = tr("%1 (CPUs %2)").arg(heading, cpus);
        else
            heading = tr("Other CPUs (%1)").arg(cpus);
    }
    return groups;
}

QVector<TopologyText::Choice> TopologyText::choices(const CPUInfo &cpuInfo)
{
    const Topology &topology = cpuInfo.topology();
    QVector<Choice> result;
    QVector<int> every;
    for (const CPUCore &core : cpuInfo.cores)
        every.append(core.core_id());
    result.append({tr("All CPUs"), every});
    if (!topology.isHybrid() && !topology.hasSharedPolicies())
        return result;

    QMap<QString, QString> kinds{{QStringLiteral("p-cores"), tr("P-cores")},
                                 {QStringLiteral("e-cores"), tr("E-cores")}};
    QVector<QVector<int>> kindSets;
    for (const CpuGroup &group : topology.groups()) {
        if (kinds.contains(group.name)) {
            result.append({tr("%1 (CPUs %2)").arg(kinds.value(group.name), cpuRanges(group.cpus)), group.cpus});
            kindSets.append(group.cpus);
            continue;
        }
        // A policy of one CPU is that CPU's page; a policy that is all cores of a kind is named
        // with that kind rather than listed twice.
        if (group.cpus.size() < 2)
            continue;
        const QString policy = group.name.mid(int(qstrlen("policy")));
        const int same = int(kindSets.indexOf(group.cpus));
        if (same >= 0) {
            Choice &kind = result[same + 1];
            kind.label = tr("%1 · policy %2 (CPUs %3)")
                             .arg(kinds.value(same == 0 ? QStringLiteral("p-cores") : QStringLiteral("e-cores")),
                                  policy, cpuRanges(group.cpus));
            continue;
        }
        result.append({tr("Policy %1 (CPUs %2)").arg(policy, cpuRanges(group.cpus)), group.cpus});
    }
    return result;
}
