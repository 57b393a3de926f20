// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <map>
#include <set>

#include "simmachine.h"

using Driver = SimMachine::Driver;
using AttributeModes = std::map<std::string, unsigned>;
Q_DECLARE_METATYPE(Driver)
Q_DECLARE_METATYPE(AttributeModes)

namespace
{

// A simulated machine on a clock that only moves when the test says so.
struct Rig {
    std::int64_t ns = 5'000'000'000;
    SimMachine m;

    explicit Rig(Driver driver, int cpus = 8, std::string model = {})
        : m(makeConfig(driver, cpus, std::move(model)), [this] { return ns; })
    {
    }
    explicit Rig(SimMachine::Machine machine)
        : m(SimMachine::Config{8, Driver::AcpiCpufreq, machine, {}, 0, 0, 4096, 1, {}}, [this] { return ns; })
    {
    }
    Rig(const Rig &) = delete; // the clock refers to this very object
    Rig &operator=(const Rig &) = delete;

    static SimMachine::Config makeConfig(Driver driver, int cpus, std::string model)
    {
        SimMachine::Config c;
        c.driver = driver;
        c.cpus = cpus;
        c.model = std::move(model);
        return c;
    }

    static std::string policyPath(int cpu, const std::string &name)
    {
        return "/cpu/cpufreq/policy" + std::to_string(cpu) + "/" + name;
    }

    // The text without its line end, or the error's name, so a failed comparison says what happened.
    QString read(const std::string &path)
    {
        std::string out;
        if (const int err = m.read(path, out))
            return QStringLiteral("error %1").arg(QString::fromLatin1(strerrorname_np(err)));
        if (!out.empty() && out.back() == '\n')
            out.pop_back();
        return QString::fromStdString(out);
    }
    QString attr(int cpu, const std::string &name) { return read(policyPath(cpu, name)); }
    unsigned freq(int cpu, const std::string &name = "scaling_cur_freq") { return attr(cpu, name).toUInt(); }

    // 0 when the whole text was taken, the errno when refused, -1 for a short write.
    int store(const std::string &path, const std::string &text)
    {
        const long n = m.write(path, text);
        if (n < 0)
            return static_cast<int>(-n);
        return n == static_cast<long>(text.size()) ? 0 : -1;
    }
    int set(int cpu, const std::string &name, const std::string &text) { return store(policyPath(cpu, name), text); }
    int setOnline(int cpu, const std::string &text)
    {
        return store("/cpu/cpu" + std::to_string(cpu) + "/online", text);
    }

    void step(int ticks) { ns += ticks * SimMachine::tickNs; }
};

// "set max 2000000 min 3000000": a list of writes to scaling_max_freq / scaling_min_freq.
void applyLimits(Rig &rig, const QString &script)
{
    const QStringList words = script.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int i = 0; i + 1 < words.size(); i += 2) {
        const std::string file = words[i] == QLatin1String("min") ? "scaling_min_freq" : "scaling_max_freq";
        QCOMPARE(rig.set(0, file, words[i + 1].toStdString()), 0);
    }
}

} // namespace

// The simulated machine's rules, without FUSE: layout, stores and their errors, live values.
class TestCpufreqSim : public QObject
{
    Q_OBJECT

private slots:
    void attributeSets_data();
    void attributeSets();
    void treeLayout();
    void unknownPathsDoNotExist();
    void topLevelListsFollowOnline();
    void openRefusesTheMissingSide();

    void governor_data();
    void governor();
    void frequencyText_data();
    void frequencyText();
    void limits_data();
    void limits();
    void limitsSettleOnFrequencyTable_data();
    void limitsSettleOnFrequencyTable();
    void energyPreference_data();
    void energyPreference();
    void performancePinsEnergyPreference_data();
    void performancePinsEnergyPreference();
    void intelPercentBoundsAndModes();

    void onlineSwitch_data();
    void onlineSwitch();
    void offlineCpuIsBusy();
    void writesAreCutAtOnePage();
    void emptyWriteTakesNothing();

    void liveFrequencyFollowsGovernor_data();
    void liveFrequencyFollowsGovernor();
    void liveFrequencyStaysWithinLimits();
    void userspaceSetspeed();
    void statistics();
    void cpuinfo();
    void sharedPolicyClusters();
    void hybridCoreTypes();
};

// clang-format off
void TestCpufreqSim::attributeSets_data()
{
    using Set = AttributeModes;
    QTest::addColumn<Driver>("driver");
    QTest::addColumn<Set>("expected");
    const Set common = {
        {"affected_cpus", 0444},
        {"cpuinfo_max_freq", 0444},
        {"cpuinfo_min_freq", 0444},
        {"cpuinfo_transition_latency", 0444},
        {"related_cpus", 0444},
        {"scaling_available_governors", 0444},
        {"scaling_cur_freq", 0444},
        {"scaling_driver", 0444},
        {"scaling_governor", 0644},
        {"scaling_max_freq", 0644},
        {"scaling_min_freq", 0644},
        {"scaling_setspeed", 0644},
    };
    Set acpi = common;
    acpi.insert({{"bios_limit", 0444},
                 {"cpuinfo_cur_freq", 0400},
                 {"freqdomain_cpus", 0444},
                 {"scaling_available_frequencies", 0444}});
    Set intel = common;
    intel.insert({{"base_frequency", 0444},
                  {"energy_performance_available_preferences", 0444},
                  {"energy_performance_preference", 0644}});
    Set amd = common;
    amd.insert({{"amd_pstate_highest_perf", 0444},
                {"amd_pstate_lowest_nonlinear_freq", 0444},
                {"amd_pstate_max_freq", 0444},
                {"amd_pstate_prefcore_ranking", 0444},
                {"energy_performance_available_preferences", 0444},
                {"energy_performance_preference", 0644}});
    QTest::newRow("acpi-cpufreq") << Driver::AcpiCpufreq << acpi;
    QTest::newRow("intel_pstate") << Driver::IntelPstate << intel;
    QTest::newRow("amd-pstate-epp") << Driver::AmdPstateEpp << amd;
}
// clang-format on

void TestCpufreqSim::attributeSets()
{
    using Set = AttributeModes;
    QFETCH(Driver, driver);
    QFETCH(Set, expected);
    Rig rig(driver);
    const bool hasStats = driver == Driver::AcpiCpufreq;
    for (int cpu : {0, 7}) {
        const std::string dir = "/cpu/cpufreq/policy" + std::to_string(cpu);
        Set files;
        for (const std::string &name : rig.m.list(dir)) {
            std::string path = dir;
            path += '/';
            path += name;
            const std::optional<SimMachine::Node> node = rig.m.node(path);
            QVERIFY2(node, name.c_str());
            if (node->type == SimMachine::NodeType::File)
                files[name] = node->mode;
            else
                QCOMPARE(name, std::string("stats"));
        }
        QCOMPARE(files, expected);
        QCOMPARE(bool(rig.m.node(dir + "/stats")), hasStats);
        // Every listed attribute can be read (or, for the write-only ones, refuses reading).
        for (const auto &[name, mode] : files)
            QVERIFY2(!rig.attr(cpu, name).startsWith(QLatin1String("error")), name.c_str());
    }
    if (hasStats) {
        Set stats;
        for (const std::string &name : rig.m.list("/cpu/cpufreq/policy0/stats"))
            stats[name] = rig.m.node("/cpu/cpufreq/policy0/stats/" + name)->mode;
        QCOMPARE(stats, (Set{{"reset", 0200}, {"time_in_state", 0444}, {"total_trans", 0444}, {"trans_table", 0444}}));
    }
    QCOMPARE(rig.attr(0, "scaling_driver"), QString::fromStdString(SimMachine::driverName(driver)));
    const QString governors = rig.attr(0, "scaling_available_governors").trimmed();
    if (driver == Driver::AcpiCpufreq) {
        QCOMPARE(governors, QStringLiteral("performance powersave schedutil ondemand userspace"));
        const QStringList freqs = rig.attr(0, "scaling_available_frequencies").split(' ', Qt::SkipEmptyParts);
        QVERIFY(freqs.size() >= 2);
        QCOMPARE(freqs.first(), rig.attr(0, "cpuinfo_max_freq"));
        QCOMPARE(freqs.last(), rig.attr(0, "cpuinfo_min_freq"));
    } else {
        QCOMPARE(governors, QStringLiteral("performance powersave"));
        QCOMPARE(rig.attr(0, "energy_performance_available_preferences").trimmed(),
                 QStringLiteral("default performance balance_performance balance_power power"));
    }
}

void TestCpufreqSim::treeLayout()
{
    Rig rig(Driver::AcpiCpufreq);
    QCOMPARE(rig.m.list("/"), (std::vector<std::string>{"cpu", "cpuinfo", "sys"}));
    const std::vector<std::string> top = rig.m.list("/cpu");
    const std::set<std::string> topSet(top.begin(), top.end());
    QCOMPARE(topSet, (std::set<std::string>{"cpu0", "cpu1", "cpu2", "cpu3", "cpu4", "cpu5", "cpu6", "cpu7", "cpufreq",
                                            "cpuidle", "kernel_max", "offline", "online", "possible", "present"}));
    QCOMPARE(rig.m.node("/cpu/cpuidle")->type, SimMachine::NodeType::Directory);
    QVERIFY(!rig.m.list("/cpu/cpuidle").empty());

    // cpu0 is the boot CPU: no online switch. The others have one, and all link to their policy.
    // power/ holds the energy-performance bias of Intel processors.
    QCOMPARE(rig.m.list("/cpu/cpu0"), (std::vector<std::string>{"cpufreq", "power", "topology"}));
    for (int cpu = 0; cpu < 8; ++cpu) {
        const std::string dir = "/cpu/cpu" + std::to_string(cpu);
        const std::optional<SimMachine::Node> link = rig.m.node(dir + "/cpufreq");
        QVERIFY(link);
        QCOMPARE(link->type, SimMachine::NodeType::Symlink);
        QCOMPARE(link->target, "../cpufreq/policy" + std::to_string(cpu));
        QCOMPARE(rig.m.node("/cpu/cpufreq/policy" + std::to_string(cpu))->type, SimMachine::NodeType::Directory);
        if (cpu > 0) {
            QCOMPARE(rig.m.node(dir + "/online")->mode, 0644u);
            QCOMPARE(rig.read(dir + "/online"), QStringLiteral("1"));
        }
        QCOMPARE(rig.attr(cpu, "affected_cpus"), QString::number(cpu));
        QCOMPARE(rig.attr(cpu, "related_cpus"), QString::number(cpu));
    }
    QCOMPARE(rig.m.node("/cpuinfo")->mode, 0444u);
    QCOMPARE(rig.m.node("/cpuinfo")->size, std::size_t(0)); // like every /proc file
    QCOMPARE(rig.m.node("/cpu/cpufreq/policy0/scaling_governor")->size, std::size_t(4096));

    // "/sys" stands in for the whole of /sys: the CPU tree is the same one there, and added
    // files bring their directories with them and go through their own show and store.
    QCOMPARE(rig.store("/sys/devices/system/cpu/cpufreq/policy2/scaling_governor", "powersave"), 0);
    QCOMPARE(rig.attr(2, "scaling_governor"), QStringLiteral("powersave"));
    QCOMPARE(rig.m.list("/sys/devices/system"), std::vector<std::string>{"cpu"});
    std::string level = "7";
    rig.m.addFile(
        "/sys/class/demo/level", 0644, [&](std::string &out) { return out = level + '\n', 0; },
        [&](std::string_view text, std::size_t count) {
            level = std::string(text.substr(0, 1));
            return long(count);
        });
    QCOMPARE(rig.m.list("/sys"), (std::vector<std::string>{"devices", "class"}));
    QCOMPARE(rig.m.node("/sys/class/demo")->type, SimMachine::NodeType::Directory);
    QCOMPARE(rig.store("/sys/class/demo/level", "3"), 0);
    QCOMPARE(rig.read("/sys/class/demo/level"), QStringLiteral("3"));
    QCOMPARE(rig.m.write("/sys/class/demo", "1"), long(-EISDIR));
    QVERIFY(!rig.m.node("/sys/class/other"));
}

void TestCpufreqSim::unknownPathsDoNotExist()
{
    Rig rig(Driver::IntelPstate, 4);
    for (const char *path : {"/cpu/cpu4", "/cpu/cpu01", "/cpu/cpu-1", "/cpu/cpufreq/policy4", "/cpu/cpu0/online",
                             "/cpu/cpufreq/policy0/bogus", "/cpu/cpufreq/policy0/stats",
                             "/cpu/cpufreq/policy0/scaling_available_frequencies",
                             "/cpu/cpufreq/policy0/cpuinfo_cur_freq", "/cpu/online/x", "/proc", "/cpuinfo/x"}) {
        QVERIFY2(!rig.m.node(path), path);
        std::string out;
        QCOMPARE(rig.m.read(path, out), ENOENT);
        QCOMPARE(rig.m.write(path, "1"), long(-ENOENT));
    }
}

void TestCpufreqSim::topLevelListsFollowOnline()
{
    Rig rig(Driver::AcpiCpufreq);
    QCOMPARE(rig.read("/cpu/online"), QStringLiteral("0-7"));
    QCOMPARE(rig.read("/cpu/offline"), QString());
    QCOMPARE(rig.read("/cpu/kernel_max"), QStringLiteral("8191"));
    QCOMPARE(rig.setOnline(3, "0"), 0);
    QCOMPARE(rig.setOnline(5, "0"), 0);
    QCOMPARE(rig.setOnline(7, "0"), 0);
    QCOMPARE(rig.read("/cpu/online"), QStringLiteral("0-2,4,6"));
    QCOMPARE(rig.read("/cpu/offline"), QStringLiteral("3,5,7"));
    QCOMPARE(rig.read("/cpu/possible"), QStringLiteral("0-7"));
    QCOMPARE(rig.read("/cpu/present"), QStringLiteral("0-7"));
    for (const char *path : {"/cpu/online", "/cpu/offline", "/cpu/possible", "/cpu/present", "/cpu/kernel_max"})
        QCOMPARE(rig.m.node(path)->mode, 0444u);
}

void TestCpufreqSim::openRefusesTheMissingSide()
{
    Rig rig(Driver::AcpiCpufreq);
    QCOMPARE(rig.m.open(Rig::policyPath(0, "scaling_governor"), true, true), 0);
    QCOMPARE(rig.m.open(Rig::policyPath(0, "scaling_cur_freq"), false, true), EACCES);
    QCOMPARE(rig.m.open(Rig::policyPath(0, "cpuinfo_cur_freq"), true, false), 0);
    QCOMPARE(rig.m.open(Rig::policyPath(0, "stats/reset"), true, false), EACCES);
    QCOMPARE(rig.m.open(Rig::policyPath(0, "stats/reset"), false, true), 0);
    QCOMPARE(rig.m.open("/cpuinfo", false, true), EACCES);
    QCOMPARE(rig.m.open("/cpu/cpufreq", false, true), EISDIR);
    QCOMPARE(rig.m.write(Rig::policyPath(0, "scaling_cur_freq"), "800000"), long(-EACCES));
    QCOMPARE(rig.m.write("/cpu/online", "0-3"), long(-EACCES));
}

// clang-format off
void TestCpufreqSim::governor_data()
{
    QTest::addColumn<Driver>("driver");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("after");
    const Driver acpi = Driver::AcpiCpufreq;
    const Driver intel = Driver::IntelPstate;
    const Driver amd = Driver::AmdPstateEpp;
    QTest::newRow("acpi performance") << acpi << "performance" << 0 << "performance";
    QTest::newRow("acpi with newline") << acpi << "ondemand\n" << 0 << "ondemand";
    QTest::newRow("acpi userspace") << acpi << "userspace" << 0 << "userspace";
    QTest::newRow("acpi any case") << acpi << "PowerSave" << 0 << "powersave";
    QTest::newRow("acpi first word") << acpi << "  powersave now\n" << 0 << "powersave";
    QTest::newRow("acpi unknown") << acpi << "bogus" << EINVAL << "schedutil";
    QTest::newRow("acpi not loaded") << acpi << "conservative" << EINVAL << "schedutil";
    QTest::newRow("acpi longer name") << acpi << "performancex" << EINVAL << "schedutil";
    QTest::newRow("acpi only space") << acpi << " \n" << EINVAL << "schedutil";
    QTest::newRow("intel performance") << intel << "performance\n" << 0 << "performance";
    QTest::newRow("intel ondemand") << intel << "ondemand" << EINVAL << "powersave";
    QTest::newRow("intel schedutil") << intel << "schedutil" << EINVAL << "powersave";
    QTest::newRow("amd performance") << amd << "performance" << 0 << "performance";
    QTest::newRow("amd userspace") << amd << "userspace" << EINVAL << "powersave";
}
// clang-format on

void TestCpufreqSim::governor()
{
    QFETCH(Driver, driver);
    QFETCH(QString, text);
    QFETCH(int, error);
    QFETCH(QString, after);
    Rig rig(driver);
    QCOMPARE(rig.set(2, "scaling_governor", text.toStdString()), error);
    QCOMPARE(rig.attr(2, "scaling_governor"), after);
    // One policy per CPU: the neighbours keep their governor.
    Rig untouched(driver);
    QCOMPARE(rig.attr(1, "scaling_governor"), untouched.attr(1, "scaling_governor"));
    QCOMPARE(rig.attr(3, "scaling_governor"), untouched.attr(3, "scaling_governor"));
}

// clang-format off
void TestCpufreqSim::frequencyText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("error");
    QTest::addColumn<unsigned>("max");
    // intel_pstate has no frequency table, so accepted values come back as written.
    QTest::newRow("plain") << "2000000" << 0 << 2000000u;
    QTest::newRow("newline") << "2000000\n" << 0 << 2000000u;
    QTest::newRow("leading space") << "  2000000" << 0 << 2000000u;
    QTest::newRow("unit after number") << "2000000 kHz" << 0 << 2000000u;
    QTest::newRow("word") << "fast" << EINVAL << 4000000u;
    QTest::newRow("unit first") << "kHz2000000" << EINVAL << 4000000u;
    QTest::newRow("only newline") << "\n" << EINVAL << 4000000u;
    QTest::newRow("negative") << "-2000000" << EINVAL << 4000000u;
    QTest::newRow("plus sign") << "+2000000" << EINVAL << 4000000u;
    QTest::newRow("negative as s32") << "3000000000" << EINVAL << 4000000u;
}
// clang-format on

void TestCpufreqSim::frequencyText()
{
    QFETCH(QString, text);
    QFETCH(int, error);
    QFETCH(unsigned, max);
    Rig rig(Driver::IntelPstate);
    QCOMPARE(rig.set(0, "scaling_max_freq", text.toStdString()), error);
    QCOMPARE(rig.freq(0, "scaling_max_freq"), max);
    QCOMPARE(rig.set(0, "scaling_min_freq", text.toStdString()), error);
    QCOMPARE(rig.freq(0, "scaling_min_freq"), error ? 800000u : max);
}

// clang-format off
void TestCpufreqSim::limits_data()
{
    QTest::addColumn<QString>("writes");
    QTest::addColumn<unsigned>("min");
    QTest::addColumn<unsigned>("max");
    // Hardware range 800000-4000000 kHz, no frequency table.
    QTest::newRow("untouched") << "" << 800000u << 4000000u;
    QTest::newRow("lower max") << "max 2000000" << 800000u << 2000000u;
    QTest::newRow("raise min") << "min 1500000" << 1500000u << 4000000u;
    QTest::newRow("max below hardware") << "max 100" << 800000u << 800000u;
    QTest::newRow("max above hardware") << "max 9000000" << 800000u << 4000000u;
    QTest::newRow("min below hardware") << "min 0" << 800000u << 4000000u;
    QTest::newRow("min above hardware") << "min 9000000" << 4000000u << 4000000u;
    QTest::newRow("min above max: max wins") << "max 2000000 min 3000000" << 2000000u << 2000000u;
    QTest::newRow("max below min: max wins") << "min 3000000 max 2000000" << 2000000u << 2000000u;
    QTest::newRow("held-back min returns") << "max 2000000 min 3000000 max 3500000" << 3000000u << 3500000u;
    QTest::newRow("held-back min partly") << "max 2000000 min 3000000 max 2500000" << 2500000u << 2500000u;
    QTest::newRow("lowered min stays") << "min 3000000 max 2000000 min 1000000 max 4000000" << 1000000u << 4000000u;
}
// clang-format on

void TestCpufreqSim::limits()
{
    QFETCH(QString, writes);
    QFETCH(unsigned, min);
    QFETCH(unsigned, max);
    Rig rig(Driver::IntelPstate);
    applyLimits(rig, writes);
    QCOMPARE(rig.freq(0, "scaling_min_freq"), min);
    QCOMPARE(rig.freq(0, "scaling_max_freq"), max);
    // Requests belong to their policy alone.
    QCOMPARE(rig.freq(1, "scaling_min_freq"), 800000u);
    QCOMPARE(rig.freq(1, "scaling_max_freq"), 4000000u);
}

// clang-format off
void TestCpufreqSim::limitsSettleOnFrequencyTable_data()
{
    QTest::addColumn<QString>("writes");
    QTest::addColumn<unsigned>("min");
    QTest::addColumn<unsigned>("max");
    // acpi-cpufreq, 800000-3400000 kHz in 200 MHz steps.
    QTest::newRow("max on a step") << "max 2000000" << 800000u << 2000000u;
    QTest::newRow("max between steps goes down") << "max 2100000" << 800000u << 2000000u;
    QTest::newRow("min between steps goes up") << "min 1100000" << 1200000u << 3400000u;
    QTest::newRow("no step inside: max moves up") << "min 2100000 max 2100000" << 2200000u << 2200000u;
    QTest::newRow("held-back min returns") << "max 2000000 min 3000000 max 3400000" << 3000000u << 3400000u;
}
// clang-format on

void TestCpufreqSim::limitsSettleOnFrequencyTable()
{
    QFETCH(QString, writes);
    QFETCH(unsigned, min);
    QFETCH(unsigned, max);
    Rig rig(Driver::AcpiCpufreq);
    QCOMPARE(rig.m.frequencyTable().front(), 3400000u);
    QCOMPARE(rig.m.frequencyTable().back(), 800000u);
    applyLimits(rig, writes);
    QCOMPARE(rig.freq(0, "scaling_min_freq"), min);
    QCOMPARE(rig.freq(0, "scaling_max_freq"), max);
}

// clang-format off
void TestCpufreqSim::energyPreference_data()
{
    QTest::addColumn<Driver>("driver");
    QTest::addColumn<QString>("governor");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("after");
    const Driver intel = Driver::IntelPstate;
    const Driver amd = Driver::AmdPstateEpp;
    QTest::newRow("intel power") << intel << "powersave" << "power" << 0 << "power";
    QTest::newRow("intel newline") << intel << "powersave" << "balance_power\n" << 0 << "balance_power";
    QTest::newRow("intel default") << intel << "powersave" << "default" << 0 << "balance_performance";
    QTest::newRow("intel unlisted") << intel << "powersave" << "turbo" << EINVAL << "balance_performance";
    QTest::newRow("intel case matters") << intel << "powersave" << "Power" << EINVAL << "balance_performance";
    QTest::newRow("intel raw value") << intel << "powersave" << "200" << 0 << "200";
    QTest::newRow("intel raw named value") << intel << "powersave" << "192\n" << 0 << "balance_power";
    QTest::newRow("intel raw too big") << intel << "powersave" << "256" << EINVAL << "balance_performance";
    QTest::newRow("intel raw overflow") << intel << "powersave" << "99999999999" << ERANGE << "balance_performance";
    QTest::newRow("intel raw with space") << intel << "powersave" << " 10" << EINVAL << "balance_performance";
    QTest::newRow("intel busy") << intel << "performance" << "power" << EBUSY << "performance";
    QTest::newRow("intel busy default") << intel << "performance" << "default" << EBUSY << "performance";
    QTest::newRow("intel busy raw") << intel << "performance" << "1" << EBUSY << "performance";
    QTest::newRow("intel performance ok") << intel << "performance" << "performance" << 0 << "performance";
    QTest::newRow("intel raw zero ok") << intel << "performance" << "0" << 0 << "performance";
    QTest::newRow("intel unlisted before busy") << intel << "performance" << "turbo" << EINVAL << "performance";
    QTest::newRow("amd power") << amd << "powersave" << "power" << 0 << "power";
    QTest::newRow("amd default") << amd << "powersave" << "default" << 0 << "balance_performance";
    QTest::newRow("amd no raw values") << amd << "powersave" << "128" << EINVAL << "balance_performance";
    QTest::newRow("amd busy") << amd << "performance" << "balance_power" << EBUSY << "performance";
}
// clang-format on

void TestCpufreqSim::energyPreference()
{
    QFETCH(Driver, driver);
    QFETCH(QString, governor);
    QFETCH(QString, text);
    QFETCH(int, error);
    QFETCH(QString, after);
    Rig rig(driver);
    QCOMPARE(rig.set(4, "scaling_governor", governor.toStdString()), 0);
    QCOMPARE(rig.set(4, "energy_performance_preference", text.toStdString()), error);
    QCOMPARE(rig.attr(4, "energy_performance_preference"), after);
}

// clang-format off
void TestCpufreqSim::performancePinsEnergyPreference_data()
{
    QTest::addColumn<Driver>("driver");
    QTest::newRow("intel_pstate") << Driver::IntelPstate;
    QTest::newRow("amd-pstate-epp") << Driver::AmdPstateEpp;
}
// clang-format on

void TestCpufreqSim::performancePinsEnergyPreference()
{
    QFETCH(Driver, driver);
    Rig rig(driver);
    QCOMPARE(rig.attr(0, "scaling_governor"), QStringLiteral("powersave"));
    QCOMPARE(rig.set(0, "energy_performance_preference", "power"), 0);
    QCOMPARE(rig.set(0, "scaling_governor", "performance"), 0);
    QCOMPARE(rig.attr(0, "energy_performance_preference"), QStringLiteral("performance"));
    QCOMPARE(rig.set(0, "scaling_governor", "powersave"), 0);
    QCOMPARE(rig.attr(0, "energy_performance_preference"), QStringLiteral("power"));
    QCOMPARE(rig.attr(1, "energy_performance_preference"), QStringLiteral("balance_performance"));
}

// clang-format off
void TestCpufreqSim::onlineSwitch_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("after");
    QTest::newRow("0") << "0" << 0 << "0";
    QTest::newRow("0 newline") << "0\n" << 0 << "0";
    QTest::newRow("1 while online") << "1" << 0 << "1";
    QTest::newRow("1 newline") << "1\n" << 0 << "1";
    QTest::newRow("2") << "2" << EINVAL << "1";
    QTest::newRow("leading space") << " 0" << EINVAL << "1";
    QTest::newRow("word") << "off" << EINVAL << "1";
    QTest::newRow("only newline") << "\n" << EINVAL << "1";
    QTest::newRow("two newlines") << "0\n\n" << EINVAL << "1";
}
// clang-format on

void TestCpufreqSim::onlineSwitch()
{
    QFETCH(QString, text);
    QFETCH(int, error);
    QFETCH(QString, after);
    Rig rig(Driver::AcpiCpufreq);
    QCOMPARE(rig.setOnline(6, text.toStdString()), error);
    QCOMPARE(rig.read("/cpu/cpu6/online"), after);
    QCOMPARE(rig.read("/cpu/cpu5/online"), QStringLiteral("1"));
    // The boot CPU has no switch at all.
    QCOMPARE(rig.setOnline(0, text.toStdString()), ENOENT);
}

void TestCpufreqSim::offlineCpuIsBusy()
{
    Rig rig(Driver::AcpiCpufreq);
    QCOMPARE(rig.set(2, "scaling_governor", "performance"), 0);
    QCOMPARE(rig.set(2, "scaling_max_freq", "3000000"), 0);
    rig.step(10);
    const QString timeBefore = rig.attr(2, "stats/time_in_state");
    QCOMPARE(rig.setOnline(2, "0"), 0);

    for (const std::string &name : rig.m.list("/cpu/cpufreq/policy2")) {
        if (name == "stats")
            continue;
        QCOMPARE(rig.attr(2, name), QStringLiteral("error EBUSY"));
    }
    QCOMPARE(rig.attr(2, "stats/time_in_state"), QStringLiteral("error EBUSY"));
    QCOMPARE(rig.set(2, "scaling_governor", "powersave"), EBUSY);
    QCOMPARE(rig.set(2, "scaling_governor", "bogus"), EBUSY);
    QCOMPARE(rig.set(2, "scaling_min_freq", "1000000"), EBUSY);
    QCOMPARE(rig.set(2, "stats/reset", "1"), EBUSY);
    // The directory and the link stay, and the other CPUs carry on.
    QCOMPARE(rig.m.node("/cpu/cpu2/cpufreq")->type, SimMachine::NodeType::Symlink);
    QVERIFY(rig.m.list("/cpu/cpufreq/policy2").size() > 10);
    QCOMPARE(rig.attr(3, "scaling_governor"), QStringLiteral("schedutil"));

    // Back online, the policy has kept its settings, and no time passed for it while it was off.
    rig.step(50);
    QCOMPARE(rig.setOnline(2, "1"), 0);
    QCOMPARE(rig.attr(2, "scaling_governor"), QStringLiteral("performance"));
    QCOMPARE(rig.freq(2, "scaling_max_freq"), 3000000u);
    QCOMPARE(rig.attr(2, "stats/time_in_state"), timeBefore);
}

void TestCpufreqSim::writesAreCutAtOnePage()
{
    Rig rig(Driver::AcpiCpufreq);
    // The page ends right after the "2" of 2000000: the store sees 2 kHz, which the limits raise
    // to the hardware minimum, and write(2) reports one page taken.
    const std::string cut = std::string(4095, ' ') + "2000000";
    QCOMPARE(rig.m.write(Rig::policyPath(0, "scaling_max_freq"), cut), 4096L);
    QCOMPARE(rig.freq(0, "scaling_max_freq"), 800000u);
    // Exactly one page is taken whole.
    const std::string whole = std::string(4089, ' ') + "2000000";
    QCOMPARE(whole.size(), std::size_t(4096));
    QCOMPARE(rig.m.write(Rig::policyPath(1, "scaling_max_freq"), whole), 4096L);
    QCOMPARE(rig.freq(1, "scaling_max_freq"), 2000000u);
    // A refused first page is refused as a whole, whatever follows it.
    const std::string bad = std::string(4096, 'x') + "performance";
    QCOMPARE(rig.m.write(Rig::policyPath(2, "scaling_governor"), bad), long(-EINVAL));
}

void TestCpufreqSim::emptyWriteTakesNothing()
{
    Rig rig(Driver::IntelPstate);
    QCOMPARE(rig.m.write(Rig::policyPath(0, "scaling_governor"), ""), 0L);
    QCOMPARE(rig.m.write(Rig::policyPath(0, "energy_performance_preference"), ""), 0L);
    QCOMPARE(rig.m.write("/cpu/cpu1/online", ""), 0L);
    QCOMPARE(rig.attr(0, "scaling_governor"), QStringLiteral("powersave"));
    QCOMPARE(rig.attr(0, "energy_performance_preference"), QStringLiteral("balance_performance"));
    QCOMPARE(rig.read("/cpu/cpu1/online"), QStringLiteral("1"));
}

// clang-format off
void TestCpufreqSim::liveFrequencyFollowsGovernor_data()
{
    QTest::addColumn<Driver>("driver");
    QTest::addColumn<QString>("governor");
    QTest::addColumn<double>("low");  // the band as a share of the range between the limits
    QTest::addColumn<double>("high");
    QTest::addColumn<bool>("wanders");
    const Driver acpi = Driver::AcpiCpufreq;
    QTest::newRow("acpi performance") << acpi << "performance" << 1.0 << 1.0 << false;
    QTest::newRow("acpi powersave") << acpi << "powersave" << 0.0 << 0.0 << false;
    QTest::newRow("acpi schedutil") << acpi << "schedutil" << 0.0 << 1.0 << true;
    QTest::newRow("acpi ondemand") << acpi << "ondemand" << 0.0 << 1.0 << true;
    QTest::newRow("intel performance") << Driver::IntelPstate << "performance" << 0.9 << 1.0 << true;
    QTest::newRow("intel powersave") << Driver::IntelPstate << "powersave" << 0.0 << 0.3 << true;
    QTest::newRow("amd performance") << Driver::AmdPstateEpp << "performance" << 0.9 << 1.0 << true;
    QTest::newRow("amd powersave") << Driver::AmdPstateEpp << "powersave" << 0.0 << 0.3 << true;
}
// clang-format on

void TestCpufreqSim::liveFrequencyFollowsGovernor()
{
    QFETCH(Driver, driver);
    QFETCH(QString, governor);
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(bool, wanders);
    Rig rig(driver);
    QCOMPARE(rig.set(1, "scaling_governor", governor.toStdString()), 0);
    const double min = rig.freq(1, "scaling_min_freq");
    const double max = rig.freq(1, "scaling_max_freq");
    const std::vector<unsigned> &table = rig.m.frequencyTable();
    std::set<unsigned> seen;
    for (int i = 0; i < 300; ++i) {
        rig.step(1);
        const unsigned cur = rig.freq(1);
        QVERIFY2(cur >= min + low * (max - min) && cur <= min + high * (max - min),
                 qPrintable(QStringLiteral("%1 kHz at step %2").arg(cur).arg(i)));
        if (driver == Driver::AcpiCpufreq) {
            QVERIFY(std::find(table.begin(), table.end(), cur) != table.end());
            QCOMPARE(rig.freq(1, "cpuinfo_cur_freq"), cur);
        }
        seen.insert(cur);
    }
    if (wanders)
        QVERIFY2(seen.size() >= 4, qPrintable(QString::number(seen.size())));
    else
        QCOMPARE(seen.size(), std::size_t(1));
}

void TestCpufreqSim::liveFrequencyStaysWithinLimits()
{
    for (Driver driver : {Driver::AcpiCpufreq, Driver::IntelPstate}) {
        Rig rig(driver);
        QCOMPARE(rig.set(0, "scaling_governor", "performance"), 0);
        QCOMPARE(rig.set(0, "scaling_max_freq", "2000000"), 0);
        // The new limit is in force at once, not only at the next sampling step.
        QVERIFY(rig.freq(0) <= 2000000u);
        QVERIFY(rig.freq(0) >= 1900000u);
        QCOMPARE(rig.set(0, "scaling_governor", "powersave"), 0);
        QCOMPARE(rig.set(0, "scaling_min_freq", "1200000"), 0);
        for (int i = 0; i < 100; ++i) {
            rig.step(1);
            QVERIFY(rig.freq(0) >= 1200000u && rig.freq(0) <= 2000000u);
        }
        QCOMPARE(rig.set(0, "scaling_min_freq", "1600000"), 0);
        QCOMPARE(rig.set(0, "scaling_max_freq", "1600000"), 0);
        for (int i = 0; i < 20; ++i) {
            rig.step(1);
            QCOMPARE(rig.freq(0), 1600000u);
        }
    }
}

void TestCpufreqSim::userspaceSetspeed()
{
    Rig rig(Driver::AcpiCpufreq);
    QCOMPARE(rig.attr(0, "scaling_setspeed"), QStringLiteral("<unsupported>"));
    QCOMPARE(rig.set(0, "scaling_setspeed", "2000000"), EINVAL);

    QCOMPARE(rig.set(0, "scaling_governor", "userspace"), 0);
    const unsigned start = rig.freq(0);
    rig.step(20);
    QCOMPARE(rig.freq(0), start); // the userspace governor holds still
    QCOMPARE(rig.freq(0, "scaling_setspeed"), start);
    QCOMPARE(rig.set(0, "scaling_setspeed", "fast"), EINVAL);
    // The lowest P-state at or above the wish.
    QCOMPARE(rig.set(0, "scaling_setspeed", "2100000"), 0);
    QCOMPARE(rig.freq(0), 2200000u);
    QCOMPARE(rig.freq(0, "scaling_setspeed"), 2200000u);
    // Limits bound the wish, which comes back once they allow it.
    QCOMPARE(rig.set(0, "scaling_max_freq", "1600000"), 0);
    QCOMPARE(rig.freq(0), 1600000u);
    QCOMPARE(rig.set(0, "scaling_max_freq", "3400000"), 0);
    QCOMPARE(rig.freq(0), 2200000u);

    Rig intel(Driver::IntelPstate);
    QCOMPARE(intel.attr(0, "scaling_setspeed"), QStringLiteral("<unsupported>"));
    QCOMPARE(intel.set(0, "scaling_setspeed", "2000000"), EINVAL);
}

void TestCpufreqSim::statistics()
{
    Rig rig(Driver::AcpiCpufreq);
    const std::vector<unsigned> &table = rig.m.frequencyTable();
    const auto timeIn = [&](unsigned freq) {
        for (const QString &line : rig.attr(0, "stats/time_in_state").split('\n')) {
            const QStringList f = line.split(' ');
            if (f.size() == 2 && f[0].toUInt() == freq)
                return f[1].toLongLong();
        }
        return -1LL;
    };
    const auto transitionsFromTable = [&]() {
        const QStringList lines = rig.attr(0, "stats/trans_table").split('\n');
        long long sum = 0;
        for (int i = 2; i < lines.size(); ++i) {
            const QStringList cells = lines[i].section(':', 1).split(' ', Qt::SkipEmptyParts);
            if (cells.size() != static_cast<int>(table.size()))
                return -1LL;
            for (const QString &c : cells)
                sum += c.toLongLong();
        }
        return sum;
    };

    QCOMPARE(rig.set(0, "scaling_governor", "performance"), 0);
    QCOMPARE(rig.set(0, "stats/reset", "1"), 0);
    rig.step(50); // ten seconds
    QCOMPARE(timeIn(3400000), 1000LL);
    QCOMPARE(timeIn(800000), 0LL);
    QCOMPARE(rig.attr(0, "stats/total_trans"), QStringLiteral("0"));

    QCOMPARE(rig.set(0, "scaling_governor", "powersave"), 0);
    rig.step(25);
    QCOMPARE(timeIn(800000), 500LL);
    QCOMPARE(rig.attr(0, "stats/total_trans"), QStringLiteral("1"));
    QCOMPARE(transitionsFromTable(), 1LL);

    // Under a wandering governor, every change seen from one step to the next is one transition,
    // and the times add up to the time that passed.
    QCOMPARE(rig.set(0, "stats/reset", "1"), 0);
    QCOMPARE(rig.set(0, "scaling_governor", "schedutil"), 0);
    QCOMPARE(rig.set(0, "stats/reset", "1"), 0);
    long long changes = 0;
    unsigned last = rig.freq(0);
    for (int i = 0; i < 200; ++i) {
        rig.step(1);
        const unsigned cur = rig.freq(0);
        changes += cur != last;
        last = cur;
    }
    QVERIFY(changes > 10);
    QCOMPARE(rig.attr(0, "stats/total_trans"), QString::number(changes));
    QCOMPARE(transitionsFromTable(), changes);
    long long total = 0;
    for (unsigned f : table)
        total += timeIn(f);
    QCOMPARE(total, 4000LL);

    QCOMPARE(rig.set(0, "stats/reset", "1"), 0);
    QCOMPARE(rig.attr(0, "stats/total_trans"), QStringLiteral("0"));
    QCOMPARE(transitionsFromTable(), 0LL);
    QCOMPARE(timeIn(last), 0LL);
}

void TestCpufreqSim::cpuinfo()
{
    Rig rig(Driver::AmdPstateEpp, 6, "Test Processor 9000");
    const auto blocks = [&]() { return rig.read("/cpuinfo").split(QStringLiteral("\n\n"), Qt::SkipEmptyParts); };
    QStringList list = blocks();
    QCOMPARE(list.size(), 6);
    for (int cpu = 0; cpu < 6; ++cpu) {
        const QStringList lines = list[cpu].split('\n');
        QVERIFY(lines.contains(QStringLiteral("processor\t: %1").arg(cpu)));
        QVERIFY(lines.contains(QStringLiteral("model name\t: Test Processor 9000")));
        QVERIFY(lines.contains(QStringLiteral("vendor_id\t: AuthenticAMD")));
        const QString mhz = lines.filter(QStringLiteral("cpu MHz\t\t: ")).value(0).section(':', 1).trimmed();
        QCOMPARE(mhz, QString::number(rig.freq(cpu) / 1000.0, 'f', 3));
    }
    // /proc/cpuinfo shows online CPUs only.
    QCOMPARE(rig.setOnline(4, "0"), 0);
    list = blocks();
    QCOMPARE(list.size(), 5);
    QVERIFY(!rig.read("/cpuinfo").contains(QStringLiteral("processor\t: 4\n")));
    QVERIFY(rig.read("/cpuinfo").contains(QStringLiteral("processor\t: 5\n")));
    QCOMPARE(rig.m.write("/cpuinfo", "x"), long(-EACCES));
}

// intel_pstate's own rules: the percent bounds narrow the limits in force without touching the
// requests, turbo off lowers the maximum and on restores it, "off" is refused while HWP is on,
// and a mode switch rebuilds the policies with the passive attribute set and defaults.
void TestCpufreqSim::intelPercentBoundsAndModes()
{
    Rig rig(Driver::IntelPstate, 2);
    QCOMPARE(rig.read("/cpu/intel_pstate/min_perf_pct"), QStringLiteral("20"));
    QCOMPARE(rig.store("/cpu/intel_pstate/max_perf_pct", "50"), 0);
    QCOMPARE(rig.freq(0, "scaling_max_freq"), 2000000u);
    QCOMPARE(rig.store("/cpu/intel_pstate/min_perf_pct", "90"), 0); // clamped to max_perf_pct
    QCOMPARE(rig.read("/cpu/intel_pstate/min_perf_pct"), QStringLiteral("50"));
    QCOMPARE(rig.freq(0, "scaling_min_freq"), 2000000u);
    QCOMPARE(rig.store("/cpu/intel_pstate/min_perf_pct", "0"), 0);
    QCOMPARE(rig.store("/cpu/intel_pstate/max_perf_pct", "100"), 0);
    QCOMPARE(rig.freq(0, "scaling_max_freq"), 4000000u);

    QCOMPARE(rig.set(1, "scaling_max_freq", "3800000"), 0);
    QCOMPARE(rig.store("/cpu/intel_pstate/no_turbo", "1"), 0);
    QCOMPARE(rig.freq(1, "cpuinfo_max_freq"), 3400000u);
    QCOMPARE(rig.freq(1, "scaling_max_freq"), 3400000u);
    QCOMPARE(rig.store("/cpu/intel_pstate/no_turbo", "0"), 0);
    QCOMPARE(rig.freq(1, "scaling_max_freq"), 3800000u);

    QCOMPARE(rig.store("/cpu/intel_pstate/status", "off"), EBUSY);
    QCOMPARE(rig.store("/cpu/intel_pstate/status", "guided"), EINVAL);
    QCOMPARE(rig.store("/cpu/intel_pstate/status", "passive\n"), 0);
    QCOMPARE(rig.attr(1, "scaling_driver"), QStringLiteral("intel_cpufreq"));
    QCOMPARE(rig.attr(1, "scaling_governor"), QStringLiteral("schedutil"));
    QCOMPARE(rig.freq(1, "scaling_max_freq"), 4000000u); // the request went with the old policy
    QVERIFY(!rig.m.node(Rig::policyPath(1, "energy_performance_preference")));
    QVERIFY(!rig.m.node("/cpu/intel_pstate/hwp_dynamic_boost"));
    QCOMPARE(rig.store("/cpu/cpu1/power/energy_perf_bias", "16"), EINVAL);
    QCOMPARE(rig.store("/cpu/cpu1/power/energy_perf_bias", "balance-power"), 0);
    QCOMPARE(rig.read("/cpu/cpu1/power/energy_perf_bias"), QStringLiteral("8"));
}

// big.LITTLE: each cluster is one policy, so a store through any of its CPUs is seen through all of
// them and the other cluster keeps its own table; the policy stays active while one CPU is online.
void TestCpufreqSim::sharedPolicyClusters()
{
    Rig rig(SimMachine::Machine::BigLittle);
    QCOMPARE(rig.m.node("/cpu/cpu2/cpufreq")->target, std::string("../cpufreq/policy0"));
    QCOMPARE(rig.m.node("/cpu/cpu7/cpufreq")->target, std::string("../cpufreq/policy4"));
    QVERIFY(!rig.m.node("/cpu/cpufreq/policy1"));
    QCOMPARE(rig.attr(4, "related_cpus"), QStringLiteral("4 5 6 7"));
    QCOMPARE(rig.attr(0, "scaling_driver"), QStringLiteral("cpufreq-dt"));
    QCOMPARE(rig.attr(0, "scaling_governor"), QStringLiteral("schedutil"));
    QCOMPARE(rig.attr(0, "cpuinfo_max_freq"), QStringLiteral("1800000"));
    QCOMPARE(rig.attr(4, "cpuinfo_max_freq"), QStringLiteral("2400000"));
    QVERIFY(rig.attr(0, "scaling_available_frequencies").startsWith(QStringLiteral("408000 600000")));
    QCOMPARE(rig.read("/cpu/cpu1/cpu_capacity"), QStringLiteral("446"));
    QCOMPARE(rig.read("/cpu/cpu5/cpu_capacity"), QStringLiteral("1024"));
    QVERIFY(!rig.read("/cpuinfo").contains(QStringLiteral("GenuineIntel")));

    int stores = 0;
    rig.m.observeWrites([&stores](const std::string &, std::string_view, long) { ++stores; });
    QCOMPARE(rig.set(4, "scaling_max_freq", "1500000"), 0);
    QCOMPARE(stores, 1);
    QCOMPARE(rig.attr(4, "scaling_max_freq"), QStringLiteral("1416000")); // settled on the big table
    QCOMPARE(rig.attr(0, "scaling_max_freq"), QStringLiteral("1800000"));

    QCOMPARE(rig.setOnline(3, "0"), 0);
    QCOMPARE(rig.attr(0, "affected_cpus"), QStringLiteral("0 1 2"));
    QCOMPARE(rig.attr(0, "related_cpus"), QStringLiteral("0 1 2 3"));
    for (const int cpu : {5, 6, 7})
        QCOMPARE(rig.setOnline(cpu, "0"), 0);
    QCOMPARE(rig.attr(4, "scaling_max_freq"), QStringLiteral("1416000")); // cpu4 still serves it
    QCOMPARE(rig.setOnline(4, "0"), 0);
    QCOMPARE(rig.attr(4, "scaling_max_freq"), QStringLiteral("error EBUSY"));
    QCOMPARE(rig.setOnline(4, "1"), 0);
    QCOMPARE(rig.attr(4, "scaling_max_freq"), QStringLiteral("1416000")); // kept while inactive
}

// Intel hybrid: the PMU devices name the kinds of core, performance threads come in SMT pairs, and
// each kind has its own top frequency.
void TestCpufreqSim::hybridCoreTypes()
{
    Rig rig(SimMachine::Machine::Hybrid);
    QCOMPARE(rig.read("/sys/devices/cpu_core/cpus"), QStringLiteral("0-11"));
    QCOMPARE(rig.read("/sys/devices/cpu_atom/cpus"), QStringLiteral("12-19"));
    QCOMPARE(rig.m.list("/cpu/cpufreq").size(), std::size_t(20));
    QCOMPARE(rig.attr(3, "scaling_driver"), QStringLiteral("intel_pstate"));
    QCOMPARE(rig.attr(3, "cpuinfo_max_freq"), QStringLiteral("4700000"));
    QCOMPARE(rig.attr(15, "cpuinfo_max_freq"), QStringLiteral("3400000"));
    QCOMPARE(rig.read("/cpu/cpu3/topology/thread_siblings_list"), QStringLiteral("2-3"));
    QCOMPARE(rig.read("/cpu/cpu15/topology/thread_siblings_list"), QStringLiteral("15"));
    QCOMPARE(rig.setOnline(2, "0"), 0);
    QCOMPARE(rig.read("/cpu/cpu3/topology/core_cpus_list"), QStringLiteral("3"));
    QCOMPARE(rig.read("/cpu/cpu2/topology/die_id"), QStringLiteral("error ENOENT"));
}

QTEST_GUILESS_MAIN(TestCpufreqSim)
#include "testcpufreqsim.moc"
