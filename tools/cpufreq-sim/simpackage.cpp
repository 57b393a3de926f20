// SPDX-License-Identifier: GPL-3.0-or-later
// The package around the simulated CPUs: how busy they are (/proc/stat), how hot (hwmon), what they
// draw against which limit (RAPL), whether they throttle, and the platform profile.
#include "simmachine.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>

namespace
{

constexpr std::int64_t jiffiesPerTick = SimMachine::tickNs / 10'000'000; // USER_HZ is 100
constexpr std::uint64_t energyRangeUj = 262'143'328'850ULL;              // what many packages report
const char *const profileChoices[] = {"low-power", "balanced", "performance"};
const char *const profileNames[] = {"low-power", "cool", "quiet", "balanced", "balanced-performance", "performance"};

std::string line(std::uint64_t value)
{
    return std::to_string(value) + '\n';
}

// kstrtoull(): the whole text a decimal number, one trailing newline allowed.
bool parseWhole(std::string_view text, std::uint64_t &value)
{
    if (!text.empty() && text.back() == '\n')
        text.remove_suffix(1);
    if (text.empty() || text.size() > 19)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

SimMachine::Show constant(std::string text)
{
    return [text = std::move(text)](std::string &out) {
        out = text;
        return 0;
    };
}

} // namespace

void SimMachine::addPackageDevices()
{
    packageDevices = true;
    const std::int64_t startTick = 0;
    cpuTimes.assign(policies.size(), CpuTimes{});
    for (std::size_t cpu = 0; cpu < cpuTimes.size(); ++cpu) {
        // A machine that has been up for a while.
        cpuTimes[cpu] = CpuTimes{startTick, 41'000 + 37 * cpu, 9'000 + 11 * cpu, 950'000 + 101 * cpu};
    }
    energyUj = 123'456'789;
    energyTick = startTick;

    addFile(
        "/stat", 0444, [this](std::string &out) { return statText(out); }, {}, 0);

    // hwmon: coretemp on Intel (the package and every core), k10temp on AMD (Tctl).
    const std::string hwmon = "/sys/class/hwmon/hwmon0/";
    const bool amd = cfg.driver == Driver::AmdPstateEpp;
    addFile(hwmon + "name", 0444, constant(amd ? "k10temp\n" : "coretemp\n"));
    const int cores = cfg.cpus % 2 == 0 ? cfg.cpus / 2 : cfg.cpus;
    const int sensors = amd ? 1 : 1 + cores;
    for (int i = 0; i < sensors; ++i) {
        const std::string prefix = hwmon + "temp" + std::to_string(i + 1) + '_';
        const std::string label = amd ? "Tctl" : i == 0 ? "Package id 0" : "Core " + std::to_string(i - 1);
        addFile(prefix + "label", 0444, constant(label + '\n'));
        addFile(prefix + "input", 0444, [this, i](std::string &out) { return hwmonTemp(i, out); });
        if (!amd) {
            addFile(prefix + "max", 0444, constant("80000\n"));
            addFile(prefix + "crit", 0444, constant("100000\n"));
        }
    }

    // RAPL's package zone: the energy counter is root's only, as the kernel has it since 5.10.
    const std::string rapl = "/sys/class/powercap/intel-rapl:0/";
    const std::uint64_t tdpUw = std::max<std::uint64_t>(65'000'000, 10'000'000 + 3'000'000ULL * cfg.cpus);
    powerLimitUw[0] = cfg.powerLimitUw ? cfg.powerLimitUw : tdpUw;
    powerLimitUw[1] = tdpUw * 5 / 4;
    addFile(rapl + "name", 0444, constant("package-0\n"));
    addFile(rapl + "enabled", 0444, constant("1\n"));
    addFile(rapl + "energy_uj", 0400, [this](std::string &out) { return energyText(out); });
    addFile(rapl + "max_energy_range_uj", 0444, constant(line(energyRangeUj)));
    for (int c = 0; c < 2; ++c) {
        const std::string prefix = rapl + "constraint_" + std::to_string(c) + '_';
        addFile(prefix + "name", 0444, constant(c == 0 ? "long_term\n" : "short_term\n"));
        addFile(prefix + "max_power_uw", 0444, constant(line(tdpUw)));
        addFile(prefix + "time_window_us", 0444, constant(c == 0 ? "27983872\n" : "2440\n"));
        addFile(
            prefix + "power_limit_uw", 0644,
            [this, c](std::string &out) {
                out = line(powerLimitUw[c]);
                return 0;
            },
            [this, c](std::string_view text, std::size_t count) -> long {
                std::uint64_t value = 0;
                if (!parseWhole(text, value))
                    return -EINVAL;
                powerLimitUw[c] = value;
                return static_cast<long>(count);
            });
    }

    addFile("/sys/firmware/acpi/platform_profile_choices", 0444, constant("low-power balanced performance\n"));
    addFile(
        "/sys/firmware/acpi/platform_profile", 0644,
        [this](std::string &out) {
            out = platformProfile + '\n';
            return 0;
        },
        [this](std::string_view text, std::size_t count) -> long {
            if (!text.empty() && text.back() == '\n')
                text.remove_suffix(1);
            if (std::find(std::begin(profileNames), std::end(profileNames), text) == std::end(profileNames))
                return -EINVAL;
            if (std::find(std::begin(profileChoices), std::end(profileChoices), text) == std::end(profileChoices))
                return -EOPNOTSUPP; // a profile this platform does not offer
            platformProfile = std::string(text);
            return static_cast<long>(count);
        });
}

int SimMachine::statText(std::string &out)
{
    const std::int64_t tick = (now() - startNs) / tickNs;
    CpuTimes total;
    std::string lines;
    for (std::size_t cpu = 0; cpu < cpuTimes.size(); ++cpu) {
        CpuTimes &t = cpuTimes[cpu];
        for (; t.tick < tick; ++t.tick) {
            const auto busy =
                static_cast<std::uint64_t>(std::lround(load(static_cast<int>(cpu), t.tick) * jiffiesPerTick));
            t.user += busy * 4 / 5;
            t.system += busy - busy * 4 / 5;
            t.idle += jiffiesPerTick - busy;
        }
        total.user += t.user;
        total.system += t.system;
        total.idle += t.idle;
        // Like the kernel, only online CPUs have a line.
        if (cores[cpu].online)
            lines += "cpu" + std::to_string(cpu) + ' ' + std::to_string(t.user) + " 0 " + std::to_string(t.system) + ' '
                     + std::to_string(t.idle) + " 0 0 0 0 0 0\n";
    }
    out = "cpu  " + std::to_string(total.user) + " 0 " + std::to_string(total.system) + ' ' + std::to_string(total.idle)
          + " 0 0 0 0 0 0\n" + lines;
    out += "intr 0\nctxt " + std::to_string(1000 + tick * 250) + "\nbtime "
           + std::to_string(std::time(nullptr) - (now() - startNs) / 1'000'000'000)
           + "\nprocesses 1000\nprocs_running 1\nprocs_blocked 0\nsoftirq 0 0 0 0 0 0 0 0 0 0 0\n";
    return 0;
}

double SimMachine::idlePowerW() const
{
    return 2.0 + 0.25 * cfg.cpus;
}

double SimMachine::demandPowerW(std::int64_t tick) const
{
    // What the CPUs would draw at the frequencies their limits allow, for the work they have.
    if (tick != demandTick) {
        double watts = idlePowerW();
        for (int cpu = 0; cpu < cfg.cpus; ++cpu) {
            const Core &c = cores[static_cast<std::size_t>(cpu)];
            const Policy &p = policies[static_cast<std::size_t>(c.policy)];
            if (c.online)
                watts += 2.5 * load(cpu, tick) * p.maxFreq / p.hwMax;
        }
        demandTick = tick;
        demandW = watts;
    }
    return demandW;
}

double SimMachine::packagePowerW(std::int64_t tick) const
{
    const double limitW = static_cast<double>(std::min(powerLimitUw[0], powerLimitUw[1])) / 1e6;
    return std::max(idlePowerW(), std::min(demandPowerW(tick), limitW));
}

unsigned SimMachine::packageCap(const Policy &p, std::int64_t tick) const
{
    const double top = hardwareMax(p);
    double cap = top;
    const double demand = demandPowerW(tick);
    const double limitW = static_cast<double>(std::min(powerLimitUw[0], powerLimitUw[1])) / 1e6;
    if (limitW < demand) {
        // The power limit takes away frequency in proportion to the power above it.
        const double share = std::clamp((limitW - idlePowerW()) / (demand - idlePowerW()), 0.0, 1.0);
        cap = p.hwMin + (top - p.hwMin) * share;
    }
    if (cfg.hot)
        cap = std::min(cap, p.hwMin + (top - p.hwMin) * 0.5); // thermal throttling
    const auto capKHz = static_cast<unsigned>(cap);
    return p.table.empty() ? capKHz : tableAtMost(p, capKHz);
}

int SimMachine::energyText(std::string &out)
{
    const std::int64_t tick = (now() - startNs) / tickNs;
    for (; energyTick < tick; ++energyTick)
        energyUj =
            (energyUj + static_cast<std::uint64_t>(packagePowerW(energyTick) * static_cast<double>(tickNs) / 1000.0))
            % energyRangeUj;
    // Continuous within the tick, so that two reads any time apart give the power between them.
    const std::int64_t intoTick = now() - startNs - tick * tickNs;
    out = line((energyUj + static_cast<std::uint64_t>(packagePowerW(tick) * static_cast<double>(intoTick) / 1000.0))
               % energyRangeUj);
    return 0;
}

int SimMachine::hwmonTemp(int index, std::string &out) const
{
    const std::int64_t tick = (now() - startNs) / tickNs;
    double milli = 0;
    if (cfg.hot) {
        milli = 100'000; // at the trip point
    } else if (index == 0) {
        // The package warms with the power it draws above idle.
        const double span = 2.5 * cfg.cpus;
        milli = 35'000 + 50'000 * (packagePowerW(tick) - idlePowerW()) / span;
    } else {
        milli = 33'000 + 45'000 * load(2 * (index - 1) % cfg.cpus, tick);
    }
    out = line(static_cast<std::uint64_t>(milli) / 1000 * 1000);
    return 0;
}

bool SimMachine::hasThrottleFiles(int cpu) const
{
    // Intel's thermal interrupt counters; the kernel removes the directory while the CPU is offline.
    return packageDevices && cfg.driver != Driver::AmdPstateEpp && cores[static_cast<std::size_t>(cpu)].online;
}

int SimMachine::showThrottle(int cpu, const std::string &name, std::string &out) const
{
    // A hot package throttles once per tick, every CPU and the package alike.
    const std::uint64_t events = cfg.hot ? static_cast<std::uint64_t>((now() - startNs) / tickNs) + 1 : 0;
    const std::uint64_t eventMs = tickNs / 1'000'000;
    for (const char *scope : {"core_throttle_", "package_throttle_"}) {
        const std::string prefix = scope;
        if (name == prefix + "count")
            out = line(events + (prefix == "core_throttle_" ? static_cast<std::uint64_t>(cpu % 3) : 0));
        else if (name == prefix + "max_time_ms")
            out = line(events ? eventMs : 0);
        else if (name == prefix + "total_time_ms")
            out = line(events * eventMs);
        else
            continue;
        return 0;
    }
    return ENOENT;
}
