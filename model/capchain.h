// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVector>

#include "packagesensors.h"

class CPUCore;
class ProcessorSwitches;

// Why a CPU runs no faster: the ceilings between the hardware's maximum and the frequency it runs
// at, in the order they apply, each with its value and whether it is the one that holds the CPU
// down now. Ceilings that move while the CPU runs (the power limit, thermal throttling) are judged
// between two package samples.
class CapChain
{
public:
    enum class Binds { No, Yes, Maybe };
    struct Link {
        QString key;   // the attribute or file: "scaling_max_freq", "power_limit", ...
        QString label; // for people
        QString value; // empty where it could not be read or does not apply
        QString unit;  // "MHz", "%", "W", "events", or empty for words
        Binds binds = Binds::No;
        QString note; // why it binds, or why it could not be judged
    };

    // The chain of one CPU from its records (read recently), the processor's switches and two
    // package samples taken some time apart, the later one last (with the CPU's throttle counts).
    static QVector<Link> build(const CPUCore &core, const ProcessorSwitches &processor,
                               const PackageSensors::Sample &before, const PackageSensors::Sample &after);
    // The link that binds, or nothing when none could be named.
    static const Link *binding(const QVector<Link> &chain);
    static QString bindsName(Binds binds); // "yes", "no", "maybe"
};
