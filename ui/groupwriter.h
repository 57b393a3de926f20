// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QVector>

#include <optional>

#include "cpucore.h"
#include "writefailure.h"

class CPUInfo;

// Writes to a group of CPUs (the P-cores, the E-cores, one cluster) as the overview offers it:
// once per policy, through the first online CPU of each, since a write to any CPU of a policy
// changes all of them. A refused write is reported once, naming the policy's CPUs.
class GroupWriter
{
    Q_DECLARE_TR_FUNCTIONS(GroupWriter)

public:
    // The profile, as it goes to every CPU: the group's CPUs are brought online, and each policy
    // gets the governor and limits computed from its own frequency range.
    static ApplyReport applyProfile(CPUInfo &cpuInfo, PREDEFINED_GOVERNS govern, const QVector<int> &cpus);
    // Frequency limits in kHz; a missing one is left alone. Offline CPUs stay offline; a policy
    // without an online CPU is reported and left alone.
    static ApplyReport applyLimits(CPUInfo &cpuInfo, const QVector<int> &cpus, std::optional<qint64> minKHz,
                                   std::optional<qint64> maxKHz);
};
