// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QString>
#include <QVector>

#include <optional>

#include "writefailure.h"

// What kind of core a CPU is, where the kernel tells: Intel's hybrid parts list their performance
// and efficient cores (/sys/devices/cpu_core, /sys/devices/cpu_atom); ARM machines give each CPU
// a capacity, the biggest cores counting as performance cores and the smallest as efficient ones.
enum class CoreKind { Unknown, Performance, Efficient };

// Where one logical CPU sits: the frequency policy it shares, its kind of core, its SMT siblings
// and its package.
struct CpuPlace {
    int cpu = -1;
    // The number of its cpufreq policy (policyN); -1 when it has none.
    int policy = -1;
    // Every CPU the policy serves, online or not, the CPU itself included.
    QVector<int> policyCpus;
    CoreKind kind = CoreKind::Unknown;
    // cpu_capacity (ARM and others with asymmetric cores), -1 where there is none.
    int capacity = -1;
    // amd_pstate_prefcore_ranking, higher is faster; -1 where there is none.
    int preferredRank = -1;
    // thread_siblings_list: the logical CPUs of its physical core, itself included.
    QVector<int> siblings;
    int package = -1;
    int die = -1;

    bool sharesPolicy() const { return policyCpus.size() > 1; }
};

// A named set of CPUs that settings can go to at once: "p-cores", "e-cores" or "policyN".
struct CpuGroup {
    QString name;
    QVector<int> cpus;
};

// The machine's CPUs by policy, kind of core and package, read once from sysfs.
class Topology
{
public:
    Topology() = default;
    // Reads the places of cpus from a directory laid out like /sys/devices/system/cpu; the hybrid
    // core lists are looked up two levels above it, where /sys/devices is.
    static Topology read(const QDir &cpuDir, const QVector<int> &cpus);

    // The place of a CPU; nothing for a number that was not read.
    const CpuPlace *place(int cpu) const;
    const QVector<CpuPlace> &places() const { return all; }

    // Whether some CPUs differ in kind, or share a policy with others.
    bool isHybrid() const;
    bool hasSharedPolicies() const;

    // The groups settings can name: "p-cores" and "e-cores" where the machine has both kinds, and
    // "policyN" for every policy, in that order.
    QVector<CpuGroup> groups() const;
    // The CPUs of a group by its name (any case); nothing for a name that is not a group here.
    std::optional<QVector<int>> group(const QString &name) const;

    // The CPUs of cpus split by policy, each part in ascending order and the parts in the order of
    // their first CPU. CPUs without a policy form parts of their own.
    QVector<QVector<int>> byPolicy(const QVector<int> &cpus) const;

    // "policy 4, shared by CPUs 4-7" for a CPU whose policy serves others too; empty otherwise.
    QString sharedPolicyText(int cpu) const;
    // A failure of a write to a shared policy names the policy and its CPUs in its reason, as the
    // write went to all of them.
    WriteFailure onPolicy(WriteFailure failure) const;

private:
    QVector<CpuPlace> all; // ascending by cpu
};
