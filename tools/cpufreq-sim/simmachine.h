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
    enum class Driver { AcpiCpufreq, IntelPstate, AmdPstateEpp };

    struct Config {
        int cpus = 8;
        Driver driver = Driver::AcpiCpufreq;
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

    struct Policy {
        bool online = true;
        int epb = 6; // "normal", what the kernel sets at boot
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
    const std::vector<Attribute> &policyAttributes() const;
    static const std::vector<Attribute> &statsAttributes();
    static std::optional<unsigned> modeOf(const std::vector<Attribute> &attributes, const std::string &name);

    bool isSetPolicyDriver() const;
    bool hasEpp() const;
    bool hasBoostFile() const;
    bool hasEpb() const;
    std::vector<std::string> driverDirFiles() const;
    std::string effectiveDriverName() const;
    unsigned hardwareMax() const;
    int showGlobal(const std::string &name, std::string &out) const;
    long storeGlobal(const std::string &name, std::string_view text, std::size_t count);
    long storeStatus(std::string_view text, std::size_t count);
    long storeEpb(int cpu, std::string_view text, std::size_t count);
    void resetPolicies();
    void resetPolicy(int cpu, std::int64_t nowNs);
    void resolveAll();
    int prefcoreRanking(int cpu) const;
    bool hasTable() const;
    std::vector<std::string> governors() const;
    std::string cpuList(bool online) const;
    std::string cpuInfoText();

    int showPolicy(int cpu, const std::string &name, std::string &out);
    long storePolicy(int cpu, const std::string &name, std::string_view text, std::size_t count);
    int showStats(int cpu, const std::string &name, std::string &out);
    long storeOnline(int cpu, std::string_view text, std::size_t count);
    long storeGovernor(int cpu, std::string_view text, std::size_t count);
    long storeEpp(Policy &p, std::string_view text, std::size_t count);
    std::string eppName(int epp) const;

    void resolveLimits(Policy &p) const;
    unsigned tableAtLeast(unsigned freq) const;
    unsigned tableAtMost(unsigned freq) const;
    int tableIndex(unsigned freq) const;

    std::int64_t now() const;
    void advance(int cpu, std::int64_t nowNs);
    void retarget(int cpu, std::int64_t nowNs);
    void moveTo(Policy &p, unsigned freq);
    unsigned targetFrequency(int cpu, std::int64_t tick) const;
    double load(int cpu, std::int64_t tick) const;

    Config cfg;
    Clock clock;
    std::int64_t startNs = 0;
    std::string modelName;
    std::vector<unsigned> table;
    unsigned baseFreq = 0;
    unsigned lowestNonlinearFreq = 0;
    int eppDefault = 0;
    // Processor-wide state: the operation mode of intel_pstate and amd-pstate ("active",
    // "passive", "guided"), turbo, intel_pstate's percent bounds and dynamic boost.
    std::string mode = "active";
    bool turbo = true;
    unsigned maxPerfPct = 100;
    unsigned minPerfPct = 0;
    bool hwpDynamicBoost = false;
    std::vector<Policy> policies;
    std::map<std::string, ExtraFile> extraFiles;
};
