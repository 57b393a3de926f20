// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A machine's CPUs as the kernel shows them: the tree under /sys/devices/system/cpu, served
// as "/cpu/...", and /proc/cpuinfo, served as "/cpuinfo". "/sys/..." is the rest of a sysfs tree
// around the CPUs: "/sys/devices/system/cpu" is the same tree as "/cpu", and the files of other
// devices (added with addFile) sit beside it, so that the whole of it can stand in for /sys. Reads and writes follow
// the rules of the kernel's sysfs stores, including their error numbers, so the FUSE layer only has to pass data and
// errors through. Not thread-safe: the caller serialises access.
class SimMachine
{
public:
    enum class Driver { AcpiCpufreq, IntelPstate, AmdPstateEpp, CpufreqDt };
    // The shape of the machine. Plain: every CPU alike, one policy each, no SMT. Hybrid: an Intel
    // hybrid part, 6 performance cores with two threads each and 8 efficient cores (20 CPUs,
    // intel_pstate). BigLittle: an ARM machine with a little and a big cluster of 4 CPUs, each
    // cluster one shared policy (cpufreq-dt). Hybrid and BigLittle fix the CPU count, the driver and
    // the limits.
    enum class Machine { Plain, Hybrid, BigLittle };

    struct Config {
        int cpus = 8;
        Driver driver = Driver::AcpiCpufreq;
        Machine machine = Machine::Plain;
        std::string model;   // empty: the flavour's usual processor
        unsigned minKHz = 0; // 0: the flavour's usual hardware limits
        unsigned maxKHz = 0;
        std::size_t pageSize = 4096;
        std::uint64_t seed = 1; // makes the wandering frequencies reproducible
        // Files whose reads fail with the errno given, as a failing device's do: the path as served
        // ("/cpu/cpu1/online"; a policy's files as "/cpu/cpufreq/policy1/scaling_governor").
        std::vector<std::pair<std::string, int>> readErrors;
        // A CPU coming online starts its policy over with the driver's defaults, as a kernel does
        // whose driver drops a policy's settings when its last CPU goes offline.
        bool forgetOnOnline = false;
        // Package devices (see addPackageDevices): acpi-cpufreq's bios_limit below the hardware
        // maximum (0: none), the long-term RAPL limit in microwatts (0: the TDP), and a cooler that
        // cannot keep up, so that the package sits at its trip point and the CPUs throttle.
        unsigned biosLimitKHz = 0;
        std::uint64_t powerLimitUw = 0;
        bool hot = false;
    };

    // Monotonic time in nanoseconds; tests pass their own to step time by hand.
    using Clock = std::function<std::int64_t()>;

    enum class NodeType { Directory, File, Symlink };
    struct Node {
        NodeType type;
        unsigned mode;      // permission bits only
        std::string target; // symlinks
        std::size_t size;   // what stat reports: a page for sysfs files, 0 for /proc files
    };

    // The length of one governor sampling step; live frequencies change at most once per step.
    static constexpr std::int64_t tickNs = 200'000'000;

    explicit SimMachine(Config config, Clock clock = {});

    static std::optional<Driver> driverFromName(std::string_view name);
    static std::string driverName(Driver driver);
    static std::optional<Machine> machineFromName(std::string_view name);

    // Told of every write(2) that reached a store: the path as the rules know it
    // ("/cpu/cpufreq/policy4/scaling_max_freq"), the text taken, and the result (count or -errno).
    using WriteObserver = std::function<void(const std::string &path, std::string_view text, long result)>;
    void observeWrites(WriteObserver observer);

    const Config &config() const;
    // The frequency table of table-based flavours, highest first; empty for the others.
    const std::vector<unsigned> &frequencyTable() const;

    std::optional<Node> node(const std::string &path) const;
    // Entry names of a directory, without "." and ".."; empty for anything else.
    std::vector<std::string> list(const std::string &path) const;

    // What open(2) says before any read or write: 0 or an errno. Like kernfs, a file without a
    // read side cannot be opened for reading and one without a write side not for writing, root
    // included.
    int open(const std::string &path, bool forRead, bool forWrite) const;
    // The whole text of a file into out; 0 or an errno.
    int read(const std::string &path, std::string &out);
    // One write(2): the number of bytes taken, or -errno.
    long write(const std::string &path, std::string_view data);

    // A file of its own outside the CPU tree, such as "/sys/class/power_supply/AC/online" or "/stat"
    // (served beside cpuinfo); its directories exist as long as it does. show returns 0 or an errno;
    // store, given the text cut at a page and at a NUL and the count taken, the count or -errno.
    using Show = std::function<int(std::string &out)>;
    using Store = std::function<long(std::string_view text, std::size_t count)>;
    void addFile(const std::string &path, unsigned mode, Show show, Store store = {}, std::size_t size = 4096);

    // A laptop's power supplies under /sys/class/power_supply: the mains adapter AC (online) and
    // the battery BAT0 (capacity, status). online and capacity take writes, so that a test or a
    // user can plug, unplug and drain the machine; status follows from both.
    void addPowerSupply();
    // The devices around the CPUs that tell how busy, hot and power-limited they are: "/stat" (as
    // /proc/stat), a coretemp or k10temp hwmon, the RAPL package zone, thermal_throttle counters
    // in each Intel CPU's directory and the ACPI platform profile (simpackage.cpp).
    void addPackageDevices();
    // What the package draws now, in watts, and how far the power limit and throttling hold the
    // CPUs' frequencies down (1: not at all).
    double packagePowerW(std::int64_t tick) const;

private:
    struct ExtraFile {
        unsigned mode;
        Show show;
        Store store;
        std::size_t size;
    };
    // The path as the CPU rules know it: "/sys/devices/system/cpu/..." becomes "/cpu/...".
    static std::string canonical(const std::string &path);
    bool isExtraDir(const std::string &path) const;
    std::vector<std::string> listExtra(const std::string &path) const;

    // One logical CPU: what the kernel keeps per CPU rather than per policy.
    struct Core {
        bool online = true;
        int epb = 6;             // "normal", what the kernel sets at boot
        std::size_t policy = 0;  // index into policies
        int coreId = 0;          // its physical core
        std::vector<int> thread; // the CPUs of its physical core, itself included
        int capacity = -1;       // cpu_capacity where the machine has one
    };

    // One cpufreq policy, serving one CPU or a cluster of them.
    struct Policy {
        int number = 0;        // policyN: its first CPU
        std::vector<int> cpus; // related_cpus
        unsigned hwMin = 0;    // cpuinfo_min_freq and cpuinfo_max_freq with turbo
        unsigned hwMax = 0;
        unsigned base = 0;
        std::vector<unsigned> table; // the frequency table, highest first; empty without one
        bool online = true;          // active: some CPU of it online
        std::string governor;
        long minRequest = 0; // the user's frequency QoS requests, kept as written
        long maxRequest = 0;
        unsigned minFreq = 0; // the limits in force
        unsigned maxFreq = 0;
        unsigned setspeed = 0; // the userspace governor's wish
        int epp = 0;
        int eppBeforePerformance = 0;
        unsigned cur = 0;
        std::int64_t lastNs = 0; // how far the statistics have been brought up to date
        std::vector<std::int64_t> timeInStateNs;
        unsigned long long totalTransitions = 0;
        std::vector<unsigned> transitions; // row-major, from x to
    };

    struct Location;
    struct Attribute {
        const char *name;
        unsigned mode;
    };

    std::optional<Location> locate(const std::string &path) const;
    long store(const std::string &path, std::string_view text, std::size_t count);
    const std::vector<Attribute> &policyAttributes() const;
    static const std::vector<Attribute> &statsAttributes();
    static std::optional<unsigned> modeOf(const std::vector<Attribute> &attributes, const std::string &name);

    bool isSetPolicyDriver() const;
    bool hasEpp() const;
    bool hasBoostFile() const;
    bool hasEpb() const;
    std::vector<std::string> driverDirFiles() const;
    std::string effectiveDriverName() const;
    unsigned hardwareMax(const Policy &p) const;
    void buildLayout(const char *governor);
    void addHybridDevices();
    Policy &policyOf(int cpu);
    std::optional<std::size_t> policyIndex(int number) const;
    std::string affectedCpus(const Policy &p) const;
    std::string siblingList(int cpu) const;
    int showTopology(int cpu, const std::string &name, std::string &out) const;
    std::string armCpuInfoText();
    int showGlobal(const std::string &name, std::string &out) const;
    long storeGlobal(const std::string &name, std::string_view text, std::size_t count);
    long storeStatus(std::string_view text, std::size_t count);
    long storeEpb(int cpu, std::string_view text, std::size_t count);
    void resetPolicies();
    void resetPolicy(Policy &p, std::int64_t nowNs);
    void resolveAll();
    int prefcoreRanking(int cpu) const;
    bool hasTable() const;
    std::vector<std::string> governors() const;
    std::string cpuList(bool online) const;
    std::string cpuInfoText();

    int showPolicy(Policy &p, const std::string &name, std::string &out);
    long storePolicy(Policy &p, const std::string &name, std::string_view text, std::size_t count);
    int showStats(Policy &p, const std::string &name, std::string &out);
    long storeOnline(int cpu, std::string_view text, std::size_t count);
    long storeGovernor(Policy &p, std::string_view text, std::size_t count);
    long storeEpp(Policy &p, std::string_view text, std::size_t count);
    std::string eppName(int epp) const;

    void resolveLimits(Policy &p) const;
    static unsigned tableAtLeast(const Policy &p, unsigned freq);
    static unsigned tableAtMost(const Policy &p, unsigned freq);
    static int tableIndex(const Policy &p, unsigned freq);

    std::int64_t now() const;
    void advance(Policy &p, std::int64_t nowNs);
    void retarget(Policy &p, std::int64_t nowNs);
    static void moveTo(Policy &p, unsigned freq);
    unsigned targetFrequency(const Policy &p, std::int64_t tick) const;
    double load(int cpu, std::int64_t tick) const;

    Config cfg;
    Clock clock;
    std::int64_t startNs = 0;
    std::string modelName;
    unsigned lowestNonlinearFreq = 0;
    int eppDefault = 0;
    // Processor-wide state: the operation mode of intel_pstate and amd-pstate ("active",
    // "passive", "guided"), turbo, intel_pstate's percent bounds and dynamic boost.
    std::string mode = "active";
    bool turbo = true;
    unsigned maxPerfPct = 100;
    unsigned minPerfPct = 0;
    bool hwpDynamicBoost = false;
    std::vector<Policy> policies; // ascending by number
    std::vector<Core> cores;      // by CPU number
    std::map<std::string, ExtraFile> extraFiles;
    WriteObserver writeObserver;

    // Package devices (simpackage.cpp).
    struct CpuTimes {
        std::int64_t tick = 0; // the ticks counted so far
        std::uint64_t user = 0, system = 0, idle = 0;
    };
    bool packageDevices = false;
    std::vector<CpuTimes> cpuTimes;
    std::uint64_t energyUj = 0;
    std::int64_t energyTick = 0;
    std::uint64_t powerLimitUw[2] = {0, 0};
    std::string platformProfile = "balanced";
    mutable std::int64_t demandTick = -1;
    mutable double demandW = 0;
    int statText(std::string &out);
    int energyText(std::string &out);
    int hwmonTemp(int index, std::string &out) const;
    double demandPowerW(std::int64_t tick) const;
    double idlePowerW() const;
    // The highest frequency the power limit and throttling leave, for targetFrequency.
    unsigned packageCap(const Policy &p, std::int64_t tick) const;
    bool hasThrottleFiles(int cpu) const;
    int showThrottle(int cpu, const std::string &name, std::string &out) const;
};
