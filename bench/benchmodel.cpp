// The model's once-a-second work against the system calls it cannot avoid: CPUCore::update() of one
// core and of 64 cores, on tmpfs files and on real kernfs files, each paired with a plain POSIX loop
// over the same files. Then a check that 10,000 rounds of updates leave memory where it was.

#include "cpucore.h"
#include "cpuinfo.h"
#include "pairedtiming.h"
#include "sysfsfixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace
{

constexpr double targetRatio = 1.25;
constexpr int overviewCores = 64;

// What update() must do at the least for one core: read the online file, list cpufreq/, and
// stat, open, read once and close every regular file in it. Nothing is decoded or kept. The *at
// forms are the cheapest way to do it, so the floor is not made easier to beat.
class SyscallFloor
{
public:
    explicit SyscallFloor(const QString &coreDir)
        : online(QFile::encodeName(coreDir + QStringLiteral("/online")).toStdString())
        , cpufreq(QFile::encodeName(coreDir + QStringLiteral("/cpufreq")).toStdString())
    {
    }

    // Returns how many attribute files it read.
    int run() const
    {
        char buf[4096];
        int fd = ::open(online.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            benchmark::DoNotOptimize(::read(fd, buf, sizeof buf));
            ::close(fd);
        }
        DIR *listing = ::opendir(cpufreq.c_str());
        if (!listing)
            return 0;
        const int listingFd = ::dirfd(listing);
        int files = 0;
        while (const dirent *entry = ::readdir(listing)) {
            if (entry->d_name[0] == '.')
                continue;
            struct stat st;
            if (::fstatat(listingFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
                continue;
            fd = ::openat(listingFd, entry->d_name, O_RDONLY | O_CLOEXEC);
            if (fd >= 0) {
                benchmark::DoNotOptimize(::read(fd, buf, sizeof buf));
                ::close(fd);
                ++files;
            }
        }
        ::closedir(listing);
        return files;
    }

private:
    std::string online;
    std::string cpufreq;
};

// A core as a current acpi-cpufreq or pstate driver shows it: twenty attribute files of the usual
// sizes and modes, and the stats directory that the listing has to skip.
void addTmpfsCore(SysfsFixture &fx, int core)
{
    fx.addTypicalCore(core); // twelve attributes
    fx.writeAttribute(core, QStringLiteral("bios_limit"), "3400000\n", 0444);
    fx.writeAttribute(core, QStringLiteral("cpuinfo_cur_freq"), "2100000\n", 0400);
    fx.writeAttribute(core, QStringLiteral("cpuinfo_avg_freq"), "2094512\n", 0444);
    fx.writeAttribute(core, QStringLiteral("scaling_setspeed"), "<unsupported>\n", 0644);
    fx.writeAttribute(core, QStringLiteral("base_frequency"), "2400000\n", 0444);
    fx.writeAttribute(core, QStringLiteral("boost"), "1\n", 0644);
    fx.writeAttribute(core, QStringLiteral("energy_performance_preference"), "balance_performance\n", 0644);
    fx.writeAttribute(core, QStringLiteral("energy_performance_available_preferences"),
                      "default performance balance_performance balance_power power\n", 0444);
    fx.addSubdirectory(core, QStringLiteral("stats"));
}

// Real kernfs directories and online files to stand in for cpufreq, which this machine may lack.
// FREQDECK_BENCH_SYSFS_DIR names one directory to use for every core instead.
struct RealSysfs {
    std::vector<QString> dirs;
    std::vector<QString> onlineFiles;
};

const RealSysfs &realSysfs()
{
    static const RealSysfs real = [] {
        RealSysfs r;
        const QString cpus = QStringLiteral("/sys/devices/system/cpu");
        const QByteArray chosen = qgetenv("FREQDECK_BENCH_SYSFS_DIR");
        for (int n = 0; n < 1024; ++n) {
            const QString core = cpus + QStringLiteral("/cpu") + QString::number(n);
            if (!QFileInfo::exists(core))
                break;
            if (chosen.isEmpty() && QFileInfo(core + QStringLiteral("/topology")).isDir())
                r.dirs.push_back(core + QStringLiteral("/topology"));
            // cpu0 has no online file on x86.
            if (QFileInfo(core + QStringLiteral("/online")).isFile())
                r.onlineFiles.push_back(core + QStringLiteral("/online"));
        }
        if (!chosen.isEmpty())
            r.dirs.push_back(QFile::decodeName(chosen));
        return r;
    }();
    return real;
}

// The core's cpufreq entry is a symbolic link to a real sysfs directory, as cpufreq itself is a
// link to policyN; the online file links to a real one where the machine has one.
bool addKernfsCore(SysfsFixture &fx, int core)
{
    const RealSysfs &real = realSysfs();
    if (real.dirs.empty())
        return false;
    fx.addCore(core);
    const QString cpufreq = fx.coreDir(core) + QStringLiteral("/cpufreq");
    QDir().rmdir(cpufreq);
    if (!QFile::link(real.dirs[static_cast<size_t>(core) % real.dirs.size()], cpufreq))
        return false;
    if (!real.onlineFiles.empty()) {
        fx.removeOnline(core);
        const QString online = real.onlineFiles[static_cast<size_t>(core) % real.onlineFiles.size()];
        if (!QFile::link(online, fx.coreDir(core) + QStringLiteral("/online")))
            return false;
    }
    return true;
}

enum class Files { Tmpfs, Kernfs };

// A fixture with its model and the matching floors, built once per benchmark and kept.
struct Scene {
    SysfsFixture fx;
    std::unique_ptr<CPUInfo> info;
    std::vector<SyscallFloor> floors;
    QString error;
    int attributeFiles = 0;
};

Scene &scene(Files files, int cores)
{
    static std::map<std::pair<int, int>, std::unique_ptr<Scene>> scenes;
    std::unique_ptr<Scene> &slot = scenes[{static_cast<int>(files), cores}];
    if (slot)
        return *slot;
    slot = std::make_unique<Scene>();
    Scene &s = *slot;
    for (int n = 0; n < cores; ++n) {
        if (files == Files::Tmpfs)
            addTmpfsCore(s.fx, n);
        else if (!addKernfsCore(s.fx, n))
            s.error = QStringLiteral("no usable sysfs directory to link to");
    }
    s.info = std::make_unique<CPUInfo>(s.fx.cpuDir(), s.fx.cpuInfoPath());
    if (static_cast<int>(s.info->cores.size()) != cores)
        s.error = QStringLiteral("the fixture has %1 cores, not %2").arg(s.info->cores.size()).arg(cores);
    for (int n = 0; n < cores; ++n) {
        s.floors.emplace_back(s.fx.coreDir(n));
        // Both sides must read the same files, or the ratio means nothing.
        const int read = s.floors.back().run();
        if (s.error.isEmpty() && read != s.info->cores[static_cast<size_t>(n)].policies.size())
            s.error = QStringLiteral("core %1: update() keeps %2 records, the floor read %3 files")
                          .arg(n)
                          .arg(s.info->cores[static_cast<size_t>(n)].policies.size())
                          .arg(read);
        s.attributeFiles += read;
    }
    return s;
}

void updateCores(benchmark::State &state, Files files, int cores)
{
    Scene &s = scene(files, cores);
    if (!s.error.isEmpty()) {
        state.SkipWithError(qPrintable(s.error));
        return;
    }
    PairedTiming timing;
    for (auto _ : state) {
        timing.measure(
            [&s] {
                for (CPUCore &core : s.info->cores)
                    core.update();
            },
            [&s] {
                for (const SyscallFloor &floor : s.floors)
                    floor.run();
            });
    }
    timing.report(state);
    state.counters["files"] = s.attributeFiles;
}

// Resident set and bytes handed out by malloc; the second has no page granularity.
struct MemoryUse {
    long rssKiB = 0;
    long heapBytes = 0;
};

MemoryUse memoryUse()
{
    MemoryUse use;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        long size = 0;
        long resident = 0;
        if (std::fscanf(statm, "%ld %ld", &size, &resident) == 2)
            use.rssKiB = resident * (::sysconf(_SC_PAGESIZE) / 1024);
        std::fclose(statm);
    }
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 33))
    const struct mallinfo2 info = ::mallinfo2();
    use.heapBytes = static_cast<long>(info.uordblks + info.hblkhd);
#endif
    return use;
}

// Returns false when memory grew beyond what the allocator's own rounding explains.
bool memoryCheck(int rounds)
{
    constexpr long rssNoiseKiB = 256;
    constexpr long heapNoiseBytes = 4096;

    Scene &s = scene(Files::Tmpfs, overviewCores);
    if (!s.error.isEmpty()) {
        std::cout << "memory: skipped: " << qPrintable(s.error) << '\n';
        return false;
    }
    auto round = [&s] {
        for (CPUCore &core : s.info->cores)
            core.update();
    };
    for (int i = 0; i < 100; ++i) // settle caches and the allocator's free lists first
        round();

    const MemoryUse start = memoryUse();
    MemoryUse peak = start;
    for (int i = 1; i <= rounds; ++i) {
        round();
        if (i % 1000 == 0 || i == rounds) {
            const MemoryUse now = memoryUse();
            peak.rssKiB = std::max(peak.rssKiB, now.rssKiB);
            peak.heapBytes = std::max(peak.heapBytes, now.heapBytes);
        }
    }
    const MemoryUse end = memoryUse();
    const bool ok = end.rssKiB - start.rssKiB <= rssNoiseKiB && peak.rssKiB - start.rssKiB <= rssNoiseKiB
                    && end.heapBytes - start.heapBytes <= heapNoiseBytes;
    std::printf("memory: %d rounds of update() over %d cores (%d files each round)\n", rounds, overviewCores,
                s.attributeFiles);
    std::printf("memory: resident %ld KiB -> %ld KiB (%+ld KiB, peak %+ld KiB)\n", start.rssKiB, end.rssKiB,
                end.rssKiB - start.rssKiB, peak.rssKiB - start.rssKiB);
    std::printf("memory: heap in use %ld -> %ld bytes (%+ld, peak %+ld)\n", start.heapBytes, end.heapBytes,
                end.heapBytes - start.heapBytes, peak.heapBytes - start.heapBytes);
    std::printf("memory: %s (limits: resident %+ld KiB, heap %+ld bytes)\n", ok ? "no growth" : "GROWTH", rssNoiseKiB,
                heapNoiseBytes);
    return ok;
}

QString fileSystemOf(const QString &path)
{
    struct statfs fs;
    if (::statfs(QFile::encodeName(path).constData(), &fs) != 0)
        return QStringLiteral("unknown");
    switch (fs.f_type) {
    case 0x01021994:
        return QStringLiteral("tmpfs");
    case 0x62656572:
        return QStringLiteral("sysfs");
    case 0xEF53:
        return QStringLiteral("ext4");
    default:
        return QStringLiteral("type 0x") + QString::number(static_cast<unsigned long>(fs.f_type), 16);
    }
}

} // namespace

int main(int argc, char **argv)
{
    int memoryRounds = 10000;
    // Own options first; the rest go to Google Benchmark.
    std::vector<char *> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--memory-rounds=", 16) == 0)
            memoryRounds = std::atoi(argv[i] + 16);
        else
            args.push_back(argv[i]);
    }
    int benchArgc = static_cast<int>(args.size());

    // Fixtures go to tmpfs unless TMPDIR says otherwise: the floor of a disk file system would
    // include its own locking, which sysfs does not have.
    if (qEnvironmentVariableIsEmpty("TMPDIR") && fileSystemOf(QStringLiteral("/dev/shm")) == QLatin1String("tmpfs"))
        qputenv("TMPDIR", "/dev/shm");

    // As in the program: QCoreApplication sets the locale that file names are decoded with.
    QCoreApplication app(benchArgc, args.data());
    benchmark::Initialize(&benchArgc, args.data());
    if (benchmark::ReportUnrecognizedArguments(benchArgc, args.data()))
        return 2;

    const RealSysfs &real = realSysfs();
    std::printf("fixtures in %s (%s)\n", qPrintable(QDir::tempPath()), qPrintable(fileSystemOf(QDir::tempPath())));
    std::printf("kernfs cores link cpufreq to %s%s, online to %s\n",
                real.dirs.empty() ? "(none)" : qPrintable(real.dirs.front()),
                real.dirs.size() > 1 ? qPrintable(QStringLiteral(" and %1 more").arg(real.dirs.size() - 1)) : "",
                real.onlineFiles.empty() ? "a tmpfs file" : qPrintable(real.onlineFiles.front()));

    benchmark::RegisterBenchmark("CoreUpdate/tmpfs", updateCores, Files::Tmpfs, 1)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("CoreUpdate/kernfs", updateCores, Files::Kernfs, 1)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("OverviewUpdate/tmpfs", updateCores, Files::Tmpfs, overviewCores)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("OverviewUpdate/kernfs", updateCores, Files::Kernfs, overviewCores)
        ->Unit(benchmark::kMicrosecond);
    RatioSummary::setTarget("CoreUpdate", targetRatio);
    RatioSummary::setTarget("OverviewUpdate", targetRatio);

    RatioSummary reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    if (memoryRounds > 0) {
        std::cout << '\n';
        memoryCheck(memoryRounds);
    }
    reporter.printSummary(std::cout);
    return 0;
}
