// SPDX-License-Identifier: GPL-3.0-or-later
#include "simmachine.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <memory>

namespace
{

// What differs between the driver flavours besides their attribute sets.
struct Flavour {
    const char *driver;
    const char *model;
    const char *vendor;
    int family;
    int modelNumber;
    int stepping;
    int cacheKB;
    const char *extraFlags;
    unsigned minKHz;
    unsigned maxKHz;
    const char *governor;
};

const Flavour &flavourOf(SimMachine::Driver driver)
{
    static const Flavour acpi{
        "acpi-cpufreq", "Intel(R) Core(TM) i7-4770 CPU @ 3.40GHz", "GenuineIntel", 6, 60, 3, 8192, "", 800000, 3400000,
        "schedutil"};
    static const Flavour intel{
        "intel_pstate", "Intel(R) Core(TM) i7-6700 CPU @ 3.40GHz", "GenuineIntel", 6,       94,         3,
        8192,           " hwp hwp_notify hwp_act_window hwp_epp",  800000,         4000000, "powersave"};
    // ARM: no x86 identity; cpuinfo is written in ARM's own layout.
    static const Flavour dt{"cpufreq-dt", "", "", 0, 0, 0, 0, "", 408000, 1800000, "schedutil"};
    static const Flavour amd{"amd-pstate-epp",
                             "AMD Ryzen 7 5800X 8-Core Processor",
                             "AuthenticAMD",
                             25,
                             33,
                             0,
                             512,
                             " cppc",
                             550000,
                             4700000,
                             "powersave"};
    switch (driver) {
    case SimMachine::Driver::IntelPstate:
        return intel;
    case SimMachine::Driver::AmdPstateEpp:
        return amd;
    case SimMachine::Driver::CpufreqDt:
        return dt;
    case SimMachine::Driver::AcpiCpufreq:
        break;
    }
    return acpi;
}

const char *const eppNames[] = {"default", "performance", "balance_performance", "balance_power", "power"};
// Index 0 ("default") stands for the power-on value, so it has no entry of its own.
const int intelEppValues[] = {-1, 0x00, 0x80, 0xC0, 0xFF};
const int amdEppValues[] = {-1, 0x00, 0x80, 0xBF, 0xFF};

const char *const topFiles[] = {"kernel_max", "offline", "online", "possible", "present"};
const char *const cpuidleFiles[] = {"current_driver", "current_governor_ro"};
const char *const topologyFiles[] = {"core_cpus_list", "core_id", "die_id", "physical_package_id",
                                     "thread_siblings_list"};

// The kernel's sysfs stores see a NUL-terminated buffer, so text past a NUL does not exist for them.
std::string_view asCString(std::string_view text)
{
    const std::size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view skipSpaces(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    return text.substr(i);
}

// sscanf(buf, "%<width>s"): the first word, at most width characters of it.
std::optional<std::string> firstWord(std::string_view text, std::size_t width)
{
    text = skipSpaces(text);
    std::size_t n = 0;
    while (n < text.size() && n < width && !isSpace(text[n]))
        ++n;
    if (n == 0)
        return std::nullopt;
    return std::string(text.substr(0, n));
}

// sscanf(buf, "%lu"): leading white space skipped, digits taken up to the first non-digit, no
// sign, and an overflow wraps silently.
std::optional<std::uint64_t> scanUnsigned(std::string_view text)
{
    text = skipSpaces(text);
    if (text.empty() || !isDigit(text.front()))
        return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < text.size() && isDigit(text[i]); ++i)
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
    return value;
}

// kstrtouint(buf, 10, &value): the whole text must be the number, one trailing newline allowed.
int strictUnsigned(std::string_view text, unsigned &value)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::uint64_t result = 0;
    bool overflow = false;
    std::size_t i = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        result = result * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (result > UINT_MAX)
            overflow = true;
    }
    if (overflow)
        return ERANGE;
    if (i == 0)
        return EINVAL;
    if (i < text.size() && text[i] == '\n')
        ++i;
    if (i != text.size())
        return EINVAL;
    value = static_cast<unsigned>(result);
    return 0;
}

bool equalsIgnoringCase(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// "cpu7" gives 7, with the number written as the kernel writes it: no sign, no leading zero.
std::optional<int> numberAfter(const std::string &name, std::string_view prefix, int limit)
{
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    const std::string digits = name.substr(prefix.size());
    if (digits.size() > 6 || (digits.size() > 1 && digits.front() == '0'))
        return std::nullopt;
    if (!std::all_of(digits.begin(), digits.end(), isDigit))
        return std::nullopt;
    const int n = std::stoi(digits);
    if (n >= limit)
        return std::nullopt;
    return n;
}

std::vector<std::string> split(const std::string &path)
{
    std::vector<std::string> components;
    std::size_t i = 0;
    while (i < path.size()) {
        const std::size_t slash = path.find('/', i);
        const std::size_t end = slash == std::string::npos ? path.size() : slash;
        if (end > i)
            components.push_back(path.substr(i, end - i));
        i = end + 1;
    }
    return components;
}

template<std::size_t N>
bool contains(const char *const (&names)[N], const std::string &name)
{
    return std::any_of(std::begin(names), std::end(names), [&](const char *n) { return name == n; });
}

std::uint64_t mix(std::uint64_t x)
{
    // splitmix64's finaliser: cheap, and good enough to make neighbouring ticks look unrelated.
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

constexpr double pi = 3.14159265358979323846;

unsigned roundTo100MHz(double kHz)
{
    return static_cast<unsigned>(std::lround(kHz / 100000.0)) * 100000u;
}

std::int64_t steadyNow()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

struct SimMachine::Location {
    enum Kind {
        Root,
        CpuDir,
        CpuInfo,
        TopFile,
        CoreDir,
        CoreOnline,
        CoreCpufreqLink,
        PolicyRoot,
        PolicyDir,
        PolicyAttr,
        StatsDir,
        StatsAttr,
        CpuidleDir,
        CpuidleAttr,
        BoostFile,  // cpufreq/boost
        DriverDir,  // intel_pstate/, amd_pstate/
        DriverAttr, // name: "<dir>/<file>"
        CorePowerDir,
        EpbAttr,
        CoreTopologyDir,
        TopologyAttr,
        CpuCapacity,
        ThrottleDir, // cpuN/thermal_throttle/
        ThrottleAttr,
    };
    Kind kind;
    int cpu = -1; // the CPU; for a policy's files and statistics, the index of the policy

    std::string name;
};

namespace
{

// Evenly spaced P-states in whole 100 MHz steps, at most 16 of them so that the statistics'
// transition table fits its page, listed from the top as ACPI lists them.
std::vector<unsigned> evenTable(unsigned minKHz, unsigned maxKHz)
{
    std::vector<unsigned> table;
    unsigned step = (((maxKHz - minKHz) / 15 + 99999) / 100000) * 100000;
    step = std::max(step, 100000u);
    for (unsigned f = maxKHz; f > minKHz; f = f >= minKHz + step ? f - step : minKHz)
        table.push_back(f);
    table.push_back(minKHz);
    return table;
}

// The operating points of the big.LITTLE machine's clusters, highest first.
const std::vector<unsigned> littleTable = {1800000, 1608000, 1416000, 1200000, 1008000, 816000, 600000, 408000};
const std::vector<unsigned> bigTable = {2400000, 2208000, 2016000, 1800000, 1608000, 1416000,
                                        1200000, 1008000, 816000,  600000,  408000};
constexpr int littleCapacity = 446;
constexpr int bigCapacity = 1024;

// The hybrid machine: 6 performance cores with two threads each, then 8 efficient cores.
constexpr int hybridPThreads = 12;
constexpr int hybridCpus = 20;
constexpr unsigned hybridPMaxKHz = 4700000;
constexpr unsigned hybridEMaxKHz = 3400000;

} // namespace

SimMachine::SimMachine(Config config, Clock clockFn)
    : cfg(std::move(config))
    , clock(clockFn ? std::move(clockFn) : Clock(steadyNow))
{
    if (cfg.machine == Machine::Hybrid) {
        cfg.cpus = hybridCpus;
        cfg.driver = Driver::IntelPstate;
        cfg.minKHz = 800000;
        cfg.maxKHz = hybridPMaxKHz;
        if (cfg.model.empty())
            cfg.model = "12th Gen Intel(R) Core(TM) i7-12700H";
    } else if (cfg.machine == Machine::BigLittle) {
        cfg.cpus = 8;
        cfg.driver = Driver::CpufreqDt;
        cfg.minKHz = littleTable.back();
        cfg.maxKHz = littleTable.front();
    }
    const Flavour &flavour = flavourOf(cfg.driver);
    cfg.cpus = std::max(1, cfg.cpus);
    if (cfg.minKHz == 0)
        cfg.minKHz = flavour.minKHz;
    if (cfg.maxKHz == 0)
        cfg.maxKHz = std::max(flavour.maxKHz, cfg.minKHz);
    cfg.maxKHz = std::max(cfg.maxKHz, cfg.minKHz);
    modelName = cfg.model.empty() ? flavour.model : cfg.model;

    lowestNonlinearFreq = std::clamp(roundTo100MHz(cfg.maxKHz * 0.38), cfg.minKHz, cfg.maxKHz);
    eppDefault = 0x80; // balance_performance, what firmware usually hands over
    // The lowest percentage intel_pstate lets min_perf_pct go to: the hardware minimum's share.
    minPerfPct = cfg.minKHz * 100 / cfg.maxKHz;

    startNs = now();
    buildLayout(flavour.governor);
    if (cfg.machine == Machine::Hybrid)
        addHybridDevices();
}

void SimMachine::buildLayout(const char *governor)
{
    cores.assign(static_cast<std::size_t>(cfg.cpus), Core{});
    const auto addPolicy = [&](int first, int count, unsigned minKHz, unsigned maxKHz, std::vector<unsigned> table) {
        Policy p;
        p.number = first;
        for (int cpu = first; cpu < first + count; ++cpu) {
            p.cpus.push_back(cpu);
            cores[static_cast<std::size_t>(cpu)].policy = policies.size();
        }
        p.hwMin = minKHz;
        p.hwMax = maxKHz;
        p.base = std::clamp(roundTo100MHz(maxKHz * 0.85), minKHz, maxKHz);
        p.table = std::move(table);
        policies.push_back(std::move(p));
    };
    for (int cpu = 0; cpu < cfg.cpus; ++cpu) {
        Core &c = cores[static_cast<std::size_t>(cpu)];
        c.coreId = cpu;
        c.thread = {cpu};
    }
    switch (cfg.machine) {
    case Machine::Hybrid:
        for (int cpu = 0; cpu < hybridCpus; ++cpu) {
            Core &c = cores[static_cast<std::size_t>(cpu)];
            if (cpu < hybridPThreads) {
                // SMT pairs 0-1, 2-3, ...: each thread its own policy, as intel_pstate has it.
                c.coreId = cpu / 2;
                c.thread = {cpu & ~1, cpu | 1};
                addPolicy(cpu, 1, cfg.minKHz, hybridPMaxKHz, {});
            } else {
                c.coreId = hybridPThreads / 2 + (cpu - hybridPThreads);
                addPolicy(cpu, 1, cfg.minKHz, hybridEMaxKHz, {});
            }
        }
        break;
    case Machine::BigLittle:
        addPolicy(0, 4, littleTable.back(), littleTable.front(), littleTable);
        addPolicy(4, 4, bigTable.back(), bigTable.front(), bigTable);
        for (int cpu = 0; cpu < 8; ++cpu)
            cores[static_cast<std::size_t>(cpu)].capacity = cpu < 4 ? littleCapacity : bigCapacity;
        break;
    case Machine::Plain:
        for (int cpu = 0; cpu < cfg.cpus; ++cpu)
            addPolicy(cpu, 1, cfg.minKHz, cfg.maxKHz,
                      hasTable() ? evenTable(cfg.minKHz, cfg.maxKHz) : std::vector<unsigned>{});
        break;
    }
    for (Policy &p : policies) {
        p.governor = governor;
        // The user's requests start at the QoS defaults: no lower bound, no upper bound.
        p.minRequest = 0;
        p.maxRequest = INT_MAX;
        p.epp = eppDefault;
        p.eppBeforePerformance = eppDefault;
        resolveLimits(p);
        p.timeInStateNs.assign(p.table.size(), 0);
        p.transitions.assign(p.table.size() * p.table.size(), 0);
        p.lastNs = startNs;
        p.cur = targetFrequency(p, 0);
        p.setspeed = p.cur;
    }
}

void SimMachine::addHybridDevices()
{
    // The two kinds of core each have a PMU device listing their CPUs.
    const auto list = [](const char *text) {
        return [text](std::string &out) {
            out = text;
            return 0;
        };
    };
    addFile("/sys/devices/cpu_core/cpus", 0444, list("0-11\n"));
    addFile("/sys/devices/cpu_atom/cpus", 0444, list("12-19\n"));
}

SimMachine::Policy &SimMachine::policyOf(int cpu)
{
    return policies[cores[static_cast<std::size_t>(cpu)].policy];
}

std::optional<std::size_t> SimMachine::policyIndex(int number) const
{
    for (std::size_t i = 0; i < policies.size(); ++i)
        if (policies[i].number == number)
            return i;
    return std::nullopt;
}

std::optional<SimMachine::Machine> SimMachine::machineFromName(std::string_view name)
{
    if (name == "plain")
        return Machine::Plain;
    if (name == "hybrid")
        return Machine::Hybrid;
    if (name == "biglittle")
        return Machine::BigLittle;
    return std::nullopt;
}

void SimMachine::observeWrites(WriteObserver observer)
{
    writeObserver = std::move(observer);
}

std::optional<SimMachine::Driver> SimMachine::driverFromName(std::string_view name)
{
    for (Driver d : {Driver::AcpiCpufreq, Driver::IntelPstate, Driver::AmdPstateEpp, Driver::CpufreqDt})
        if (name == flavourOf(d).driver)
            return d;
    return std::nullopt;
}

std::string SimMachine::driverName(Driver driver)
{
    return flavourOf(driver).driver;
}

const SimMachine::Config &SimMachine::config() const
{
    return cfg;
}

const std::vector<unsigned> &SimMachine::frequencyTable() const
{
    return policies.front().table;
}

bool SimMachine::isSetPolicyDriver() const
{
    // intel_pstate and amd-pstate-epp pick P-states themselves in active mode only; in passive
    // (and amd's guided) mode they serve the generic governors.
    return (cfg.driver == Driver::IntelPstate || cfg.driver == Driver::AmdPstateEpp) && mode == "active";
}

bool SimMachine::hasEpp() const
{
    return isSetPolicyDriver();
}

bool SimMachine::hasBoostFile() const
{
    // intel_pstate has no_turbo instead; amd-pstate-epp in active mode has neither.
    return cfg.driver == Driver::AcpiCpufreq || (cfg.driver == Driver::AmdPstateEpp && mode != "active");
}

bool SimMachine::hasEpb() const
{
    // The energy-performance bias is an Intel feature.
    return cfg.driver == Driver::AcpiCpufreq || cfg.driver == Driver::IntelPstate;
}

std::vector<std::string> SimMachine::driverDirFiles() const
{
    if (cfg.driver == Driver::IntelPstate) {
        std::vector<std::string> files = {"max_perf_pct", "min_perf_pct", "no_turbo", "status"};
        if (mode == "active")
            files.emplace_back("hwp_dynamic_boost"); // HWP in active mode only
        return files;
    }
    if (cfg.driver == Driver::AmdPstateEpp)
        return {"prefcore", "status"};
    return {};
}

std::string SimMachine::effectiveDriverName() const
{
    if (cfg.driver == Driver::IntelPstate && mode != "active")
        return "intel_cpufreq";
    if (cfg.driver == Driver::AmdPstateEpp && mode != "active")
        return "amd-pstate";
    return driverName(cfg.driver);
}

unsigned SimMachine::hardwareMax(const Policy &p) const
{
    if (turbo)
        return p.hwMax;
    // Without turbo: below the top P-state (acpi-cpufreq's turbo entry) or at the base frequency.
    if (!p.table.empty())
        return p.table.size() > 1 ? p.table[1] : p.table.front();
    return p.base;
}

int SimMachine::prefcoreRanking(int cpu) const
{
    // Preferred cores differ a little in their highest performance; two of them lead.
    static const int rankings[] = {236, 231, 226, 236, 221, 216, 211, 206};
    return rankings[cpu % 8];
}

bool SimMachine::hasTable() const
{
    return cfg.driver == Driver::AcpiCpufreq || cfg.driver == Driver::CpufreqDt;
}

std::vector<std::string> SimMachine::governors() const
{
    if (cfg.driver == Driver::IntelPstate && !isSetPolicyDriver())
        return {"performance", "powersave", "schedutil", "ondemand", "conservative", "userspace"};
    if (isSetPolicyDriver())
        return {"performance", "powersave"};
    if (cfg.driver == Driver::CpufreqDt)
        return {"conservative", "ondemand", "userspace", "powersave", "performance", "schedutil"};
    return {"performance", "powersave", "schedutil", "ondemand", "userspace"};
}

const std::vector<SimMachine::Attribute> &SimMachine::policyAttributes() const
{
    static const std::vector<Attribute> acpi = {
        {"affected_cpus", 0444},
        {"bios_limit", 0444},
        {"cpuinfo_cur_freq", 0400},
        {"cpuinfo_max_freq", 0444},
        {"cpuinfo_min_freq", 0444},
        {"cpuinfo_transition_latency", 0444},
        {"freqdomain_cpus", 0444},
        {"related_cpus", 0444},
        {"scaling_available_frequencies", 0444},
        {"scaling_available_governors", 0444},
        {"scaling_cur_freq", 0444},
        {"scaling_driver", 0444},
        {"scaling_governor", 0644},
        {"scaling_max_freq", 0644},
        {"scaling_min_freq", 0644},
        {"scaling_setspeed", 0644},
    };
    static const std::vector<Attribute> intel = {
        {"affected_cpus", 0444},
        {"base_frequency", 0444},
        {"cpuinfo_max_freq", 0444},
        {"cpuinfo_min_freq", 0444},
        {"cpuinfo_transition_latency", 0444},
        {"energy_performance_available_preferences", 0444},
        {"energy_performance_preference", 0644},
        {"related_cpus", 0444},
        {"scaling_available_governors", 0444},
        {"scaling_cur_freq", 0444},
        {"scaling_driver", 0444},
        {"scaling_governor", 0644},
        {"scaling_max_freq", 0644},
        {"scaling_min_freq", 0644},
        {"scaling_setspeed", 0644},
    };
    static const std::vector<Attribute> dt = {
        {"affected_cpus", 0444},
        {"cpuinfo_cur_freq", 0400},
        {"cpuinfo_max_freq", 0444},
        {"cpuinfo_min_freq", 0444},
        {"cpuinfo_transition_latency", 0444},
        {"related_cpus", 0444},
        {"scaling_available_frequencies", 0444},
        {"scaling_available_governors", 0444},
        {"scaling_cur_freq", 0444},
        {"scaling_driver", 0444},
        {"scaling_governor", 0644},
        {"scaling_max_freq", 0644},
        {"scaling_min_freq", 0644},
        {"scaling_setspeed", 0644},
    };
    static const std::vector<Attribute> amd = {
        {"affected_cpus", 0444},
        {"amd_pstate_highest_perf", 0444},
        {"amd_pstate_lowest_nonlinear_freq", 0444},
        {"amd_pstate_max_freq", 0444},
        {"amd_pstate_prefcore_ranking", 0444},
        {"cpuinfo_max_freq", 0444},
        {"cpuinfo_min_freq", 0444},
        {"cpuinfo_transition_latency", 0444},
        {"energy_performance_available_preferences", 0444},
        {"energy_performance_preference", 0644},
        {"related_cpus", 0444},
        {"scaling_available_governors", 0444},
        {"scaling_cur_freq", 0444},
        {"scaling_driver", 0444},
        {"scaling_governor", 0644},
        {"scaling_max_freq", 0644},
        {"scaling_min_freq", 0644},
        {"scaling_setspeed", 0644},
    };
    // Passive (and guided) mode: the same files without the energy-performance preference.
    const auto withoutEpp = [](const std::vector<Attribute> &all) {
        std::vector<Attribute> kept;
        for (const Attribute &a : all)
            if (std::string_view(a.name).rfind("energy_performance", 0) != 0)
                kept.push_back(a);
        return kept;
    };
    static const std::vector<Attribute> intelPassive = withoutEpp(intel);
    static const std::vector<Attribute> amdPassive = withoutEpp(amd);
    switch (cfg.driver) {
    case Driver::IntelPstate:
        return hasEpp() ? intel : intelPassive;
    case Driver::AmdPstateEpp:
        return hasEpp() ? amd : amdPassive;
    case Driver::CpufreqDt:
        return dt;
    case Driver::AcpiCpufreq:
        break;
    }
    return acpi;
}

const std::vector<SimMachine::Attribute> &SimMachine::statsAttributes()
{
    static const std::vector<Attribute> stats = {
        {"reset", 0200},
        {"time_in_state", 0444},
        {"total_trans", 0444},
        {"trans_table", 0444},
    };
    return stats;
}

std::optional<unsigned> SimMachine::modeOf(const std::vector<Attribute> &attributes, const std::string &name)
{
    for (const Attribute &a : attributes)
        if (name == a.name)
            return a.mode;
    return std::nullopt;
}

std::optional<SimMachine::Location> SimMachine::locate(const std::string &path) const
{
    const std::vector<std::string> components = split(path);
    using L = Location;
    if (components.empty())
        return L{L::Root, -1, {}};
    if (components[0] == "cpuinfo")
        return components.size() == 1 ? std::optional<L>(L{L::CpuInfo, -1, {}}) : std::nullopt;
    if (components[0] != "cpu")
        return std::nullopt;
    if (components.size() == 1)
        return L{L::CpuDir, -1, {}};

    const std::string &top = components[1];
    if (contains(topFiles, top))
        return components.size() == 2 ? std::optional<L>(L{L::TopFile, -1, top}) : std::nullopt;
    if (top == "cpuidle") {
        if (components.size() == 2)
            return L{L::CpuidleDir, -1, {}};
        if (components.size() == 3 && contains(cpuidleFiles, components[2]))
            return L{L::CpuidleAttr, -1, components[2]};
        return std::nullopt;
    }
    if ((top == "intel_pstate" && cfg.driver == Driver::IntelPstate)
        || (top == "amd_pstate" && cfg.driver == Driver::AmdPstateEpp)) {
        if (components.size() == 2)
            return L{L::DriverDir, -1, top};
        const std::vector<std::string> files = driverDirFiles();
        if (components.size() == 3 && std::find(files.begin(), files.end(), components[2]) != files.end())
            return L{L::DriverAttr, -1, top + '/' + components[2]};
        return std::nullopt;
    }
    if (top == "cpufreq") {
        if (components.size() == 2)
            return L{L::PolicyRoot, -1, {}};
        if (components[2] == "boost")
            return components.size() == 3 && hasBoostFile() ? std::optional<L>(L{L::BoostFile, -1, "boost"})
                                                            : std::nullopt;
        const std::optional<int> number = numberAfter(components[2], "policy", cfg.cpus);
        const std::optional<std::size_t> index = number ? policyIndex(*number) : std::nullopt;
        if (!index)
            return std::nullopt;
        const int pi = static_cast<int>(*index);
        if (components.size() == 3)
            return L{L::PolicyDir, pi, {}};
        const std::string &name = components[3];
        if (components.size() == 4 && modeOf(policyAttributes(), name))
            return L{L::PolicyAttr, pi, name};
        if (hasTable() && name == "stats") {
            if (components.size() == 4)
                return L{L::StatsDir, pi, {}};
            if (components.size() == 5 && modeOf(statsAttributes(), components[4]))
                return L{L::StatsAttr, pi, components[4]};
        }
        return std::nullopt;
    }
    const std::optional<int> cpu = numberAfter(top, "cpu", cfg.cpus);
    if (!cpu)
        return std::nullopt;
    if (components.size() == 2)
        return L{L::CoreDir, *cpu, {}};
    if (components.size() == 3 && components[2] == "online" && *cpu != 0)
        return L{L::CoreOnline, *cpu, {}};
    if (components.size() == 3 && components[2] == "cpufreq")
        return L{L::CoreCpufreqLink, *cpu, {}};
    const bool online = cores[static_cast<std::size_t>(*cpu)].online;
    if (components[2] == "thermal_throttle" && online && hasThrottleFiles(*cpu)) {
        if (components.size() == 3)
            return L{L::ThrottleDir, *cpu, {}};
        std::string ignored;
        if (components.size() == 4 && showThrottle(*cpu, components[3], ignored) == 0)
            return L{L::ThrottleAttr, *cpu, components[3]};
        return std::nullopt;
    }
    // The bias lives in power/ while the CPU is online, as the kernel adds and removes it.
    if (components[2] == "power" && hasEpb() && online) {
        if (components.size() == 3)
            return L{L::CorePowerDir, *cpu, {}};
        if (components.size() == 4 && components[3] == "energy_perf_bias")
            return L{L::EpbAttr, *cpu, {}};
    }
    // topology/ likewise exists only while the CPU is online.
    if (components[2] == "topology" && online) {
        if (components.size() == 3)
            return L{L::CoreTopologyDir, *cpu, {}};
        if (components.size() == 4 && contains(topologyFiles, components[3]))
            return L{L::TopologyAttr, *cpu, components[3]};
    }
    if (components.size() == 3 && components[2] == "cpu_capacity"
        && cores[static_cast<std::size_t>(*cpu)].capacity >= 0)
        return L{L::CpuCapacity, *cpu, {}};
    return std::nullopt;
}

std::optional<SimMachine::Node> SimMachine::node(const std::string &servedPath) const
{
    const std::string path = canonical(servedPath);
    if (const auto extra = extraFiles.find(path); extra != extraFiles.end())
        return Node{NodeType::File, extra->second.mode, {}, extra->second.size};
    if (isExtraDir(path))
        return Node{NodeType::Directory, 0755, {}, 0};
    const std::optional<Location> where = locate(path);
    if (!where)
        return std::nullopt;
    const std::size_t page = cfg.pageSize;
    switch (where->kind) {
    case Location::Root:
    case Location::CpuDir:
    case Location::CoreDir:
    case Location::PolicyRoot:
    case Location::PolicyDir:
    case Location::StatsDir:
    case Location::CpuidleDir:
    case Location::DriverDir:
    case Location::CorePowerDir:
    case Location::CoreTopologyDir:
    case Location::ThrottleDir:
        return Node{NodeType::Directory, 0755, {}, 0};
    case Location::ThrottleAttr:
        return Node{NodeType::File, 0444, {}, page};
    case Location::BoostFile:
    case Location::EpbAttr:
        return Node{NodeType::File, 0644, {}, page};
    case Location::DriverAttr:
        return Node{NodeType::File, where->name == "amd_pstate/prefcore" ? 0444u : 0644u, {}, page};
    case Location::CpuInfo:
        return Node{NodeType::File, 0444, {}, 0};
    case Location::TopFile:
    case Location::CpuidleAttr:
    case Location::TopologyAttr:
    case Location::CpuCapacity:
        return Node{NodeType::File, 0444, {}, page};
    case Location::CoreOnline:
        return Node{NodeType::File, 0644, {}, page};
    case Location::CoreCpufreqLink: {
        std::string target =
            "../cpufreq/policy" + std::to_string(policies[cores[static_cast<std::size_t>(where->cpu)].policy].number);
        const std::size_t size = target.size();
        return Node{NodeType::Symlink, 0777, std::move(target), size};
    }
    case Location::PolicyAttr:
        return Node{NodeType::File, *modeOf(policyAttributes(), where->name), {}, page};
    case Location::StatsAttr:
        return Node{NodeType::File, *modeOf(statsAttributes(), where->name), {}, page};
    }
    return std::nullopt;
}

std::vector<std::string> SimMachine::list(const std::string &servedPath) const
{
    const std::string path = canonical(servedPath);
    if (isExtraDir(path))
        return listExtra(path);
    const std::optional<Location> where = locate(path);
    std::vector<std::string> names;
    if (!where)
        return names;
    switch (where->kind) {
    case Location::Root:
        names = {"cpu", "cpuinfo", "sys"};
        for (std::string &name : listExtra(path))
            if (std::find(names.begin(), names.end(), name) == names.end())
                names.push_back(std::move(name));
        break;
    case Location::CpuDir:
        for (int cpu = 0; cpu < cfg.cpus; ++cpu)
            names.push_back("cpu" + std::to_string(cpu));
        names.insert(names.end(), {"cpufreq", "cpuidle"});
        names.insert(names.end(), std::begin(topFiles), std::end(topFiles));
        if (cfg.driver == Driver::IntelPstate)
            names.emplace_back("intel_pstate");
        if (cfg.driver == Driver::AmdPstateEpp)
            names.emplace_back("amd_pstate");
        break;
    case Location::CoreDir: {
        const Core &c = cores[static_cast<std::size_t>(where->cpu)];
        names.emplace_back("cpufreq");
        if (c.capacity >= 0)
            names.emplace_back("cpu_capacity");
        if (where->cpu != 0)
            names.emplace_back("online");
        if (hasEpb() && c.online)
            names.emplace_back("power");
        if (c.online)
            names.emplace_back("topology");
        if (hasThrottleFiles(where->cpu))
            names.emplace_back("thermal_throttle");
        break;
    }
    case Location::CoreTopologyDir:
        names.assign(std::begin(topologyFiles), std::end(topologyFiles));
        break;
    case Location::ThrottleDir:
        names = {"core_throttle_count",    "core_throttle_max_time_ms",    "core_throttle_total_time_ms",
                 "package_throttle_count", "package_throttle_max_time_ms", "package_throttle_total_time_ms"};
        break;
    case Location::PolicyRoot:
        if (hasBoostFile())
            names.emplace_back("boost");
        for (const Policy &p : policies)
            names.push_back("policy" + std::to_string(p.number));
        break;
    case Location::DriverDir:
        names = driverDirFiles();
        break;
    case Location::CorePowerDir:
        names.emplace_back("energy_perf_bias");
        break;
    case Location::PolicyDir:
        for (const Attribute &a : policyAttributes())
            names.emplace_back(a.name);
        if (hasTable())
            names.emplace_back("stats");
        break;
    case Location::StatsDir:
        for (const Attribute &a : statsAttributes())
            names.emplace_back(a.name);
        break;
    case Location::CpuidleDir:
        names.assign(std::begin(cpuidleFiles), std::end(cpuidleFiles));
        break;
    default:
        break;
    }
    return names;
}

int SimMachine::open(const std::string &path, bool forRead, bool forWrite) const
{
    const std::optional<Node> n = node(path);
    if (!n)
        return ENOENT;
    if (n->type == NodeType::Directory)
        return forWrite ? EISDIR : 0;
    if ((forRead && !(n->mode & 0400)) || (forWrite && !(n->mode & 0200)))
        return EACCES;
    return 0;
}

int SimMachine::read(const std::string &servedPath, std::string &out)
{
    out.clear();
    const std::string path = canonical(servedPath);
    if (const int err = open(path, true, false))
        return err;
    for (const auto &[failing, error] : cfg.readErrors) {
        if (failing == path)
            return error;
    }
    if (const auto extra = extraFiles.find(path); extra != extraFiles.end())
        return extra->second.show(out);
    const std::optional<Location> where = locate(path);
    if (!where)
        return EISDIR;
    switch (where->kind) {
    case Location::CpuInfo:
        out = cpuInfoText();
        return 0;
    case Location::TopFile:
        if (where->name == "online")
            out = cpuList(true);
        else if (where->name == "offline")
            out = cpuList(false);
        else if (where->name == "kernel_max")
            out = "8191\n";
        else
            out = cfg.cpus == 1 ? "0\n" : "0-" + std::to_string(cfg.cpus - 1) + "\n";
        return 0;
    case Location::CpuidleAttr:
        if (where->name == "current_driver")
            out = cfg.driver == Driver::IntelPstate ? "intel_idle\n"
                  : cfg.driver == Driver::CpufreqDt ? "psci_idle\n"
                                                    : "acpi_idle\n";
        else
            out = "menu\n";
        return 0;
    case Location::CoreOnline:
        out = cores[static_cast<std::size_t>(where->cpu)].online ? "1\n" : "0\n";
        return 0;
    case Location::PolicyAttr: {
        Policy &p = policies[static_cast<std::size_t>(where->cpu)];
        if (!p.online)
            return EBUSY;
        return showPolicy(p, where->name, out);
    }
    case Location::StatsAttr: {
        Policy &p = policies[static_cast<std::size_t>(where->cpu)];
        if (!p.online)
            return EBUSY;
        return showStats(p, where->name, out);
    }
    case Location::TopologyAttr:
        return showTopology(where->cpu, where->name, out);
    case Location::CpuCapacity:
        out = std::to_string(cores[static_cast<std::size_t>(where->cpu)].capacity) + '\n';
        return 0;
    case Location::BoostFile:
        out = turbo ? "1\n" : "0\n";
        return 0;
    case Location::DriverAttr:
        return showGlobal(where->name, out);
    case Location::EpbAttr:
        out = std::to_string(cores[static_cast<std::size_t>(where->cpu)].epb) + '\n';
        return 0;
    case Location::ThrottleAttr:
        return showThrottle(where->cpu, where->name, out);
    default:
        return EISDIR;
    }
}

long SimMachine::write(const std::string &servedPath, std::string_view data)
{
    const std::string path = canonical(servedPath);
    if (const int err = open(path, false, true))
        return -err;
    if (data.empty())
        return 0;
    // kernfs hands a store at most one page per write(2) and reports only that much as written.
    const std::size_t count = std::min(data.size(), cfg.pageSize);
    const std::string_view text = asCString(data.substr(0, count));
    const long result = store(path, text, count);
    if (writeObserver)
        writeObserver(path, text, result);
    return result;
}

long SimMachine::store(const std::string &path, std::string_view text, std::size_t count)
{
    if (const auto extra = extraFiles.find(path); extra != extraFiles.end())
        return extra->second.store ? extra->second.store(text, count) : -EACCES;
    const std::optional<Location> where = locate(path);
    if (!where)
        return -EISDIR;
    switch (where->kind) {
    case Location::CoreOnline:
        return storeOnline(where->cpu, text, count);
    case Location::PolicyAttr: {
        Policy &p = policies[static_cast<std::size_t>(where->cpu)];
        if (!p.online)
            return -EBUSY;
        return storePolicy(p, where->name, text, count);
    }
    case Location::StatsAttr: {
        Policy &p = policies[static_cast<std::size_t>(where->cpu)];
        if (!p.online)
            return -EBUSY;
        // reset, the only writable statistic: any text clears the counters.
        advance(p, now());
        std::fill(p.timeInStateNs.begin(), p.timeInStateNs.end(), 0);
        std::fill(p.transitions.begin(), p.transitions.end(), 0u);
        p.totalTransitions = 0;
        return static_cast<long>(count);
    }
    case Location::BoostFile: {
        // sscanf("%d"): 0 or 1, anything else EINVAL.
        const std::optional<std::uint64_t> value = scanUnsigned(text);
        if (!value || *value > 1)
            return -EINVAL;
        turbo = *value == 1;
        resolveAll();
        return static_cast<long>(count);
    }
    case Location::DriverAttr:
        return storeGlobal(where->name, text, count);
    case Location::EpbAttr:
        return storeEpb(where->cpu, text, count);
    default:
        return -EACCES;
    }
}

void SimMachine::addFile(const std::string &path, unsigned mode, Show show, Store store, std::size_t size)
{
    extraFiles[path] = ExtraFile{mode, std::move(show), std::move(store), size};
}

void SimMachine::addPowerSupply()
{
    struct Supply {
        bool online = true;
        int capacity = 80;
    };
    const auto state = std::make_shared<Supply>();
    const std::string ac = "/sys/class/power_supply/AC/";
    const std::string battery = "/sys/class/power_supply/BAT0/";
    const auto constant = [](std::string text) {
        return [text = std::move(text)](std::string &out) {
            out = text;
            return 0;
        };
    };
    // A number from min to max, with an optional newline, as the kernel's kstrtoint takes it.
    const auto number = [](std::string_view text, int min, int max) -> std::optional<int> {
        if (!text.empty() && text.back() == '\n')
            text.remove_suffix(1);
        if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        const int value = std::stoi(std::string(text));
        if (value < min || value > max)
            return std::nullopt;
        return value;
    };
    addFile(ac + "type", 0444, constant("Mains\n"));
    addFile(
        ac + "online", 0644,
        [state](std::string &out) {
            out = state->online ? "1\n" : "0\n";
            return 0;
        },
        [state, number](std::string_view text, std::size_t count) -> long {
            const std::optional<int> value = number(text, 0, 1);
            if (!value)
                return -EINVAL;
            state->online = *value == 1;
            return static_cast<long>(count);
        });
    addFile(battery + "type", 0444, constant("Battery\n"));
    addFile(battery + "present", 0444, constant("1\n"));
    addFile(
        battery + "capacity", 0644,
        [state](std::string &out) {
            out = std::to_string(state->capacity) + '\n';
            return 0;
        },
        [state, number](std::string_view text, std::size_t count) -> long {
            const std::optional<int> value = number(text, 0, 100);
            if (!value)
                return -EINVAL;
            state->capacity = *value;
            return static_cast<long>(count);
        });
    addFile(battery + "status", 0444, [state](std::string &out) {
        out = !state->online ? "Discharging\n" : state->capacity >= 100 ? "Full\n" : "Charging\n";
        return 0;
    });
}

std::string SimMachine::canonical(const std::string &path)
{
    static const std::string cpuTree = "/sys/devices/system/cpu";
    if (path.compare(0, cpuTree.size(), cpuTree) == 0 && (path.size() == cpuTree.size() || path[cpuTree.size()] == '/'))
        return "/cpu" + path.substr(cpuTree.size());
    return path;
}

bool SimMachine::isExtraDir(const std::string &path) const
{
    if (path == "/sys" || path == "/sys/devices" || path == "/sys/devices/system")
        return true;
    const std::string prefix = path + '/';
    const auto next = extraFiles.lower_bound(prefix);
    return next != extraFiles.end() && next->first.compare(0, prefix.size(), prefix) == 0;
}

std::vector<std::string> SimMachine::listExtra(const std::string &path) const
{
    std::vector<std::string> names;
    if (path == "/sys")
        names.emplace_back("devices");
    else if (path == "/sys/devices")
        names.emplace_back("system");
    else if (path == "/sys/devices/system")
        names.emplace_back("cpu");
    const std::string prefix = path == "/" ? path : path + '/';
    for (auto it = extraFiles.lower_bound(prefix); it != extraFiles.end(); ++it) {
        if (it->first.compare(0, prefix.size(), prefix) != 0)
            break;
        const std::string child = it->first.substr(prefix.size(), it->first.find('/', prefix.size()) - prefix.size());
        if (std::find(names.begin(), names.end(), child) == names.end())
            names.push_back(child);
    }
    return names;
}

std::string SimMachine::cpuList(bool online) const
{
    std::string text;
    int cpu = 0;
    while (cpu < cfg.cpus) {
        if (cores[static_cast<std::size_t>(cpu)].online != online) {
            ++cpu;
            continue;
        }
        int last = cpu;
        while (last + 1 < cfg.cpus && cores[static_cast<std::size_t>(last) + 1].online == online)
            ++last;
        if (!text.empty())
            text += ',';
        text += std::to_string(cpu);
        if (last > cpu)
            text += '-' + std::to_string(last);
        cpu = last + 1;
    }
    return text + '\n';
}

std::string SimMachine::cpuInfoText()
{
    if (cfg.driver == Driver::CpufreqDt)
        return armCpuInfoText();
    const Flavour &flavour = flavourOf(cfg.driver);
    const std::int64_t t = now();
    // The physical cores, as topology/ has them.
    const int physical = cores.empty() ? 0 : cores.back().coreId + 1;
    char bogomips[32];
    // Twice the nominal clock: the top P-state for acpi-cpufreq, the base frequency for the others.
    const unsigned nominal = hasTable() ? cfg.maxKHz : policies.front().base;
    std::snprintf(bogomips, sizeof bogomips, "%.2f", 2.0 * nominal / 1000.0);
    std::string text;
    for (int cpu = 0; cpu < cfg.cpus; ++cpu) {
        const Core &c = cores[static_cast<std::size_t>(cpu)];
        if (!c.online)
            continue; // /proc/cpuinfo lists online CPUs only
        Policy &p = policyOf(cpu);
        advance(p, t);
        char mhz[32];
        std::snprintf(mhz, sizeof mhz, "%.3f", p.cur / 1000.0);
        text += "processor\t: " + std::to_string(cpu) + '\n';
        text += std::string("vendor_id\t: ") + flavour.vendor + '\n';
        text += "cpu family\t: " + std::to_string(flavour.family) + '\n';
        text += "model\t\t: " + std::to_string(flavour.modelNumber) + '\n';
        text += "model name\t: " + modelName + '\n';
        text += "stepping\t: " + std::to_string(flavour.stepping) + '\n';
        text += std::string("cpu MHz\t\t: ") + mhz + '\n';
        text += "cache size\t: " + std::to_string(flavour.cacheKB) + " KB\n";
        text += "physical id\t: 0\n";
        text += "siblings\t: " + std::to_string(cfg.cpus) + '\n';
        text += "core id\t\t: " + std::to_string(c.coreId) + '\n';
        text += "cpu cores\t: " + std::to_string(physical) + '\n';
        text += "apicid\t\t: " + std::to_string(cpu) + '\n';
        text += "fpu\t\t: yes\n";
        text += std::string("flags\t\t: fpu vme de pse tsc msr pae mce cx8 apic sep mtrr pge mca cmov pat pse36 "
                            "clflush mmx fxsr sse sse2 ht syscall nx lm constant_tsc nonstop_tsc pni ssse3 cx16 "
                            "sse4_1 sse4_2 popcnt aes xsave avx avx2")
                + flavour.extraFlags + '\n';
        text += std::string("bogomips\t: ") + bogomips + '\n';
        text += "clflush size\t: 64\n";
        text += "address sizes\t: 39 bits physical, 48 bits virtual\n";
        text += '\n';
    }
    return text;
}

std::string SimMachine::armCpuInfoText()
{
    // arm64's layout: no model name, no clock; the big cores are another part than the little ones.
    std::string text;
    for (int cpu = 0; cpu < cfg.cpus; ++cpu) {
        const Core &c = cores[static_cast<std::size_t>(cpu)];
        if (!c.online)
            continue;
        const bool big = c.capacity == bigCapacity;
        text += "processor\t: " + std::to_string(cpu) + '\n';
        text += "BogoMIPS\t: 48.00\n";
        text += "Features\t: fp asimd evtstrm aes pmull sha1 sha2 crc32 atomics fphp asimdhp cpuid asimdrdm lrcpc "
                "dcpop asimddp\n";
        text += "CPU implementer\t: 0x41\n";
        text += "CPU architecture: 8\n";
        text += std::string("CPU variant\t: ") + (big ? "0x3" : "0x2") + '\n';
        text += std::string("CPU part\t: ") + (big ? "0xd0b" : "0xd05") + '\n';
        text += "CPU revision\t: 0\n\n";
    }
    return text;
}

std::string SimMachine::affectedCpus(const Policy &p) const
{
    std::string text;
    for (int cpu : p.cpus) {
        if (!cores[static_cast<std::size_t>(cpu)].online)
            continue;
        text += (text.empty() ? "" : " ") + std::to_string(cpu);
    }
    return text + '\n';
}

std::string SimMachine::siblingList(int cpu) const
{
    // The kernel's list format over the online threads: "0-1", "4".
    std::vector<int> online;
    for (int t : cores[static_cast<std::size_t>(cpu)].thread)
        if (cores[static_cast<std::size_t>(t)].online)
            online.push_back(t);
    std::string text;
    for (std::size_t i = 0; i < online.size();) {
        std::size_t j = i;
        while (j + 1 < online.size() && online[j + 1] == online[j] + 1)
            ++j;
        text += (text.empty() ? "" : ",") + std::to_string(online[i]);
        if (j > i)
            text += '-' + std::to_string(online[j]);
        i = j + 1;
    }
    return text + '\n';
}

int SimMachine::showTopology(int cpu, const std::string &name, std::string &out) const
{
    if (name == "thread_siblings_list" || name == "core_cpus_list")
        out = siblingList(cpu);
    else if (name == "core_id")
        out = std::to_string(cores[static_cast<std::size_t>(cpu)].coreId) + '\n';
    else if (name == "physical_package_id" || name == "die_id")
        out = "0\n"; // one package with one die
    else
        return EIO;
    return 0;
}

int SimMachine::showPolicy(Policy &p, const std::string &name, std::string &out)
{
    const auto line = [&out](unsigned long long value) { out = std::to_string(value) + '\n'; };
    if (name == "affected_cpus") {
        out = affectedCpus(p);
    } else if (name == "related_cpus" || name == "freqdomain_cpus") {
        out.clear();
        for (int cpu : p.cpus)
            out += (out.empty() ? "" : " ") + std::to_string(cpu);
        out += '\n';
    } else if (name == "bios_limit") {
        line(cfg.biosLimitKHz ? std::min(cfg.biosLimitKHz, p.hwMax) : p.hwMax);
    } else if (name == "amd_pstate_max_freq") {
        line(p.hwMax);
    } else if (name == "cpuinfo_max_freq") {
        line(hardwareMax(p));
    } else if (name == "cpuinfo_min_freq") {
        line(p.hwMin);
    } else if (name == "cpuinfo_transition_latency") {
        // In nanoseconds; the drivers that pick P-states themselves do not report one.
        line(isSetPolicyDriver() ? 0 : 10000);
    } else if (name == "cpuinfo_cur_freq" || name == "scaling_cur_freq") {
        advance(p, now());
        line(p.cur);
    } else if (name == "scaling_available_frequencies") {
        // ACPI lists its P-states from the top, an OPP table from the bottom.
        if (cfg.driver == Driver::CpufreqDt) {
            for (auto f = p.table.rbegin(); f != p.table.rend(); ++f)
                out += std::to_string(*f) + ' ';
        } else {
            for (unsigned f : p.table)
                out += std::to_string(f) + ' ';
        }
        out += '\n';
    } else if (name == "scaling_available_governors") {
        if (isSetPolicyDriver()) {
            out = "performance powersave\n";
        } else {
            for (const std::string &g : governors())
                out += g + ' ';
            out += '\n';
        }
    } else if (name == "scaling_driver") {
        out = effectiveDriverName() + '\n';
    } else if (name == "scaling_governor") {
        out = p.governor + '\n';
    } else if (name == "scaling_max_freq") {
        line(p.maxFreq);
    } else if (name == "scaling_min_freq") {
        line(p.minFreq);
    } else if (name == "scaling_setspeed") {
        if (p.governor == "userspace") {
            advance(p, now());
            line(p.cur);
        } else {
            out = "<unsupported>\n";
        }
    } else if (name == "base_frequency") {
        line(p.base);
    } else if (name == "amd_pstate_lowest_nonlinear_freq") {
        line(lowestNonlinearFreq);
    } else if (name == "amd_pstate_highest_perf" || name == "amd_pstate_prefcore_ranking") {
        line(static_cast<unsigned>(prefcoreRanking(p.number)));
    } else if (name == "energy_performance_available_preferences") {
        for (const char *n : eppNames)
            out += std::string(n) + ' ';
        out += '\n';
    } else if (name == "energy_performance_preference") {
        out = eppName(p.epp) + '\n';
    } else {
        return EIO;
    }
    return 0;
}

int SimMachine::showStats(Policy &p, const std::string &name, std::string &out)
{
    advance(p, now());
    const std::vector<unsigned> &table = p.table;
    const std::size_t n = table.size();
    if (name == "time_in_state") {
        // Reported in clock ticks of USER_HZ (100 per second).
        for (std::size_t i = 0; i < n; ++i)
            out += std::to_string(table[i]) + ' ' + std::to_string(p.timeInStateNs[i] / 10'000'000) + '\n';
    } else if (name == "total_trans") {
        out = std::to_string(p.totalTransitions) + '\n';
    } else if (name == "trans_table") {
        char cell[32];
        out = "   From  :    To\n         : ";
        for (unsigned f : table) {
            std::snprintf(cell, sizeof cell, "%9u ", f);
            out += cell;
        }
        out += '\n';
        for (std::size_t from = 0; from < n; ++from) {
            std::snprintf(cell, sizeof cell, "%9u: ", table[from]);
            out += cell;
            for (std::size_t to = 0; to < n; ++to) {
                std::snprintf(cell, sizeof cell, "%9u ", p.transitions[from * n + to]);
                out += cell;
            }
            out += '\n';
        }
    } else {
        return EACCES;
    }
    return 0;
}

long SimMachine::storeOnline(int cpu, std::string_view text, std::size_t count)
{
    if (text != "0" && text != "1" && text != "0\n" && text != "1\n")
        return -EINVAL;
    const bool online = text.front() == '1';
    Core &c = cores[static_cast<std::size_t>(cpu)];
    if (c.online == online)
        return static_cast<long>(count);
    c.online = online;
    // The policy stays active while any of its CPUs is online.
    Policy &p = policyOf(cpu);
    const bool active = std::any_of(p.cpus.begin(), p.cpus.end(),
                                    [this](int member) { return cores[static_cast<std::size_t>(member)].online; });
    if (active == p.online)
        return static_cast<long>(count);
    const std::int64_t t = now();
    advance(p, t);
    p.online = active;
    if (active) {
        // The governor starts again with the settings the policy kept while it was inactive.
        p.lastNs = t;
        retarget(p, t);
        if (cfg.forgetOnOnline)
            resetPolicy(p, t);
    }
    return static_cast<long>(count);
}

long SimMachine::storePolicy(Policy &p, const std::string &name, std::string_view text, std::size_t count)
{
    if (name == "scaling_governor") {
        const long result = storeGovernor(p, text, count);
        if (result > 0)
            retarget(p, now());
        return result;
    }
    if (name == "energy_performance_preference")
        return storeEpp(p, text, count);
    if (name == "scaling_min_freq" || name == "scaling_max_freq") {
        const std::optional<std::uint64_t> value = scanUnsigned(text);
        if (!value)
            return -EINVAL;
        // The frequency QoS request is a signed 32-bit number; the value is cut to it, and what
        // comes out negative is refused.
        const auto request = static_cast<std::int32_t>(static_cast<std::uint32_t>(*value));
        if (request < 0)
            return -EINVAL;
        advance(p, now());
        (name == "scaling_min_freq" ? p.minRequest : p.maxRequest) = request;
        resolveLimits(p);
        retarget(p, now());
        return static_cast<long>(count);
    }
    if (name == "scaling_setspeed") {
        if (p.governor != "userspace")
            return -EINVAL;
        const std::optional<std::uint64_t> value = scanUnsigned(text);
        if (!value)
            return -EINVAL;
        advance(p, now());
        p.setspeed = static_cast<unsigned>(*value);
        retarget(p, now());
        return static_cast<long>(count);
    }
    return -EIO;
}

long SimMachine::storeGovernor(Policy &p, std::string_view text, std::size_t count)
{
    const std::optional<std::string> word = firstWord(text, 15);
    if (!word)
        return -EINVAL;
    std::string chosen;
    for (const std::string &g : governors())
        if (equalsIgnoringCase(*word, g))
            chosen = g;
    if (chosen.empty())
        return -EINVAL;

    advance(p, now());
    if (chosen != p.governor && isSetPolicyDriver()) {
        // The performance policy pins EPP to performance and gives the old preference back on
        // leaving it.
        if (chosen == "performance") {
            p.eppBeforePerformance = p.epp;
            p.epp = 0;
        } else if (p.governor == "performance") {
            p.epp = p.eppBeforePerformance;
        }
    }
    if (chosen == "userspace" && p.governor != "userspace")
        p.setspeed = p.cur; // the userspace governor starts where the CPU is
    p.governor = chosen;
    return static_cast<long>(count);
}

long SimMachine::storeEpp(Policy &p, std::string_view text, std::size_t count)
{
    const std::optional<std::string> word = firstWord(text, 20);
    if (!word)
        return -EINVAL;
    const int *values = cfg.driver == Driver::IntelPstate ? intelEppValues : amdEppValues;
    int epp = -1;
    for (std::size_t i = 0; i < std::size(eppNames); ++i)
        if (*word == eppNames[i])
            epp = i == 0 ? eppDefault : values[i];
    if (epp < 0) {
        // intel_pstate also takes a raw EPP value; amd-pstate only the names.
        if (cfg.driver != Driver::IntelPstate)
            return -EINVAL;
        unsigned raw = 0;
        if (const int err = strictUnsigned(text, raw))
            return -err;
        if (raw > 255)
            return -EINVAL;
        epp = static_cast<int>(raw);
    }
    // Under the performance policy any other preference would be overridden at once.
    if (epp > 0 && p.governor == "performance")
        return -EBUSY;
    p.epp = epp;
    return static_cast<long>(count);
}

std::string SimMachine::eppName(int epp) const
{
    const int *values = cfg.driver == Driver::IntelPstate ? intelEppValues : amdEppValues;
    for (std::size_t i = 1; i < std::size(eppNames); ++i)
        if (values[i] == epp)
            return eppNames[i];
    return std::to_string(epp);
}

void SimMachine::resolveLimits(Policy &p) const
{
    const long hwMin = p.hwMin;
    long hwMax = hardwareMax(p);
    long pctMin = hwMin;
    if (cfg.driver == Driver::IntelPstate) {
        // max_perf_pct and min_perf_pct bound every policy, in percent of the maximum in force.
        hwMax = std::max(hwMin, hwMax * static_cast<long>(maxPerfPct) / 100);
        pctMin = std::clamp(static_cast<long>(hardwareMax(p)) * static_cast<long>(minPerfPct) / 100, hwMin, hwMax);
    }
    // The firmware's limit (ACPI _PPC) holds the maximum down like a request of its own.
    if (hasTable() && cfg.biosLimitKHz)
        hwMax = std::clamp(static_cast<long>(cfg.biosLimitKHz), hwMin, hwMax);
    // The maximum wins: a minimum above it is held back, not refused, and comes back into force
    // once the maximum allows it.
    long max = std::clamp(p.maxRequest, hwMin, hwMax);
    long min = std::clamp(p.minRequest, pctMin, max);
    if (!p.table.empty()) {
        // With a frequency table, at least one P-state must lie within the limits: if none does,
        // the maximum moves up to the next one. Then both limits settle on P-states without
        // leaving the range.
        const bool anyInside = std::any_of(p.table.begin(), p.table.end(), [&](unsigned f) {
            return static_cast<long>(f) >= min && static_cast<long>(f) <= max;
        });
        if (!anyInside) {
            max = tableAtLeast(p, static_cast<unsigned>(max));
            min = std::clamp(min, hwMin, max);
        }
        min = tableAtLeast(p, static_cast<unsigned>(min));
        max = tableAtMost(p, static_cast<unsigned>(max));
    }
    p.minFreq = static_cast<unsigned>(min);
    p.maxFreq = static_cast<unsigned>(max);
}

unsigned SimMachine::tableAtLeast(const Policy &p, unsigned freq)
{
    unsigned best = p.table.front(); // the highest
    for (unsigned f : p.table)
        if (f >= freq && f < best)
            best = f;
    return best;
}

unsigned SimMachine::tableAtMost(const Policy &p, unsigned freq)
{
    unsigned best = p.table.back(); // the lowest
    for (unsigned f : p.table)
        if (f <= freq && f > best)
            best = f;
    return best;
}

int SimMachine::tableIndex(const Policy &p, unsigned freq)
{
    for (std::size_t i = 0; i < p.table.size(); ++i)
        if (p.table[i] == freq)
            return static_cast<int>(i);
    return -1;
}

std::int64_t SimMachine::now() const
{
    return clock();
}

void SimMachine::advance(Policy &p, std::int64_t nowNs)
{
    if (!p.online) {
        // An inactive policy accumulates no statistics.
        p.lastNs = std::max(p.lastNs, nowNs);
        return;
    }
    while (p.lastNs < nowNs) {
        const std::int64_t tick = (p.lastNs - startNs) / tickNs;
        const std::int64_t boundary = startNs + (tick + 1) * tickNs;
        const std::int64_t end = std::min(boundary, nowNs);
        if (const int i = tableIndex(p, p.cur); i >= 0)
            p.timeInStateNs[static_cast<std::size_t>(i)] += end - p.lastNs;
        p.lastNs = end;
        if (end == boundary)
            moveTo(p, targetFrequency(p, tick + 1));
    }
}

void SimMachine::retarget(Policy &p, std::int64_t nowNs)
{
    if (!p.online)
        return;
    moveTo(p, targetFrequency(p, std::max<std::int64_t>(0, (nowNs - startNs) / tickNs)));
}

void SimMachine::moveTo(Policy &p, unsigned freq)
{
    if (freq == p.cur)
        return;
    const int from = tableIndex(p, p.cur);
    const int to = tableIndex(p, freq);
    if (from >= 0 && to >= 0) {
        p.transitions[static_cast<std::size_t>(from) * p.table.size() + static_cast<std::size_t>(to)]++;
        p.totalTransitions++;
    }
    p.cur = freq;
}

double SimMachine::load(int cpu, std::int64_t tick) const
{
    // A slow swell per CPU with some jitter on top, like a desktop's background work.
    const std::uint64_t cpuHash = mix(cfg.seed ^ (static_cast<std::uint64_t>(cpu) << 32));
    const double period = 6.0 + static_cast<double>(cpuHash % 7);
    const double phase = static_cast<double>((cpuHash >> 8) % 628) / 100.0;
    const double seconds = static_cast<double>(tick) * tickNs / 1e9;
    const double wave = 0.5 + 0.35 * std::sin(2.0 * pi * seconds / period + phase);
    const std::uint64_t tickHash = mix(cpuHash ^ static_cast<std::uint64_t>(tick));
    const double jitter = static_cast<double>(tickHash % 1000) / 1000.0 - 0.5;
    return std::clamp(wave + 0.3 * jitter, 0.0, 1.0);
}

unsigned SimMachine::targetFrequency(const Policy &p, std::int64_t tick) const
{
    const unsigned min = p.minFreq;
    const unsigned max = packageDevices ? std::max(min, std::min(p.maxFreq, packageCap(p, tick))) : p.maxFreq;
    const auto span = static_cast<double>(max - min);
    // A shared policy follows the load of its first CPU.
    const double l = load(p.number, tick);
    if (!p.table.empty()) {
        if (p.governor == "performance")
            return max;
        if (p.governor == "powersave")
            return min;
        if (p.governor == "userspace")
            return tableAtLeast(p, std::clamp(p.setspeed, min, max));
        return tableAtLeast(p, min + static_cast<unsigned>(l * span));
    }
    // Without a table the hardware picks any frequency; the policy only sets its leaning.
    if (p.governor == "performance")
        return max - static_cast<unsigned>(0.03 * l * span);
    return min + static_cast<unsigned>(0.25 * l * span);
}

int SimMachine::showGlobal(const std::string &name, std::string &out) const
{
    const auto line = [&out](unsigned value) { out = std::to_string(value) + '\n'; };
    if (name == "intel_pstate/status" || name == "amd_pstate/status")
        out = mode + '\n';
    else if (name == "intel_pstate/no_turbo")
        line(turbo ? 0 : 1);
    else if (name == "intel_pstate/max_perf_pct")
        line(maxPerfPct);
    else if (name == "intel_pstate/min_perf_pct")
        line(minPerfPct);
    else if (name == "intel_pstate/hwp_dynamic_boost")
        line(hwpDynamicBoost ? 1 : 0);
    else if (name == "amd_pstate/prefcore")
        out = "enabled\n";
    else
        return EIO;
    return 0;
}

long SimMachine::storeGlobal(const std::string &name, std::string_view text, std::size_t count)
{
    if (name == "intel_pstate/status" || name == "amd_pstate/status")
        return storeStatus(text, count);
    // The others take sscanf("%u").
    const std::optional<std::uint64_t> value = scanUnsigned(text);
    if (!value)
        return -EINVAL;
    const unsigned floorPct = cfg.minKHz * 100 / cfg.maxKHz;
    const auto pct = static_cast<unsigned>(std::min<std::uint64_t>(*value, 100));
    if (name == "intel_pstate/no_turbo") {
        turbo = *value == 0;
    } else if (name == "intel_pstate/max_perf_pct") {
        // Clamped, not refused: never below min_perf_pct.
        maxPerfPct = std::max(pct, minPerfPct);
    } else if (name == "intel_pstate/min_perf_pct") {
        minPerfPct = std::clamp(pct, floorPct, maxPerfPct);
    } else if (name == "intel_pstate/hwp_dynamic_boost") {
        if (*value > 1)
            return -EINVAL;
        hwpDynamicBoost = *value == 1;
        return static_cast<long>(count);
    } else {
        return -EIO;
    }
    resolveAll();
    return static_cast<long>(count);
}

long SimMachine::storeStatus(std::string_view text, std::size_t count)
{
    const std::optional<std::string> word = firstWord(text, 15);
    if (!word)
        return -EINVAL;
    const bool amd = cfg.driver == Driver::AmdPstateEpp;
    // Switching the driver off would leave the machine without cpufreq: with HWP (and CPPC)
    // enabled the kernel refuses it.
    if (*word == "off" || (amd && *word == "disable"))
        return -EBUSY;
    if (*word != "active" && *word != "passive" && !(amd && *word == "guided"))
        return -EINVAL;
    if (*word == mode)
        return static_cast<long>(count);
    // The driver is unregistered and registered again: every policy starts over with its defaults
    // and the new mode's attributes.
    mode = *word;
    resetPolicies();
    return static_cast<long>(count);
}

long SimMachine::storeEpb(int cpu, std::string_view text, std::size_t count)
{
    // A number 0-15 or one of the kernel's names for the usual values.
    static const std::pair<const char *, int> names[] = {
        {"performance", 0}, {"balance-performance", 4}, {"normal", 6}, {"balance-power", 8}, {"power", 15}};
    Core &p = cores[static_cast<std::size_t>(cpu)];
    unsigned value = 0;
    if (strictUnsigned(text, value) == 0) {
        if (value > 15)
            return -EINVAL;
        p.epb = static_cast<int>(value);
        return static_cast<long>(count);
    }
    std::string_view word = text;
    if (!word.empty() && word.back() == '\n')
        word.remove_suffix(1);
    for (const auto &[name, bias] : names) {
        if (word == name) {
            p.epb = bias;
            return static_cast<long>(count);
        }
    }
    return -EINVAL;
}

void SimMachine::resetPolicies()
{
    const std::int64_t t = now();
    for (Policy &p : policies)
        resetPolicy(p, t);
}

void SimMachine::resetPolicy(Policy &p, std::int64_t t)
{
    advance(p, t);
    p.governor = isSetPolicyDriver() ? flavourOf(cfg.driver).governor : "schedutil";
    p.minRequest = 0;
    p.maxRequest = INT_MAX;
    p.epp = eppDefault;
    p.eppBeforePerformance = eppDefault;
    resolveLimits(p);
    retarget(p, t);
}

void SimMachine::resolveAll()
{
    const std::int64_t t = now();
    for (Policy &p : policies) {
        advance(p, t);
        resolveLimits(p);
        retarget(p, t);
    }
}
