// SPDX-License-Identifier: GPL-3.0-or-later
#include "benchcores.h"

#include "sysfsfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

SyscallFloor::SyscallFloor(const QString &coreDir)
    : online(QFile::encodeName(coreDir + QStringLiteral("/online")).toStdString())
    , cpufreq(QFile::encodeName(coreDir + QStringLiteral("/cpufreq")).toStdString())
{
}

int SyscallFloor::run() const
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

const RealSysfs &realSysfs()
{
    // FREQDECK_BENCH_SYSFS_DIR names one directory to use for every core instead.
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

void preferTmpfsForFixtures()
{
    if (qEnvironmentVariableIsEmpty("TMPDIR") && fileSystemOf(QStringLiteral("/dev/shm")) == QLatin1String("tmpfs"))
        qputenv("TMPDIR", "/dev/shm");
}

void printFixturePlaces()
{
    const RealSysfs &real = realSysfs();
    std::printf("fixtures in %s (%s)\n", qPrintable(QDir::tempPath()), qPrintable(fileSystemOf(QDir::tempPath())));
    std::printf("kernfs cores link cpufreq to %s%s, online to %s\n",
                real.dirs.empty() ? "(none)" : qPrintable(real.dirs.front()),
                real.dirs.size() > 1 ? qPrintable(QStringLiteral(" and %1 more").arg(real.dirs.size() - 1)) : "",
                real.onlineFiles.empty() ? "a tmpfs file" : qPrintable(real.onlineFiles.front()));
}

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

bool checkMemoryGrowth(const char *what, int rounds, const std::function<void()> &tick)
{
    constexpr long rssNoiseKiB = 256;
    constexpr long heapNoiseBytes = 4096;

    for (int i = 0; i < 100; ++i)
        tick();
    const MemoryUse start = memoryUse();
    MemoryUse peak = start;
    for (int i = 1; i <= rounds; ++i) {
        tick();
        if (i % 1000 == 0 || i == rounds) {
            const MemoryUse now = memoryUse();
            peak.rssKiB = std::max(peak.rssKiB, now.rssKiB);
            peak.heapBytes = std::max(peak.heapBytes, now.heapBytes);
        }
    }
    const MemoryUse end = memoryUse();
    const bool ok = end.rssKiB - start.rssKiB <= rssNoiseKiB && peak.rssKiB - start.rssKiB <= rssNoiseKiB
                    && end.heapBytes - start.heapBytes <= heapNoiseBytes;
    std::printf("memory: %s: resident %ld KiB -> %ld KiB (%+ld KiB, peak %+ld KiB)\n", what, start.rssKiB, end.rssKiB,
                end.rssKiB - start.rssKiB, peak.rssKiB - start.rssKiB);
    std::printf("memory: %s: heap in use %ld -> %ld bytes (%+ld, peak %+ld)\n", what, start.heapBytes, end.heapBytes,
                end.heapBytes - start.heapBytes, peak.heapBytes - start.heapBytes);
    std::printf("memory: %s: %s (limits: resident %+ld KiB, heap %+ld bytes)\n", what, ok ? "no growth" : "GROWTH",
                rssNoiseKiB, heapNoiseBytes);
    return ok;
}

BenchArguments splitBenchArguments(int argc, char **argv)
{
    BenchArguments result;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--memory-rounds=", 16) == 0)
            result.memoryRounds = std::atoi(argv[i] + 16);
        else if (std::strncmp(argv[i], "--memory-seconds=", 17) != 0) // bench_startup's, from bench/run.sh
            result.args.push_back(argv[i]);
    }
    result.argc = static_cast<int>(result.args.size());
    return result;
}
