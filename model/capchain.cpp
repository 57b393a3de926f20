// SPDX-License-Identifier: GPL-3.0-or-later
#include "capchain.h"

#include <algorithm>
#include <optional>

#include "cpucore.h"
#include "processorswitches.h"

namespace
{

// Two frequencies closer than this are the same ceiling: the drivers round limits to their own
// steps.
constexpr double sameShare = 0.015;
// A CPU running this far below its ceiling is held down by something that moves while it runs.
constexpr double belowShare = 0.93;
// A package drawing this share of a power limit is at it (the limit is an average over a window).
constexpr double atLimitShare = 0.9;

std::optional<long> kHz(const CPUCore &core, const char *name)
{
    const CPUPolicy policy = core.policies.value(QLatin1String(name));
    bool ok = false;
    const long value = policy.value.toLong(&ok);
    return policy.readError == 0 && ok && value > 0 ? std::optional<long>(value) : std::nullopt;
}

QString mhz(std::optional<long> value)
{
    return value ? QString::number(*value / 1000) : QString();
}

QString text(const CPUCore &core, const char *name)
{
    const CPUPolicy policy = core.policies.value(QLatin1String(name));
    return policy.readError == 0 ? policy.value : QString();
}

bool same(long a, long b, long top)
{
    return std::abs(a - b) <= static_cast<long>(sameShare * double(top));
}

} // namespace

QVector<CapChain::Link> CapChain::build(const CPUCore &core, const ProcessorSwitches &processor,
                                        const PackageSensors::Sample &before, const PackageSensors::Sample &after)
{
    using L = Link;
    const bool online = core.isEnabled();
    const std::optional<long> hwMax = kHz(core, "cpuinfo_max_freq");
    const std::optional<long> bios = kHz(core, "bios_limit");
    const std::optional<long> userMax = kHz(core, "scaling_max_freq");
    std::optional<long> current = kHz(core, "scaling_cur_freq");
    if (!current)
        current = kHz(core, "cpuinfo_cur_freq");

    const ProcessorSwitches::Value boost = processor.value(QStringLiteral("boost"));
    const bool hasBoost = processor.has(QStringLiteral("boost")) && boost.readError == 0;
    const bool boostOff = hasBoost && boost.text == QLatin1String("0");
    const ProcessorSwitches::Value pct = processor.value(QStringLiteral("max_perf_pct"));
    const bool hasPct = processor.has(QStringLiteral("max_perf_pct")) && pct.readError == 0;
    // 0 where intel_pstate has no percentage bound.
    const long pctMax = hasPct && hwMax ? *hwMax * pct.text.toLong() / 100 : 0;

    QVector<Link> chain;
    chain << L{QStringLiteral("offline"),
               QStringLiteral("CPU online"),
               online ? QStringLiteral("yes") : QStringLiteral("no"),
               {},
               online ? Binds::No : Binds::Yes,
               online ? QString() : QStringLiteral("the CPU is offline and runs at no frequency")};
    chain << L{QStringLiteral("cpuinfo_max_freq"),
               QStringLiteral("hardware maximum"),
               mhz(hwMax),
               QStringLiteral("MHz"),
               Binds::No,
               {}};
    if (hasBoost)
        chain << L{QStringLiteral("boost"),
                   QStringLiteral("boost (turbo)"),
                   boostOff ? QStringLiteral("off") : QStringLiteral("on"),
                   {},
                   Binds::No,
                   {}};
    if (hasPct)
        chain << L{QStringLiteral("max_perf_pct"),
                   QStringLiteral("intel_pstate max_perf_pct"),
                   pct.text,
                   QStringLiteral("%"),
                   Binds::No,
                   {}};
    if (core.policies.contains(QStringLiteral("bios_limit")))
        chain << L{QStringLiteral("bios_limit"),
                   QStringLiteral("firmware limit"),
                   mhz(bios),
                   QStringLiteral("MHz"),
                   Binds::No,
                   {}};
    chain << L{QStringLiteral("scaling_max_freq"),
               QStringLiteral("upper limit"),
               mhz(userMax),
               QStringLiteral("MHz"),
               Binds::No,
               {}};

    const QString governor = text(core, "scaling_governor");
    const QString epp = text(core, "energy_performance_preference");
    chain << L{QStringLiteral("scaling_governor"), QStringLiteral("governor"), governor, {}, Binds::No, {}};
    if (core.policies.contains(QStringLiteral("energy_performance_preference")))
        chain << L{QStringLiteral("energy_performance_preference"),
                   QStringLiteral("energy-performance preference"),
                   epp,
                   {},
                   Binds::No,
                   {}};
    if (!after.platformProfile.isEmpty())
        chain << L{QStringLiteral("platform_profile"),
                   QStringLiteral("platform profile"),
                   after.platformProfile,
                   {},
                   Binds::No,
                   {}};

    // The power limit: the package's measured power against the lowest limit in force.
    const std::optional<double> watts = PackageSensors::powerW(before, after);
    const PackageSensors::PowerLimit *lowest = nullptr;
    for (const PackageSensors::PowerLimit &limit : after.powerLimits)
        if (!lowest || limit.watts < lowest->watts)
            lowest = &limit;
    const bool powerAtLimit = watts && lowest && *watts >= atLimitShare * lowest->watts;
    if (lowest || !after.energyUj.isEmpty()) {
        Link power{QStringLiteral("power_limit"),
                   QStringLiteral("package power / limit"),
                   {},
                   QStringLiteral("W"),
                   Binds::No,
                   {}};
        const QString limitText = lowest ? QString::number(lowest->watts, 'f', 1) : QStringLiteral("?");
        if (watts)
            power.value = QStringLiteral("%1 / %2").arg(QString::number(*watts, 'f', 1), limitText);
        else
            power.note = after.energyError ? QStringLiteral("needs root: energy_uj is readable by root only")
                                           : QStringLiteral("no energy counter");
        if (lowest)
            power.label += QStringLiteral(" (%1)").arg(lowest->name);
        chain << power;
    }

    // Thermal throttling: counters that rose between the samples.
    const int cpu = core.core_id();
    const bool hasThrottle = before.throttleCounts.contains(cpu) && after.throttleCounts.contains(cpu);
    const quint64 throttled = hasThrottle && after.throttleCounts.value(cpu) > before.throttleCounts.value(cpu)
                                  ? after.throttleCounts.value(cpu) - before.throttleCounts.value(cpu)
                                  : 0;
    if (hasThrottle)
        chain << L{QStringLiteral("thermal_throttle"),
                   QStringLiteral("thermal throttling"),
                   QString::number(throttled),
                   QStringLiteral("events"),
                   Binds::No,
                   {}};
    chain << L{QStringLiteral("scaling_cur_freq"),
               QStringLiteral("running at"),
               mhz(current),
               QStringLiteral("MHz"),
               Binds::No,
               {}};

    const auto mark = [&chain](const QString &key, Binds binds, const QString &note) {
        for (Link &link : chain)
            if (link.key == key) {
                link.binds = binds;
                link.note = note;
            }
    };
    if (!online || !hwMax || !userMax)
        return chain;

    // Which fixed ceiling makes the upper limit in force: the lowest of those outside the user's
    // request, unless the request is lower still.
    long ceiling = *hwMax;
    QString ceilingKey = boostOff ? QStringLiteral("boost") : QStringLiteral("cpuinfo_max_freq");
    QString ceilingNote = boostOff ? QStringLiteral("boost is off, which lowers the hardware maximum")
                                   : QStringLiteral("the CPU runs at the hardware's maximum");
    if (pctMax > 0 && pctMax < ceiling && !same(pctMax, ceiling, *hwMax)) {
        ceiling = pctMax;
        ceilingKey = QStringLiteral("max_perf_pct");
        ceilingNote = QStringLiteral("intel_pstate allows %1% of the maximum").arg(pct.text);
    }
    if (bios && *bios < ceiling && !same(*bios, ceiling, *hwMax)) {
        ceiling = *bios;
        ceilingKey = QStringLiteral("bios_limit");
        ceilingNote = QStringLiteral("the firmware limits the frequency");
    }
    if (*userMax < ceiling && !same(*userMax, ceiling, *hwMax)) {
        ceilingKey = QStringLiteral("scaling_max_freq");
        ceilingNote = QStringLiteral("the upper limit is set below what the hardware allows");
    }

    const bool below = current && double(*current) < belowShare * double(*userMax);
    if (!below) {
        mark(ceilingKey, Binds::Yes, ceilingNote);
        if (throttled)
            mark(QStringLiteral("thermal_throttle"), Binds::Maybe,
                 QStringLiteral("throttle events while at the limit"));
        if (powerAtLimit)
            mark(QStringLiteral("power_limit"), Binds::Maybe, QStringLiteral("the package is at its power limit"));
        return chain;
    }
    // Below the fixed ceilings: something that acts while the CPU runs.
    if (throttled) {
        mark(QStringLiteral("thermal_throttle"), Binds::Yes, QStringLiteral("the CPU throttled to cool down"));
    } else if (powerAtLimit) {
        mark(QStringLiteral("power_limit"), Binds::Yes,
             QStringLiteral("the package draws as much as its limit allows"));
    } else {
        mark(QStringLiteral("scaling_governor"), Binds::Yes,
             governor == QLatin1String("powersave") || governor == QLatin1String("userspace")
                 ? QStringLiteral("the governor keeps the frequency low")
                 : QStringLiteral("the governor picks a lower frequency for the load"));
        if (!epp.isEmpty() && epp.contains(QLatin1String("power")) && !epp.contains(QLatin1String("performance")))
            mark(QStringLiteral("energy_performance_preference"), Binds::Maybe,
                 QStringLiteral("the preference leans to saving energy"));
        // Without the energy counter (a user may not read it) the power limit cannot be ruled out.
        if (!watts && lowest)
            for (Link &link : chain)
                if (link.key == QLatin1String("power_limit"))
                    link.binds = Binds::Maybe;
        if (after.platformProfile == QLatin1String("low-power") || after.platformProfile == QLatin1String("quiet")
            || after.platformProfile == QLatin1String("cool"))
            mark(QStringLiteral("platform_profile"), Binds::Maybe,
                 QStringLiteral("the firmware may hold the processor back"));
    }
    return chain;
}

const CapChain::Link *CapChain::binding(const QVector<Link> &chain)
{
    const auto it = std::find_if(chain.begin(), chain.end(), [](const Link &l) { return l.binds == Binds::Yes; });
    return it == chain.end() ? nullptr : &*it;
}

QString CapChain::bindsName(Binds binds)
{
    switch (binds) {
    case Binds::Yes:
        return QStringLiteral("yes");
    case Binds::Maybe:
        return QStringLiteral("maybe");
    case Binds::No:
        break;
    }
    return QStringLiteral("no");
}
