// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QVector>

class CPUInfo;
class Topology;
struct CpuPlace;

// How the window names the machine's topology: the kind of each core, the policy it shares, and
// the groups the navigation and the overview show. On a machine where every CPU has a policy of
// its own and no kind, there are no groups and no badges, and the window looks as it always did.
class TopologyText
{
    Q_DECLARE_TR_FUNCTIONS(TopologyText)

public:
    // CPUs of one heading, by index into the inventory, in ascending order.
    struct Group {
        QString heading;
        QVector<int> cores;
    };
    // A set of CPUs the overview can write to at once.
    struct Choice {
        QString label;
        QVector<int> cpus; // CPU numbers
    };

    // "0–3, 8": the CPUs as ranges, with an en dash.
    static QString cpuRanges(QVector<int> cpus);
    // "P", "E", or the capacity of a core between the biggest and the smallest; empty where the
    // machine's cores are all of one kind.
    static QString badge(const Topology &topology, const CpuPlace &place);
    // For a tool tip: "Efficient core · policy 4, shared by CPUs 4–7"; empty on a plain CPU.
    static QString description(const Topology &topology, const CpuPlace &place);
    // "Policy 4, shared by CPUs 4–7": empty where the CPU has a policy of its own.
    static QString sharedPolicy(const CpuPlace &place);
    // Above a core page's editor: the description and, where the policy is shared, that a change
    // goes to all of its CPUs; empty on a plain CPU.
    static QString pageNote(const Topology &topology, const CpuPlace &place);

    // The navigation's groups: CPUs of one kind and, where policies are shared, of one policy, in
    // the order of their first CPU. Empty on a plain machine.
    static QVector<Group> navigationGroups(const CPUInfo &cpuInfo);
    // "All CPUs", the kinds of core and the shared policies; only "All CPUs" on a plain machine.
    static QVector<Choice> choices(const CPUInfo &cpuInfo);
};
