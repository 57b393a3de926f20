// SPDX-License-Identifier: GPL-3.0-or-later
#include "attributehelp.h"

#include <algorithm>
#include <iterator>

namespace
{

enum class Unit { None, MHz, Nanoseconds };

struct Entry {
    const char *name;
    const char *summary;
    Unit unit;
};

// In the words of the kernel's cpufreq, intel_pstate and amd-pstate documentation, shortened.
const Entry entries[] = {
    {"affected_cpus", QT_TRANSLATE_NOOP("AttributeHelp", "The online CPUs that share this CPU's frequency settings."),
     Unit::None},
    {"related_cpus",
     QT_TRANSLATE_NOOP("AttributeHelp", "All CPUs, online or not, that share this CPU's frequency settings."),
     Unit::None},
    {"bios_limit", QT_TRANSLATE_NOOP("AttributeHelp", "The highest frequency the firmware allows at the moment."),
     Unit::MHz},
    {"base_frequency", QT_TRANSLATE_NOOP("AttributeHelp", "The frequency the processor guarantees without turbo."),
     Unit::MHz},
    {"cpuinfo_cur_freq", QT_TRANSLATE_NOOP("AttributeHelp", "The frequency the hardware reports running at now."),
     Unit::MHz},
    {"cpuinfo_max_freq", QT_TRANSLATE_NOOP("AttributeHelp", "The highest frequency the processor can run at."),
     Unit::MHz},
    {"cpuinfo_min_freq", QT_TRANSLATE_NOOP("AttributeHelp", "The lowest frequency the processor can run at."),
     Unit::MHz},
    {"cpuinfo_transition_latency",
     QT_TRANSLATE_NOOP("AttributeHelp", "How long the processor takes to change from one frequency to another."),
     Unit::Nanoseconds},
    {"energy_performance_available_preferences",
     QT_TRANSLATE_NOOP("AttributeHelp", "The energy-performance preferences this processor accepts."), Unit::None},
    {"energy_performance_preference",
     QT_TRANSLATE_NOOP("AttributeHelp", "A hint to the processor on how far to trade speed for energy; the performance "
                                        "governor allows only \"performance\"."),
     Unit::None},
    {"energy_perf_bias",
     QT_TRANSLATE_NOOP("AttributeHelp", "The energy-performance bias, from 0 (fastest) to 15 (most frugal)."),
     Unit::None},
    {"online", QT_TRANSLATE_NOOP("AttributeHelp", "Whether the CPU runs; an offline CPU takes no work."), Unit::None},
    {"scaling_available_frequencies",
     QT_TRANSLATE_NOOP("AttributeHelp", "The frequencies the driver can set, where it offers a fixed list."),
     Unit::MHz},
    {"scaling_available_governors",
     QT_TRANSLATE_NOOP("AttributeHelp", "The governors that can be chosen for this CPU."), Unit::None},
    {"scaling_cur_freq", QT_TRANSLATE_NOOP("AttributeHelp", "The frequency the kernel last saw this CPU run at."),
     Unit::MHz},
    {"scaling_driver", QT_TRANSLATE_NOOP("AttributeHelp", "The driver that sets this CPU's frequency."), Unit::None},
    {"scaling_governor",
     QT_TRANSLATE_NOOP("AttributeHelp", "The governor that picks the frequency between the two limits."), Unit::None},
    {"scaling_max_freq",
     QT_TRANSLATE_NOOP("AttributeHelp", "The upper limit: the governor never picks a higher frequency."), Unit::MHz},
    {"scaling_min_freq",
     QT_TRANSLATE_NOOP("AttributeHelp", "The lower limit: the governor never picks a lower frequency."), Unit::MHz},
    {"scaling_setspeed",
     QT_TRANSLATE_NOOP("AttributeHelp",
                       "The frequency to run at, chosen by hand; taken only under the userspace governor."),
     Unit::MHz},
};

const Entry *find(const QString &name)
{
    const auto found = std::find_if(std::begin(entries), std::end(entries),
                                    [&name](const Entry &e) { return name == QLatin1String(e.name); });
    return found != std::end(entries) ? found : nullptr;
}

} // namespace

QString AttributeHelp::summary(const QString &name)
{
    const Entry *entry = find(name);
    return entry ? tr(entry->summary) : QString();
}

QString AttributeHelp::unit(const QString &name)
{
    const Entry *entry = find(name);
    switch (entry ? entry->unit : Unit::None) {
    case Unit::MHz:
        return tr("MHz");
    case Unit::Nanoseconds:
        return tr("ns");
    case Unit::None:
        break;
    }
    return QString();
}

QString AttributeHelp::toolTip(const QString &name)
{
    const QString u = unit(name);
    if (u.isEmpty())
        return summary(name);
    //: A tool tip: the attribute's summary, then its unit.
    return tr("%1 Unit: %2.").arg(summary(name), u);
}
