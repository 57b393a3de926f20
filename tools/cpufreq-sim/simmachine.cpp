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
    };
    Kind kind;
    int cpu = -1;
    std::string name;
};

SimMachine::SimMachine(Config config, Clock clockFn)
    : cfg(std::move(config))
    , clock(clockFn ? std::move(clockFn) : Clock(steadyNow))
{
    const Flavour &flavour = flavourOf(cfg.driver);
    cfg.cpus = std::max(1, cfg.cpus);
    if (cfg.minKHz == 0)
        cfg.minKHz = flavour.minKHz;
    if (cfg.maxKHz == 0)
        cfg.maxKHz = std::max(flavour.maxKHz, cfg.minKHz);
    cfg.maxKHz = std::max(cfg.maxKHz, cfg.minKHz);
    modelName = cfg.model.empty() ? flavour.model : cfg.model;

    const unsigned span = cfg.maxKHz - cfg.minKHz;
    if (hasTable()) {
        // Evenly spaced P-states in whole 100 MHz steps, at most 16 of them so that the statistics'
        // transition table fits its page, listed from the top as ACPI lists them.
        unsigned step = ((span / 15 + 99999) / 100000) * 100000;
        step = std::max(step, 100000u);
        for (unsigned f = cfg.maxKHz; f > cfg.minKHz; f = f >= cfg.minKHz + step ? f - step : cfg.minKHz)
            table.push_back(f);
        table.push_back(cfg.minKHz);
    }
    baseFreq = std::clamp(roundTo100MHz(cfg.maxKHz * 0.85), cfg.minKHz, cfg.maxKHz);
    lowestNonlinearFreq = std::clamp(roundTo100MHz(cfg.maxKHz * 0.38), cfg.minKHz, cfg.maxKHz);
    eppDefault = 0x80; // balance_performance, what firmware usually hands over
    // The lowest percentage intel_pstate lets min_perf_pct go to: the hardware minimum's share.
    minPerfPct = cfg.minKHz * 100 / cfg.maxKHz;

    startNs = now();
    policies.resize(static_cast<std::size_t>(cfg.cpus));
    for (int cpu = 0; cpu < cfg.cpus; ++cpu) {
        Policy &p = policies[static_cast<std::size_t>(cpu)];
        p.governor = flavour.governor;
        // The user's requests start at the QoS defaults: no lower bound, no upper bound.
        p.minRequest = 0;
        p.maxRequest = INT_MAX;
        p.epp = eppDefault;
        p.eppBeforePerformance = eppDefault;
        resolveLimits(p);
        p.timeInStateNs.assign(table.size(), 0);
        p.transitions.assign(table.size() * table.size(), 0);
        p.lastNs = startNs;
        p.cur = targetFrequency(cpu, 0);
        p.setspeed = p.cur;
    }
}

std::optional<SimMachine::Driver> SimMachine::driverFromName(std::string_view name)
{
    for (Driver d : {Driver::AcpiCpufreq, Driver::IntelPstate, Driver::AmdPstateEpp})
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
    return table;
}

bool SimMachine::isSetPolicyDriver() const
{
    // intel_pstate and amd-pstate-epp pick P-states themselves in active mode only; in passive
    // (and amd's guided) mode they serve the generic governors.
    return cfg.driver != Driver::AcpiCpufreq && mode == "active";
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
    return cfg.driver != Driver::AmdPstateEpp;
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

unsigned SimMachine::hardwareMax() const
{
    if (turbo)
        return cfg.maxKHz;
    // Without turbo: below the top P-state (acpi-cpufreq's turbo entry) or at the base frequency.
    if (hasTable())
        return table.size() > 1 ? table[1] : table.front();
    return baseFreq;
}

int SimMachine::prefcoreRanking(int cpu) const
{
    // Preferred cores differ a little in their highest performance; two of them lead.
    static const int rankings[] = {236, 231, 226, 236, 221, 216, 211, 206};
    return rankings[cpu % 8];
}

bool SimMachine::hasTable() const
{
    return cfg.driver == Driver::AcpiCpufreq;
}

std::vector<std::string> SimMachine::governors() const
{
    if (cfg.driver == Driver::IntelPstate && !isSetPolicyDriver())
        return {"performance", "powersave", "schedutil", "ondemand", "conservative", "userspace"};
    if (isSetPolicyDriver())
        return {"performance", "powersave"};
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
        const std::optional<int> cpu = numberAfter(components[2], "policy", cfg.cpus);
        if (!cpu)
            return std::nullopt;
        if (components.size() == 3)
            return L{L::PolicyDir, *cpu, {}};
        const std::string &name = components[3];
        if (components.size() == 4 && modeOf(policyAttributes(), name))
            return L{L::PolicyAttr, *cpu, name};
        if (hasTable() && name == "stats") {
            if (components.size() == 4)
                return L{L::StatsDir, *cpu, {}};
            if (components.size() == 5 && modeOf(statsAttributes(), components[4]))
                return L{L::StatsAttr, *cpu, components[4]};
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
    // The bias lives in power/ while the CPU is online, as the kernel adds and removes it.
    if (components[2] == "power" && hasEpb() && policies[static_cast<std::size_t>(*cpu)].online) {
        if (components.size() == 3)
            return L{L::CorePowerDir, *cpu, {}};
        if (components.size() == 4 && components[3] == "energy_perf_bias")
            return L{L::EpbAttr, *cpu, {}};
    }
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
        return Node{NodeType::Directory, 0755, {}, 0};
    case Location::BoostFile:
    case Location::EpbAttr:
        return Node{NodeType::File, 0644, {}, page};
    case Location::DriverAttr:
        return Node{NodeType::File, where->name == "amd_pstate/prefcore" ? 0444u : 0644u, {}, page};
    case Location::CpuInfo:
        return Node{NodeType::File, 0444, {}, 0};
    case Location::TopFile:
    case Location::CpuidleAttr:
        return Node{NodeType::File, 0444, {}, page};
    case Location::CoreOnline:
        return Node{NodeType::File, 0644, {}, page};
    case Location::CoreCpufreqLink: {
        std::string target = "../cpufreq/policy" + std::to_string(where->cpu);
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
    case Location::CoreDir:
        names.emplace_back("cpufreq");
        if (where->cpu != 0)
            names.emplace_back("online");
        if (hasEpb() && policies[static_cast<std::size_t>(where->cpu)].online)
            names.emplace_back("power");
        break;
    case Location::PolicyRoot:
        if (hasBoostFile())
            names.emplace_back("boost");
        for (int cpu = 0; cpu < cfg.cpus; ++cpu)
            names.push_back("policy" + std::to_string(cpu));
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
            out = cfg.driver == Driver::IntelPstate ? "intel_idle\n" : "acpi_idle\n";
        else
            out = "menu\n";
        return 0;
    case Location::CoreOnline:
        out = policies[static_cast<std::size_t>(where->cpu)].online ? "1\n" : "0\n";
        return 0;
    case Location::PolicyAttr:
        if (!policies[static_cast<std::size_t>(where->cpu)].online)
            return EBUSY;
        return showPolicy(where->cpu, where->name, out);
    case Location::StatsAttr:
        if (!policies[static_cast<std::size_t>(where->cpu)].online)
            return EBUSY;
        return showStats(where->cpu, where->name, out);
    case Location::BoostFile:
        out = turbo ? "1\n" : "0\n";
        return 0;
    case Location::DriverAttr:
        return showGlobal(where->name, out);
    case Location::EpbAttr:
        out = std::to_string(policies[static_cast<std::size_t>(where->cpu)].epb) + '\n';
        return 0;
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
    if (const auto extra = extraFiles.find(path); extra != extraFiles.end())
        return extra->second.store ? extra->second.store(text, count) : -EACCES;
    const std::optional<Location> where = locate(path);
    if (!where)
        return -EISDIR;
    switch (where->kind) {
    case Location::CoreOnline:
        return storeOnline(where->cpu, text, count);
    case Location::PolicyAttr:
        if (!policies[static_cast<std::size_t>(where->cpu)].online)
            return -EBUSY;
        return storePolicy(where->cpu, where->name, text, count);
    case Location::StatsAttr: {
        Policy &p = policies[static_cast<std::size_t>(where->cpu)];
        if (!p.online)
            return -EBUSY;
        // reset, the only writable statistic: any text clears the counters.
        advance(where->cpu, now());
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
        if (policies[static_cast<std::size_t>(cpu)].online != online) {
            ++cpu;
            continue;
        }
        int last = cpu;
        while (last + 1 < cfg.cpus && policies[static_cast<std::size_t>(last) + 1].online == online)
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
    const Flavour &flavour = flavourOf(cfg.driver);
    const std::int64_t t = now();
    // Two threads per core when the count allows it, as on the desktop components named by default.
    const int cores = cfg.cpus % 2 == 0 ? cfg.cpus / 2 : cfg.cpus;
    char bogomips[32];
    // Twice the nominal clock: the top P-state for acpi-cpufreq, the base frequency for the others.
    const unsigned nominal = hasTable() ? cfg.maxKHz : baseFreq;
    std::snprintf(bogomips, sizeof bogomips, "%.2f", 2.0 * nominal / 1000.0);
    std::string text;
    for (int cpu = 0; cpu < cfg.cpus; ++cpu) {
        Policy &p = policies[static_cast<std::size_t>(cpu)];
        if (!p.online)
            continue; // /proc/cpuinfo lists online CPUs only
        advance(cpu, t);
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
        text += "core id\t\t: " + std::to_string(cpu % cores) + '\n';
        text += "cpu cores\t: " + std::to_string(cores) + '\n';
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

int SimMachine::showPolicy(int cpu, const std::string &name, std::string &out)
{
    Policy &p = policies[static_cast<std::size_t>(cpu)];
    const auto line = [&out](unsigned long long value) { out = std::to_string(value) + '\n'; };
    if (name == "affected_cpus" || name == "related_cpus" || name == "freqdomain_cpus") {
        line(static_cast<unsigned>(cpu));
    } else if (name == "bios_limit" || name == "amd_pstate_max_freq") {
        line(cfg.maxKHz);
    } else if (name == "cpuinfo_max_freq") {
        line(hardwareMax());
    } else if (name == "cpuinfo_min_freq") {
        line(cfg.minKHz);
    } else if (name == "cpuinfo_transition_latency") {
        // In nanoseconds; the drivers that pick P-states themselves do not report one.
        line(isSetPolicyDriver() ? 0 : 10000);
    } else if (name == "cpuinfo_cur_freq" || name == "scaling_cur_freq") {
        advance(cpu, now());
        line(p.cur);
    } else if (name == "scaling_available_frequencies") {
        for (unsigned f : table)
            out += std::to_string(f) + ' ';
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
            advance(cpu, now());
            line(p.cur);
        } else {
            out = "<unsupported>\n";
        }
    } else if (name == "base_frequency") {
        line(baseFreq);
    } else if (name == "amd_pstate_lowest_nonlinear_freq") {
        line(lowestNonlinearFreq);
    } else if (name == "amd_pstate_highest_perf" || name == "amd_pstate_prefcore_ranking") {
        line(static_cast<unsigned>(prefcoreRanking(cpu)));
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

int SimMachine::showStats(int cpu, const std::string &name, std::string &out)
{
    Policy &p = policies[static_cast<std::size_t>(cpu)];
    advance(cpu, now());
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
    Policy &p = policies[static_cast<std::size_t>(cpu)];
    if (p.online == online)
        return static_cast<long>(count);
    const std::int64_t t = now();
    advance(cpu, t);
    p.online = online;
    if (online) {
        // The governor starts again with the settings the policy kept while it was inactive.
        p.lastNs = t;
        retarget(cpu, t);
        if (cfg.forgetOnOnline)
            resetPolicy(cpu, t);
    }
    return static_cast<long>(count);
}

long SimMachine::storePolicy(int cpu, const std::string &name, std::string_view text, std::size_t count)
{
    Policy &p = policies[static_cast<std::size_t>(cpu)];
    if (name == "scaling_governor") {
        const long result = storeGovernor(cpu, text, count);
        if (result > 0)
            retarget(cpu, now());
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
        advance(cpu, now());
        (name == "scaling_min_freq" ? p.minRequest : p.maxRequest) = request;
        resolveLimits(p);
        retarget(cpu, now());
        return static_cast<long>(count);
    }
    if (name == "scaling_setspeed") {
        if (p.governor != "userspace")
            return -EINVAL;
        const std::optional<std::uint64_t> value = scanUnsigned(text);
        if (!value)
            return -EINVAL;
        advance(cpu, now());
        p.setspeed = static_cast<unsigned>(*value);
        retarget(cpu, now());
        return static_cast<long>(count);
    }
    return -EIO;
}

long SimMachine::storeGovernor(int cpu, std::string_view text, std::size_t count)
{
    Policy &p = policies[static_cast<std::size_t>(cpu)];
    const std::optional<std::string> word = firstWord(text, 15);
    if (!word)
        return -EINVAL;
    std::string chosen;
    for (const std::string &g : governors())
        if (equalsIgnoringCase(*word, g))
            chosen = g;
    if (chosen.empty())
        return -EINVAL;

    advance(cpu, now());
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
    const long hwMin = cfg.minKHz;
    long hwMax = hardwareMax();
    long pctMin = hwMin;
    if (cfg.driver == Driver::IntelPstate) {
        // max_perf_pct and min_perf_pct bound every policy, in percent of the maximum in force.
        hwMax = std::max(hwMin, hwMax * static_cast<long>(maxPerfPct) / 100);
        pctMin = std::clamp(static_cast<long>(hardwareMax()) * static_cast<long>(minPerfPct) / 100, hwMin, hwMax);
    }
    // The maximum wins: a minimum above it is held back, not refused, and comes back into force
    // once the maximum allows it.
    long max = std::clamp(p.maxRequest, hwMin, hwMax);
    long min = std::clamp(p.minRequest, pctMin, max);
    if (hasTable()) {
        // With a frequency table, at least one P-state must lie within the limits: if none does,
        // the maximum moves up to the next one. Then both limits settle on P-states without
        // leaving the range.
        const bool anyInside = std::any_of(table.begin(), table.end(), [&](unsigned f) {
            return static_cast<long>(f) >= min && static_cast<long>(f) <= max;
        });
        if (!anyInside) {
            max = tableAtLeast(static_cast<unsigned>(max));
            min = std::clamp(min, hwMin, max);
        }
        min = tableAtLeast(static_cast<unsigned>(min));
        max = tableAtMost(static_cast<unsigned>(max));
    }
    p.minFreq = static_cast<unsigned>(min);
    p.maxFreq = static_cast<unsigned>(max);
}

unsigned SimMachine::tableAtLeast(unsigned freq) const
{
    unsigned best = table.front(); // the highest
    for (unsigned f : table)
        if (f >= freq && f < best)
            best = f;
    return best;
}

unsigned SimMachine::tableAtMost(unsigned freq) const
{
    unsigned best = table.back(); // the lowest
    for (unsigned f : table)
        if (f <= freq && f > best)
            best = f;
    return best;
}

int SimMachine::tableIndex(unsigned freq) const
{
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i] == freq)
            return static_cast<int>(i);
    return -1;
}

std::int64_t SimMachine::now() const
{
    return clock();
}

void SimMachine::advance(int cpu, std::int64_t nowNs)
{
    Policy &p = policies[static_cast<std::size_t>(cpu)];
    if (!p.online) {
        // An inactive policy accumulates no statistics.
        p.lastNs = std::max(p.lastNs, nowNs);
        return;
    }
    while (p.lastNs < nowNs) {
        const std::int64_t tick = (p.lastNs - startNs) / tickNs;
        const std::int64_t boundary = startNs + (tick + 1) * tickNs;
        const std::int64_t end = std::min(boundary, nowNs);
        if (const int i = tableIndex(p.cur); i >= 0)
            p.timeInStateNs[static_cast<std::size_t>(i)] += end - p.lastNs;
        p.lastNs = end;
        if (end == boundary)
            moveTo(p, targetFrequency(cpu, tick + 1));
    }
}

void SimMachine::retarget(int cpu, std::int64_t nowNs)
{
    Policy &p = policies[static_cast<std::size_t>(cpu)];
    if (!p.online)
        return;
    moveTo(p, targetFrequency(cpu, std::max<std::int64_t>(0, (nowNs - startNs) / tickNs)));
}

void SimMachine::moveTo(Policy &p, unsigned freq)
{
    if (freq == p.cur)
        return;
    const int from = tableIndex(p.cur);
    const int to = tableIndex(freq);
    if (from >= 0 && to >= 0) {
        p.transitions[static_cast<std::size_t>(from) * table.size() + static_cast<std::size_t>(to)]++;
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

unsigned SimMachine::targetFrequency(int cpu, std::int64_t tick) const
{
    const Policy &p = policies[static_cast<std::size_t>(cpu)];
    const unsigned min = p.minFreq;
    const unsigned max = p.maxFreq;
    const auto span = static_cast<double>(max - min);
    const double l = load(cpu, tick);
    if (hasTable()) {
        if (p.governor == "performance")
            return max;
        if (p.governor == "powersave")
            return min;
        if (p.governor == "userspace")
            return tableAtLeast(std::clamp(p.setspeed, min, max));
        return tableAtLeast(min + static_cast<unsigned>(l * span));
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
    Policy &p = policies[static_cast<std::size_t>(cpu)];
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
    for (int cpu = 0; cpu < cfg.cpus; ++cpu)
        resetPolicy(cpu, t);
}

void SimMachine::resetPolicy(int cpu, std::int64_t t)
{
    Policy &p = policies[static_cast<std::size_t>(cpu)];
    advance(cpu, t);
    p.governor = isSetPolicyDriver() ? flavourOf(cfg.driver).governor : "schedutil";
    p.minRequest = 0;
    p.maxRequest = INT_MAX;
    p.epp = eppDefault;
    p.eppBeforePerformance = eppDefault;
    resolveLimits(p);
    retarget(cpu, t);
}

void SimMachine::resolveAll()
{
    const std::int64_t t = now();
    for (int cpu = 0; cpu < cfg.cpus; ++cpu) {
        advance(cpu, t);
        resolveLimits(policies[static_cast<std::size_t>(cpu)]);
        retarget(cpu, t);
    }
}
